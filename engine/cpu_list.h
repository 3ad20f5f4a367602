#pragma once
// The Linux kernel's list format for sets of processors ("0-3,6,8-9"), as
// /sys/devices/system/cpu/online and the topology files write it.

#include <string_view>
#include <vector>

// The processors named, in the order written; malformed items are skipped,
// and no more than 4096 are returned.
std::vector<unsigned> parseCpuList(std::string_view text);
