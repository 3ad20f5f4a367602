#pragma once
// The Uzbek whisper fine-tunes the program offers to download, as their
// model cards describe them (the figures are the cards', and word error
// rates on different test sets do not compare), and the one it recommends
// for a computer. The download checks each repository's files itself: this
// list is never trusted for that. Pure.

#include <cstdint>
#include <span>
#include <string>

struct KnownModel {
    const char* repo;
    const char* base;               // the whisper size it was tuned from
    std::uint64_t downloadBytes;    // the safetensors weights, about
    std::uint64_t modelBytes;       // the q8_0 file made of them, about
    const char* wordErrorRate;      // as the card states it, with its test set
    const char* licence;
};

std::span<const KnownModel> knownModels();

struct ComputerShape {
    unsigned cores = 0;
    std::uint64_t memoryBytes = 0;
    bool usableGraphicsCard = false;  // the card check's verdict
};

// The medium model where it recognises in reasonable time (a usable card, or
// four cores and 8 GB), the small one elsewhere.
const KnownModel& recommendedModel(const ComputerShape& computer);
