// The records GetLogicalProcessorInformationEx gives for processor cores,
// read on layouts a test machine does not have.
#include <gtest/gtest.h>

#include <vector>

#include "engine/processors_win.h"

namespace {

// One core record per entry: its logical processors as one mask per group.
std::vector<BYTE> coreRecords(const std::vector<std::vector<KAFFINITY>>& cores) {
    std::vector<BYTE> buffer;
    for (const std::vector<KAFFINITY>& groups : cores) {
        const std::size_t extra = groups.size() > 1 ? (groups.size() - 1) * sizeof(GROUP_AFFINITY) : 0;
        const std::size_t size = sizeof(SYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX) + extra;
        std::vector<BYTE> record(size);
        auto* info = reinterpret_cast<SYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX*>(record.data());
        info->Relationship = RelationProcessorCore;
        info->Size = static_cast<DWORD>(size);
        info->Processor.GroupCount = static_cast<WORD>(groups.size());
        GROUP_AFFINITY* masks = info->Processor.GroupMask;
        for (std::size_t g = 0; g < groups.size(); ++g) {
            masks[g].Group = static_cast<WORD>(g);
            masks[g].Mask = groups[g];
        }
        buffer.insert(buffer.end(), record.begin(), record.end());
    }
    return buffer;
}

ProcessorCounts count(const std::vector<BYTE>& records, DWORD length) { return countCoreRecords(records.data(), length); }

}  // namespace

TEST(CoreRecords, CoresAndTheirLogicalProcessors) {
    struct Case {
        const char* layout;
        std::vector<std::vector<KAFFINITY>> cores;
        unsigned physicalCores, logical;
    };
    const Case cases[] = {
        {"2 cores, 2 threads", {{0b1}, {0b10}}, 2, 2},
        {"2 cores, 4 threads", {{0b11}, {0b1100}}, 2, 4},
        {"4 hyperthreaded and 4 single-threaded cores",
         {{0x3}, {0xC}, {0x30}, {0xC0}, {0x100}, {0x200}, {0x400}, {0x800}}, 8, 12},
        {"a core over two groups", {{0b11, 0b1}}, 1, 3},
        {"nothing", {}, 0, 0},
    };
    for (const Case& c : cases) {
        const std::vector<BYTE> records = coreRecords(c.cores);
        const ProcessorCounts counts = count(records, static_cast<DWORD>(records.size()));
        EXPECT_EQ(counts.physicalCores, c.physicalCores) << c.layout;
        EXPECT_EQ(counts.logical, c.logical) << c.layout;
    }
}

TEST(CoreRecords, ARecordCutShortOrOfNoSizeEndsTheCount) {
    std::vector<BYTE> records = coreRecords({{0b11}, {0b1100}});
    const DWORD one = static_cast<DWORD>(records.size() / 2);
    EXPECT_EQ(count(records, one + one / 2).physicalCores, 1u) << "the second record is cut short";
    reinterpret_cast<SYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX*>(records.data() + one)->Size = 0;
    EXPECT_EQ(count(records, static_cast<DWORD>(records.size())).logical, 2u);
    EXPECT_EQ(count(records, 0).logical, 0u);
}
