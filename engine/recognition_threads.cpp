#include "engine/recognition_threads.h"

#include <algorithm>
#include <climits>

int recognitionThreadsFor(unsigned logicalProcessors) {
    const int processors = static_cast<int>(std::min<unsigned>(logicalProcessors, INT_MAX));
    return std::max(4, processors - 2);
}
