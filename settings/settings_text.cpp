#include "settings/settings_text.h"

#include <algorithm>
#include <cstdint>

#include "diag/text_trim.h"

namespace {

bool isCSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

// Sign and magnitude of the leading number; empty when no digit follows.
struct Magnitude {
    bool negative = false;
    bool tooLarge = false;  // above 32 bits' worth of digits
    std::uint64_t value = 0;
};

std::optional<Magnitude> leadingNumber(const std::wstring& text) {
    std::size_t i = 0;
    while (i < text.size() && isCSpace(text[i])) ++i;
    Magnitude number;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) number.negative = text[i++] == L'-';
    const std::size_t firstDigit = i;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        number.value = number.value * 10 + static_cast<std::uint64_t>(text[i] - L'0');
        if (number.value > UINT32_MAX) {
            number.tooLarge = true;
            number.value = UINT32_MAX + std::uint64_t{1};  // stays large, never overflows
        }
    }
    if (i == firstDigit) return std::nullopt;
    return number;
}

bool onlyOne(const std::wstring& value) { return value == L"1"; }

const wchar_t* flag(bool value) { return value ? L"1" : L"0"; }

// One of 0, 1 or 2 exactly; anything else is the default, 0.
std::int32_t choiceOfThree(const std::wstring& value) {
    return value == L"1" ? 1 : value == L"2" ? 2 : 0;
}

}  // namespace

std::optional<std::uint32_t> parseUnsigned32(const std::wstring& text) {
    const auto number = leadingNumber(text);
    if (!number || number->tooLarge) return std::nullopt;
    const auto magnitude = static_cast<std::uint32_t>(number->value);
    return number->negative ? static_cast<std::uint32_t>(0u - magnitude) : magnitude;
}

std::optional<std::int32_t> parseSigned32(const std::wstring& text) {
    const auto number = leadingNumber(text);
    if (!number || number->tooLarge) return std::nullopt;
    if (number->negative) {
        if (number->value > std::uint64_t{INT32_MAX} + 1) return std::nullopt;
        return static_cast<std::int32_t>(-static_cast<std::int64_t>(number->value));
    }
    if (number->value > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(number->value);
}

std::wstring oneLineValue(const std::wstring& value) {
    std::wstring line;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const wchar_t c = value[i];
        if (c == L'\r' || c == L'\n') {
            if (c == L'\r' && i + 1 < value.size() && value[i + 1] == L'\n') ++i;
            line += L", ";
        } else {
            line += c < L' ' ? L' ' : c;
        }
    }
    return line;
}

Settings defaultSettings() {
    Settings settings;
    settings.modifiers = kDefaultHotkeyModifiers;
    return settings;
}

std::wstring composeSettingsText(const Settings& s) {
    std::wstring text;
    text += L"# Vornika sozlamalari\n";
    text += L"# Bu faylni qo'lda tahrirlash mumkin. Ilovani qayta ishga tushiring.\n";
    text += L"\n";
    text += L"hotkey.vk=" + std::to_wstring(s.vk) + L"\n";
    text += L"hotkey.modifiers=" + std::to_wstring(s.modifiers) + L"\n";
    text += L"hotkey.label=" + s.label + L"\n";
    text += L"mic.deviceId=" + s.deviceId + L"\n";
    text += L"mic.deviceName=" + s.deviceName + L"\n";
    text += std::wstring(L"insertMode=") + (s.insertMode == InsertMode::Type ? L"type" : L"paste") + L"\n";
    text += std::wstring(L"autoStart=") + flag(s.autoStart) + L"\n";
    text += std::wstring(L"useGpu=") + flag(s.useGpu) + L"\n";
    text += L"idleUnloadSeconds=" + std::to_wstring(s.idleUnloadSeconds) + L"\n";
    text += std::wstring(L"didOnboard=") + flag(s.didOnboard) + L"\n";
    text += L"text.script=" + std::to_wstring(static_cast<std::int32_t>(s.textScript)) + L"\n";
    text += L"text.apostrophe=" + std::to_wstring(static_cast<std::int32_t>(s.textApostrophe)) + L"\n";
    text += std::wstring(L"text.trailingSpace=") + flag(s.textTrailingSpace) + L"\n";
    text += std::wstring(L"text.spokenBreaks=") + flag(s.textSpokenBreaks) + L"\n";
    text += L"hotkey.mode=" + std::to_wstring(static_cast<std::int32_t>(s.hotkeyMode)) + L"\n";
    text += std::wstring(L"hotkey.cancel=") + flag(s.cancelKey) + L"\n";
    text += std::wstring(L"sounds=") + flag(s.sounds) + L"\n";
    text += std::wstring(L"history=") + flag(s.history) + L"\n";
    text += L"vocabulary=" + oneLineValue(s.vocabulary) + L"\n";
    text += L"live.afterSeconds=" + std::to_wstring(s.liveAfterSeconds) + L"\n";
    return text;
}

