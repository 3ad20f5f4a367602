#include <cstdio>
#include <string>

// The download's transport is Windows' own.
void benchDownload(const std::string&, const std::string&, const std::string&, int) {
    std::fputs("--only download needs the Windows build (scripts/bench-download)\n", stderr);
}
