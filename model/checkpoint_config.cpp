#include "model/checkpoint_config.h"

#include <array>

#include <nlohmann/json.hpp>

#include "model/json_value_words.h"

namespace {

using Json = nlohmann::json;

struct Field {
    const char* key;
    std::int32_t ModelHeader::*member;
    std::int64_t largest;
};

// Far above any published model (large: 1280 states, 32 layers, 51866 tokens),
// far below what would overflow the loader's arithmetic.
constexpr std::array<Field, 9> kFields = {{
    {"vocab_size", &ModelHeader::nVocab, 1'000'000},
    {"max_source_positions", &ModelHeader::nAudioCtx, 100'000},
    {"d_model", &ModelHeader::nAudioState, 65'536},
    {"encoder_attention_heads", &ModelHeader::nAudioHead, 1'024},
    {"encoder_layers", &ModelHeader::nAudioLayer, 1'024},
    {"max_target_positions", &ModelHeader::nTextCtx, 100'000},
    {"decoder_attention_heads", &ModelHeader::nTextHead, 1'024},
    {"decoder_layers", &ModelHeader::nTextLayer, 1'024},
    {"num_mel_bins", &ModelHeader::nMels, 512},
}};

ConfigReading configFailed(std::string error) {
    ConfigReading reading;
    reading.error = std::move(error);
    return reading;
}

// Bytes 33-126, 161-172 and 174-255 stand for themselves; the other 68
// follow U+00FF in increasing order.
bool standsForItself(unsigned char byte) {
    return (byte >= 33 && byte <= 126) || (byte >= 161 && byte <= 172) || byte >= 174;
}

std::array<int, 256 + 68> byteOfCharacter() {
    std::array<int, 256 + 68> bytes;
    bytes.fill(-1);
    for (int byte = 0; byte < 256; ++byte) bytes[byteLevelCharacter(static_cast<unsigned char>(byte))] = byte;
    return bytes;
}

// The code points of a UTF-8 string nlohmann has already checked.
std::vector<char32_t> codePoints(const std::string& text) {
    std::vector<char32_t> points;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t point = length == 1 ? lead : lead & (0xFF >> (length + 1));
        for (int k = 1; k < length && i + static_cast<std::size_t>(k) < text.size(); ++k)
            point = point << 6 | (static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0x3F);
        points.push_back(point);
        i += static_cast<std::size_t>(length);
    }
    return points;
}

}  // namespace

char32_t byteLevelCharacter(unsigned char byte) {
    if (standsForItself(byte)) return byte;
    char32_t next = 256;
    for (int other = 0; other < byte; ++other) next += !standsForItself(static_cast<unsigned char>(other));
    return next;
}

ConfigReading readCheckpointConfig(std::string_view configJson) {
    const Json config = Json::parse(configJson, nullptr, false);
    if (config.is_discarded() || !config.is_object()) return configFailed("config.json is not a JSON object");
    ConfigReading reading;
    for (const Field& field : kFields) {
        const auto value = config.find(field.key);
        if (value == config.end()) return configFailed(std::string("config.json has no ") + field.key);
        if (!value->is_number_integer() || value->get<std::int64_t>() < 1 || value->get<std::int64_t>() > field.largest)
            return configFailed(std::string("config.json: ") + field.key + " is " + jsonValueInWords(*value));
        reading.header.*field.member = static_cast<std::int32_t>(value->get<std::int64_t>());
    }
    ModelHeader& h = reading.header;
    h.nTextState = h.nAudioState;  // one d_model for both halves
    if (h.nAudioState % h.nAudioHead != 0 || h.nTextState % h.nTextHead != 0)
        return configFailed("config.json: d_model does not divide among the attention heads");
    return reading;
}

VocabularyReading readCheckpointVocabulary(std::string_view vocabJson, int nVocab) {
    VocabularyReading reading;
    const auto failed = [&reading](std::string error) {
        reading.tokens.clear();
        reading.error = std::move(error);
        return reading;
    };
    const Json vocab = Json::parse(vocabJson, nullptr, false);
    if (vocab.is_discarded() || !vocab.is_object()) return failed("vocab.json is not a JSON object");
    std::int64_t end = static_cast<std::int64_t>(vocab.size());
    if (const auto eot = vocab.find("<|endoftext|>"); eot != vocab.end()) {
        if (!eot->is_number_integer()) return failed("vocab.json: <|endoftext|> is " + jsonValueInWords(*eot));
        end = eot->get<std::int64_t>();
    }
    if (end < 1 || end > nVocab) {
        return failed("vocab.json: " + std::to_string(end) + " tokens for a vocabulary of " + std::to_string(nVocab));
    }
    static const std::array<int, 256 + 68> kByteOf = byteOfCharacter();
    std::vector<bool> seen(static_cast<std::size_t>(end), false);
    reading.tokens.resize(static_cast<std::size_t>(end));
    for (const auto& [text, id] : vocab.items()) {
        if (!id.is_number_integer()) return failed("vocab.json: the id of \"" + text + "\" is " + jsonValueInWords(id));
        const std::int64_t value = id.get<std::int64_t>();
        if (value < 0 || value >= end) continue;  // special and added tokens
        const auto slot = static_cast<std::size_t>(value);
        if (seen[slot]) return failed("vocab.json: id " + std::to_string(value) + " twice");
        seen[slot] = true;
        std::string& bytes = reading.tokens[slot];
        for (const char32_t point : codePoints(text)) {
            if (point >= kByteOf.size() || kByteOf[point] < 0) {
                return failed("vocab.json: token " + std::to_string(value) + " is not in the byte alphabet");
            }
            bytes += static_cast<char>(kByteOf[point]);
        }
    }
    for (std::size_t id = 0; id < seen.size(); ++id) {
        if (!seen[id]) return failed("vocab.json: no token for id " + std::to_string(id));
    }
    return reading;
}
