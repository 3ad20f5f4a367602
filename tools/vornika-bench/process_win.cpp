#include <windows.h>
#include <psapi.h>

#include <cstdio>

#include "tools/vornika-bench/bench.h"

std::string runAndCapture(const std::string& commandLine) {
    std::string out;
    // cmd.exe strips the outer quotes of a line that starts with one.
    FILE* pipe = _popen(("\"" + commandLine + "\"").c_str(), "rb");
    if (pipe == nullptr) return out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    _pclose(pipe);
    return out;
}

double peakResidentMegabytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}