namespace {

void applyLine(const std::wstring& key, const std::wstring& value, Settings& s) {
    if (key == L"hotkey.vk") {
        if (const auto v = parseUnsigned32(value)) s.vk = *v;
    } else if (key == L"hotkey.modifiers") {
        if (const auto v = parseUnsigned32(value)) s.modifiers = *v;
    } else if (key == L"hotkey.label") {
        s.label = value;
    } else if (key == L"mic.deviceId") {
        s.deviceId = value;
    } else if (key == L"mic.deviceName") {
        s.deviceName = value;
    } else if (key == L"insertMode") {
        s.insertMode = value == L"type" ? InsertMode::Type : InsertMode::Paste;
    } else if (key == L"autoStart") {
        s.autoStart = onlyOne(value);
    } else if (key == L"useGpu") {
        s.useGpu = onlyOne(value);
    } else if (key == L"idleUnloadSeconds") {
        if (const auto v = parseSigned32(value)) s.idleUnloadSeconds = *v;
    } else if (key == L"didOnboard") {
        s.didOnboard = onlyOne(value);
    } else if (key == L"text.script") {
        s.textScript = static_cast<TextScript>(choiceOfThree(value));
    } else if (key == L"text.apostrophe") {
        s.textApostrophe = static_cast<TextApostrophe>(choiceOfThree(value));
    } else if (key == L"text.trailingSpace") {
        s.textTrailingSpace = onlyOne(value);
    } else if (key == L"text.spokenBreaks") {
        s.textSpokenBreaks = onlyOne(value);
    } else if (key == L"hotkey.mode") {
        s.hotkeyMode = static_cast<HotkeyMode>(choiceOfThree(value));
    } else if (key == L"hotkey.cancel") {
        s.cancelKey = onlyOne(value);
    } else if (key == L"sounds") {
        s.sounds = onlyOne(value);
    } else if (key == L"history") {
        s.history = onlyOne(value);
    } else if (key == L"vocabulary") {
        s.vocabulary = value;
    } else if (key == L"live.afterSeconds") {
        if (const auto v = parseSigned32(value)) s.liveAfterSeconds = *v;
    }
}

}  // namespace

Settings parseSettingsText(const std::wstring& text) {
    Settings s = defaultSettings();
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring line = trimBlanks(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == L'#') continue;
        const std::size_t equals = line.find(L'=');
        if (equals == std::wstring::npos) continue;
        applyLine(trimBlanks(line.substr(0, equals)), trimBlanks(line.substr(equals + 1)), s);
    }
    if (s.modifiers == 0) s.modifiers = kDefaultHotkeyModifiers;
    if (s.vk == 0) s.vk = kDefaultHotkeyVk;
    if (s.label.empty()) s.label = kDefaultHotkeyKeyName;
    if (s.idleUnloadSeconds < kShortestIdleUnloadSeconds) s.idleUnloadSeconds = kDefaultIdleUnloadSeconds;
    if (s.liveAfterSeconds < 0) s.liveAfterSeconds = kDefaultLiveAfterSeconds;
    if (s.liveAfterSeconds > 0)
        s.liveAfterSeconds = std::clamp(s.liveAfterSeconds, kShortestLiveAfterSeconds, kLongestLiveAfterSeconds);
    return s;
}
