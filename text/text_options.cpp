#include "text/text_options.h"

#include <optional>
#include <string_view>

namespace {

std::optional<ScriptChoice> scriptNamed(std::string_view name) {
    if (name == "asis") return ScriptChoice::AsRecognised;
    if (name == "latin") return ScriptChoice::Latin;
    if (name == "cyrillic") return ScriptChoice::Cyrillic;
    return std::nullopt;
}

std::optional<ApostropheChoice> apostropheNamed(std::string_view name) {
    if (name == "asis") return ApostropheChoice::AsRecognised;
    if (name == "standard") return ApostropheChoice::Standard;
    if (name == "ascii") return ApostropheChoice::Ascii;
    return std::nullopt;
}

}  // namespace

int parseTextOption(const std::vector<std::string>& args, std::size_t position, TextStyle& style) {
    if (position >= args.size()) return 0;
    const std::string_view arg = args[position];
    if (arg == "--trailing-space") {
        style.trailingSpace = true;
        return 1;
    }
    if (arg == "--spoken-breaks") {
        style.spokenBreaks = true;
        return 1;
    }
    // An option with a value, as the next argument or after "=".
    const std::string_view name = arg.substr(0, arg.find('='));
    if (name == "--trailing-space" || name == "--spoken-breaks") return -1;
    if (name != "--script" && name != "--apostrophe") return 0;
    std::string_view value;
    int used = 1;
    if (name.size() < arg.size()) {
        value = arg.substr(name.size() + 1);
    } else if (position + 1 < args.size()) {
        value = args[position + 1];
        used = 2;
    } else {
        return -1;
    }
    if (name == "--script") {
        const auto script = scriptNamed(value);
        if (!script) return -1;
        style.script = *script;
    } else {
        const auto apostrophe = apostropheNamed(value);
        if (!apostrophe) return -1;
        style.apostrophe = *apostrophe;
    }
    return used;
}
