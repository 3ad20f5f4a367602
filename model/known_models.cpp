#include "model/known_models.h"

namespace {

constexpr std::uint64_t kMegabyte = 1000 * 1000;

// Sizes from the base model's parameters: F32 weights (4 bytes each) and
// q8_0 (about 1.06 bytes each).
constexpr KnownModel kModels[] = {
    {"whiteh4t/navo-uz", "medium", 3056 * kMegabyte, 823 * kMegabyte, "9.64 % (test set not named)", "Apache-2.0"},
    {"Makhmud/whisper-uzbek", "small", 967 * kMegabyte, 264 * kMegabyte, "34.93 % (Common Voice 11)", "Apache-2.0"},
    {"shivkumarganesh/whisper-small-uz-v1", "small", 967 * kMegabyte, 264 * kMegabyte, "25.79 % (Common Voice 11 test)",
     "Apache-2.0"},
};

}  // namespace

std::span<const KnownModel> knownModels() { return kModels; }

const KnownModel& recommendedModel(const ComputerShape& computer) {
    constexpr std::uint64_t kEightGigabytes = 8ull * 1024 * 1024 * 1024;
    // Memory is counted as Windows reports it, a little under the installed size.
    const bool roomy = computer.memoryBytes >= kEightGigabytes * 9 / 10;
    const bool fast = computer.usableGraphicsCard || computer.cores >= 4;
    return fast && roomy ? kModels[0] : kModels[1];
}
