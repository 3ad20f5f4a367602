#include "engine/recognition_threads.h"

#include <algorithm>
#include <climits>

int recognitionThreadsFor(const ProcessorCounts& processors) {
    const long long logical = std::max(1u, processors.logical);
    const long long cores = processors.physicalCores > 0 ? processors.physicalCores : logical;
    const long long wanted = std::max(4LL, logical - 2);
    return static_cast<int>(std::clamp(std::min({wanted, cores, logical}), 1LL, static_cast<long long>(INT_MAX)));
}
