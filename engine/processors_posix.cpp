#include "engine/recognition_threads.h"

#include <unistd.h>

unsigned logicalProcessorCount() {
    const long online = sysconf(_SC_NPROCESSORS_ONLN);
    return online > 0 ? static_cast<unsigned>(online) : 1;
}
