#pragma once
// A model the user picked in the settings window made into the program's
// model file: a whisper .bin file is checked and copied, a Hugging Face
// checkpoint folder (or its config.json) is converted to q8_0. Never a
// partial output (see model_output.h): the target is replaced only by a
// complete file that passed the program's model-file check.

#include <filesystem>
#include <string>

#include "model/model_output.h"

enum class ModelSource { WhisperFile, CheckpointFolder };

// A folder, or a file named config.json, is a checkpoint; any other file a
// whisper file (its check tells whether it is one).
ModelSource modelSourceOf(const std::filesystem::path& chosen);

// Paths in UTF-8. Choosing the target itself changes nothing and succeeds.
ConvertOutcome importModel(const std::string& chosen, const std::string& target, const ConvertProgress& progress = {});
