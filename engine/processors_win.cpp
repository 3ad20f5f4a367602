#include "engine/processors_win.h"

#include <bit>
#include <cstddef>
#include <vector>

ProcessorCounts countCoreRecords(const BYTE* records, DWORD length) {
    ProcessorCounts counts;
    constexpr DWORD kRecordHead = offsetof(SYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX, Processor);
    constexpr DWORD kFirstMask = kRecordHead + offsetof(PROCESSOR_RELATIONSHIP, GroupMask);
    for (DWORD at = 0; at + kRecordHead <= length;) {
        const auto* record = reinterpret_cast<const SYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX*>(records + at);
        if (record->Size < kRecordHead || record->Size > length - at) break;
        if (record->Relationship == RelationProcessorCore && record->Size >= kFirstMask) {
            ++counts.physicalCores;
            const GROUP_AFFINITY* masks = record->Processor.GroupMask;  // GroupCount of them
            const DWORD fit = (record->Size - kFirstMask) / sizeof(GROUP_AFFINITY);
            for (WORD g = 0; g < record->Processor.GroupCount && g < fit; ++g)
                counts.logical += static_cast<unsigned>(std::popcount(masks[g].Mask));
        }
        at += record->Size;
    }
    return counts;
}

// Every processor group is counted, not only the one this process runs in.
ProcessorCounts processorCounts() {
    DWORD length = 0;
    GetLogicalProcessorInformationEx(RelationProcessorCore, nullptr, &length);
    std::vector<BYTE> buffer(length);
    ProcessorCounts counts;
    if (length > 0 && GetLogicalProcessorInformationEx(
                          RelationProcessorCore,
                          reinterpret_cast<SYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX*>(buffer.data()), &length))
        counts = countCoreRecords(buffer.data(), length);
    if (counts.logical == 0) {
        counts.physicalCores = 0;
        counts.logical = GetActiveProcessorCount(ALL_PROCESSOR_GROUPS);
    }
    if (counts.logical == 0) counts.logical = 1;
    return counts;
}
