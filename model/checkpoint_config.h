#pragma once
// What a Hugging Face whisper checkpoint's JSON files give a whisper model
// file: the header's dimensions from config.json and the vocabulary from
// vocab.json. Pure: text in, values or what is wrong (English) out.

#include <string>
#include <string_view>
#include <vector>

#include "engine/model_layout.h"

struct ConfigReading {
    ModelHeader header;  // ftype left 0: the caller chooses the type
    std::string error;
};

// n_text_ctx comes from max_target_positions (max_length, which some
// fine-tunes set differently, is the generation limit, not the table size).
// Every dimension must be a positive integer within what any whisper model
// has, and the state sizes must divide among the heads.
ConfigReading readCheckpointConfig(std::string_view configJson);

struct VocabularyReading {
    std::vector<std::string> tokens;  // the bytes of ids 0, 1, ... up to <|endoftext|>, exclusive
    std::string error;
};

// vocab.json maps GPT-2 byte-level strings to ids. The tokens before
// <|endoftext|> (all of them when it is missing) must be ids 0..n-1 without
// a gap, n no more than the header's vocabulary, each string spelled in
// the byte alphabet.
VocabularyReading readCheckpointVocabulary(std::string_view vocabJson, int nVocab);

// GPT-2's byte-level alphabet: the code point that stands for each byte.
char32_t byteLevelCharacter(unsigned char byte);
