#include "engine/recognition_threads.h"

#include <unistd.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

// "0-3,6,8-9" (the kernel's list format) as numbers.
std::vector<unsigned> cpuList(const std::string& text) {
    std::vector<unsigned> cpus;
    std::stringstream items(text);
    for (std::string item; std::getline(items, item, ',');) {
        unsigned first = 0, last = 0;
        char dash = 0;
        std::stringstream range(item);
        if (!(range >> first)) continue;
        last = (range >> dash >> last && dash == '-') ? last : first;
        for (unsigned cpu = first; cpu <= last && cpus.size() < 4096; ++cpu) cpus.push_back(cpu);
    }
    return cpus;
}

std::string firstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

}  // namespace

ProcessorCounts processorCounts() {
    ProcessorCounts counts;
    const long online = sysconf(_SC_NPROCESSORS_ONLN);
    counts.logical = online > 0 ? static_cast<unsigned>(online) : 1;
    // One sibling list per core, shared by its hardware threads.
    std::set<std::string> cores;
    for (unsigned cpu : cpuList(firstLine("/sys/devices/system/cpu/online"))) {
        const std::string siblings =
            firstLine("/sys/devices/system/cpu/cpu" + std::to_string(cpu) + "/topology/thread_siblings_list");
        if (!siblings.empty()) cores.insert(siblings);
    }
    counts.physicalCores = static_cast<unsigned>(cores.size());
    return counts;
}
