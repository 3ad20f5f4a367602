#include "model/json_value_words.h"

std::string jsonValueInWords(const nlohmann::json& value) {
    if (value.is_array()) return "a list";
    if (value.is_object()) return "an object";
    // The cut may split a character; `replace` writes U+FFFD for it where the
    // default would throw.
    constexpr auto kReplace = nlohmann::json::error_handler_t::replace;
    if (value.is_string() && value.get_ref<const std::string&>().size() > 40)
        return nlohmann::json(value.get_ref<const std::string&>().substr(0, 40)).dump(-1, ' ', false, kReplace) + "…";
    return value.dump(-1, ' ', false, kReplace);
}
