#include "engine/recognition_threads.h"

#include <unistd.h>

#include <fstream>
#include <set>
#include <string>

#include "engine/cpu_list.h"

namespace {

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
    for (unsigned cpu : parseCpuList(firstLine("/sys/devices/system/cpu/online"))) {
        const std::string siblings =
            firstLine("/sys/devices/system/cpu/cpu" + std::to_string(cpu) + "/topology/thread_siblings_list");
        if (!siblings.empty()) cores.insert(siblings);
    }
    counts.physicalCores = static_cast<unsigned>(cores.size());
    return counts;
}
