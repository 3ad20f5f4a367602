#include <sys/resource.h>

#include <cstdio>

#include "tools/vornika-bench/bench.h"

std::string runAndCapture(const std::string& commandLine) {
    std::string out;
    FILE* pipe = popen(commandLine.c_str(), "r");
    if (pipe == nullptr) return out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    pclose(pipe);
    return out;
}

double peakResidentMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}
