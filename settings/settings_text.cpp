#include "settings/settings_text.h"

#include <algorithm>
#include <cstdint>

#include "diag/text_trim.h"
#include "settings/setting_fields.h"

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

Settings defaultSettings() { return Settings{}; }

std::wstring listFromField(const std::wstring& field) {
    const std::wstring line = oneLineValue(field);
    const auto isEdge = [](wchar_t c) { return c == L' ' || c == L',' || c == L'\t'; };
    std::size_t first = 0, last = line.size();
    while (first < last && isEdge(line[first])) ++first;
    while (last > first && isEdge(line[last - 1])) --last;
    return line.substr(first, last - first);
}

std::wstring composeSettingsText(const Settings& s) {
    std::wstring text;
    text += L"# Vornika sozlamalari\n";
    text += L"# Bu faylni qo'lda tahrirlash mumkin. Ilovani qayta ishga tushiring.\n";
    text += L"\n";
    for (const SettingField& field : settingFields()) text += field.key + (L"=" + fileValue(field, s)) + L"\n";
    return text;
}

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
        if (const SettingField* field = findSettingField(trimBlanks(line.substr(0, equals))))
            readFileValue(*field, trimBlanks(line.substr(equals + 1)), s);
    }
    for (const SettingField& field : settingFields()) repairValue(field, s);
    return s;
}
