#pragma once

// A value from a downloaded file, in words for an error message.

#include <string>

#include <nlohmann/json.hpp>

// A number, string (cut after 40 bytes), true, false or null as written; a
// list or an object only by its kind. Never dump(): it walks a value
// recursively, and a file nested twenty thousand levels deep would overflow
// the stack of the thread that reads it.
std::string jsonValueInWords(const nlohmann::json& value);
