#pragma once
// Every setting described once: its key in the file, the record's member,
// what kind of value it is and which values it keeps. The file's writing and
// reading with its repairs, and the settings window's loading and reading,
// all go through this table; a member's initializer is its default. Adding a
// setting is one entry here and its control in the window.

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <type_traits>

#include "settings/settings.h"

enum class SettingKind {
    Unsigned,  // digits, read as the C runtime's wcstoul reads them ("-1" wraps)
    Signed,    // digits, as wcstol reads them
    Flag,      // "1" is on, anything else off
    Choice,    // exactly one of the choices' numbers ("0", "1" …) or words
    Text,      // the rest of the line
};

// Which numbers a setting keeps. A value below `lowest` reads as the
// default; the `off` value stays as it is; the rest is clamped to min..max.
struct NumberRule {
    std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
    std::int64_t min = std::numeric_limits<std::int64_t>::min();
    std::int64_t max = std::numeric_limits<std::int64_t>::max();
    std::optional<std::int64_t> off;
};

struct SettingField {
    const wchar_t* key;
    SettingKind kind;
    // Numbers, flags and choices as a whole number.
    std::int64_t (*number)(const Settings&) = nullptr;
    void (*setNumber)(Settings&, std::int64_t) = nullptr;
    std::wstring Settings::*text = nullptr;
    NumberRule rule{};
    int choices = 0;                       // how many; a choice is 0 .. choices - 1
    const wchar_t* const* words = nullptr;  // the file's word for each choice; null: its number
    bool emptyIsDefault = false;           // a text left empty reads as the default
    bool list = false;                     // a text typed as a list of words over lines
};

namespace setting_field_detail {
template <auto Member>
std::int64_t get(const Settings& s) {
    return static_cast<std::int64_t>(s.*Member);
}
template <auto Member>
void set(Settings& s, std::int64_t value) {
    using Value = std::remove_cvref_t<decltype(s.*Member)>;
    s.*Member = static_cast<Value>(value);
}
}  // namespace setting_field_detail

template <auto Member>
constexpr SettingField numberField(const wchar_t* key, NumberRule rule) {
    using Value = std::remove_cvref_t<decltype(std::declval<Settings>().*Member)>;
    const auto kind = std::is_unsigned_v<Value> ? SettingKind::Unsigned : SettingKind::Signed;
    if (rule.min == std::numeric_limits<std::int64_t>::min()) rule.min = std::numeric_limits<Value>::min();
    if (rule.max == std::numeric_limits<std::int64_t>::max()) rule.max = std::numeric_limits<Value>::max();
    return {key, kind, &setting_field_detail::get<Member>, &setting_field_detail::set<Member>, nullptr, rule};
}

template <auto Member>
constexpr SettingField flagField(const wchar_t* key) {
    return {key, SettingKind::Flag, &setting_field_detail::get<Member>, &setting_field_detail::set<Member>};
}

template <auto Member>
constexpr SettingField choiceField(const wchar_t* key, int choices, const wchar_t* const* words = nullptr) {
    SettingField field{key, SettingKind::Choice, &setting_field_detail::get<Member>, &setting_field_detail::set<Member>};
    field.choices = choices;
    field.words = words;
    return field;
}

constexpr SettingField textField(const wchar_t* key, std::wstring Settings::*member, bool emptyIsDefault = false,
                                 bool list = false) {
    SettingField field{key, SettingKind::Text};
    field.text = member;
    field.emptyIsDefault = emptyIsDefault;
    field.list = list;
    return field;
}

// In the order the file lists them.
std::span<const SettingField> settingFields();
// The field with this key; null when there is none.
const SettingField* findSettingField(const std::wstring& key);

// The value as the file writes it: one line.
std::wstring fileValue(const SettingField& field, const Settings& settings);
// Reads a value from the file into the record: a number that does not parse
// changes nothing; the other kinds always set something.
void readFileValue(const SettingField& field, const std::wstring& value, Settings& settings);
// Brings a value read from the file (or the form) within what the field keeps.
void repairValue(const SettingField& field, Settings& settings);

// The value a control shows: a check box's 0 or 1, a combo's selection, a
// number's value. A text field's control shows the text itself.
std::int64_t formNumber(const SettingField& field, const Settings& settings);
// What the user set in a control: a choice out of range is the default, a
// number is kept as the file would keep it, a list typed over lines becomes
// one line.
void readFormNumber(const SettingField& field, std::int64_t value, Settings& settings);
void readFormText(const SettingField& field, const std::wstring& value, Settings& settings);
