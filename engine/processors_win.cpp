#include "engine/recognition_threads.h"

#include <windows.h>

unsigned logicalProcessorCount() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors;
}
