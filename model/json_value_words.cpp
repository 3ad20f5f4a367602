#include "model/json_value_words.h"

#include <cstdio>

std::string jsonValueInWords(const nlohmann::json& value) {
    if (value.is_array()) return "a list";
    if (value.is_object()) return "an object";
    if (value.is_boolean()) return value.get<bool>() ? "true" : "false";
    if (value.is_number_unsigned()) return std::to_string(value.get<std::uint64_t>());
    if (value.is_number_integer()) return std::to_string(value.get<std::int64_t>());
    if (value.is_number_float()) {
        char number[32];
        std::snprintf(number, sizeof number, "%g", value.get<double>());
        return number;
    }
    if (!value.is_string()) return "null";
    const std::string& text = value.get_ref<const std::string&>();
    if (text.size() <= 40) return "\"" + text + "\"";
    std::size_t cut = 40;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;  // not inside a character
    return "\"" + text.substr(0, cut) + "\"…";
}
