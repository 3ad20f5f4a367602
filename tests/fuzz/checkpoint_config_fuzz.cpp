// libFuzzer target for a checkpoint's config.json and vocab.json: whatever
// the bytes, both readers return, and a reading they accept is sound.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "model/checkpoint_config.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ConfigReading config = readCheckpointConfig(text);
    if (config.error.empty() && (config.header.nAudioState < 1 || config.header.nAudioHead < 1)) std::abort();
    const VocabularyReading vocabulary = readCheckpointVocabulary(text, 64);
    if (!vocabulary.error.empty() && !vocabulary.tokens.empty()) std::abort();
    if (vocabulary.error.empty() && (vocabulary.tokens.empty() || vocabulary.tokens.size() > 64)) std::abort();
    return 0;
}
