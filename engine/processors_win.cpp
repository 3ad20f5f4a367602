#include "engine/recognition_threads.h"

#include <windows.h>

#include <bit>
#include <vector>

// One PROCESSOR_RELATIONSHIP record per physical core, whose group masks name
// its logical processors; every processor group is counted, not only ours.
ProcessorCounts processorCounts() {
    ProcessorCounts counts;
    DWORD length = 0;
    GetLogicalProcessorInformationEx(RelationProcessorCore, nullptr, &length);
    std::vector<BYTE> buffer(length);
    if (length > 0 && GetLogicalProcessorInformationEx(
                          RelationProcessorCore,
                          reinterpret_cast<SYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX*>(buffer.data()), &length)) {
        for (DWORD at = 0; at + sizeof(DWORD) * 2 <= length;) {
            const auto* record = reinterpret_cast<const SYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX*>(buffer.data() + at);
            if (record->Size == 0) break;
            if (record->Relationship == RelationProcessorCore) {
                ++counts.physicalCores;
                const GROUP_AFFINITY* masks = record->Processor.GroupMask;  // GroupCount of them
                for (WORD g = 0; g < record->Processor.GroupCount; ++g)
                    counts.logical += static_cast<unsigned>(std::popcount(masks[g].Mask));
            }
            at += record->Size;
        }
    }
    if (counts.logical == 0) {
        counts.physicalCores = 0;
        counts.logical = GetActiveProcessorCount(ALL_PROCESSOR_GROUPS);
    }
    if (counts.logical == 0) counts.logical = 1;
    return counts;
}
