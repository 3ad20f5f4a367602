#include "settings/setting_fields.h"

#include <algorithm>

#include "settings/settings_text.h"

namespace {

constexpr const wchar_t* kInsertModeWords[] = {L"paste", L"type"};

// Ctrl+Alt+D unless the file names a key and at least one modifier.
constexpr NumberRule kNotZero{.lowest = 1};
constexpr NumberRule kIdleSeconds{.lowest = kShortestIdleUnloadSeconds};
// 0 turns recognition in parts off.
constexpr NumberRule kLiveSeconds{.lowest = 0, .min = kShortestLiveAfterSeconds, .max = kLongestLiveAfterSeconds, .off = 0};

const SettingField kFields[] = {
    numberField<&Settings::vk>(L"hotkey.vk", kNotZero),
    numberField<&Settings::modifiers>(L"hotkey.modifiers", kNotZero),
    textField(L"hotkey.label", &Settings::label, true),
    textField(L"mic.deviceId", &Settings::deviceId),
    textField(L"mic.deviceName", &Settings::deviceName),
    choiceField<&Settings::insertMode>(L"insertMode", 2, kInsertModeWords),
    flagField<&Settings::autoStart>(L"autoStart"),
    flagField<&Settings::useGpu>(L"useGpu"),
    numberField<&Settings::idleUnloadSeconds>(L"idleUnloadSeconds", kIdleSeconds),
    flagField<&Settings::didOnboard>(L"didOnboard"),
    choiceField<&Settings::textScript>(L"text.script", 3),
    choiceField<&Settings::textApostrophe>(L"text.apostrophe", 3),
    flagField<&Settings::textTrailingSpace>(L"text.trailingSpace"),
    flagField<&Settings::textSpokenBreaks>(L"text.spokenBreaks"),
    choiceField<&Settings::hotkeyMode>(L"hotkey.mode", 3),
    flagField<&Settings::cancelKey>(L"hotkey.cancel"),
    flagField<&Settings::sounds>(L"sounds"),
    flagField<&Settings::history>(L"history"),
    textField(L"vocabulary", &Settings::vocabulary, false, true),
    numberField<&Settings::liveAfterSeconds>(L"live.afterSeconds", kLiveSeconds),
    choiceField<&Settings::interfaceLanguage>(L"ui.language", 2),
};

std::int64_t defaultNumber(const SettingField& field) { return field.number(Settings{}); }

std::int64_t keptNumber(const SettingField& field, std::int64_t value) {
    const NumberRule& rule = field.rule;
    if (value < rule.lowest) return defaultNumber(field);
    if (rule.off && value == *rule.off) return value;
    return std::clamp(value, rule.min, rule.max);
}

std::wstring choiceText(const SettingField& field, int choice) {
    return field.words != nullptr ? std::wstring(field.words[choice]) : std::to_wstring(choice);
}

}  // namespace

std::span<const SettingField> settingFields() { return kFields; }

const SettingField* findSettingField(const std::wstring& key) {
    for (const SettingField& field : kFields) {
        if (key == field.key) return &field;
    }
    return nullptr;
}

std::wstring fileValue(const SettingField& field, const Settings& s) {
    switch (field.kind) {
    case SettingKind::Unsigned:
    case SettingKind::Signed:
        return std::to_wstring(field.number(s));
    case SettingKind::Flag:
        return field.number(s) != 0 ? L"1" : L"0";
    case SettingKind::Choice: {
        const std::int64_t choice = field.number(s);
        return choiceText(field, choice >= 0 && choice < field.choices ? static_cast<int>(choice) : 0);
    }
    case SettingKind::Text:
        return oneLineValue(s.*field.text);
    }
    return {};
}

void readFileValue(const SettingField& field, const std::wstring& value, Settings& s) {
    switch (field.kind) {
    case SettingKind::Unsigned:
        if (const auto number = parseUnsigned32(value)) field.setNumber(s, *number);
        return;
    case SettingKind::Signed:
        if (const auto number = parseSigned32(value)) field.setNumber(s, *number);
        return;
    case SettingKind::Flag:
        field.setNumber(s, value == L"1" ? 1 : 0);
        return;
    case SettingKind::Choice:
        for (int choice = 0; choice < field.choices; ++choice) {
            if (value == choiceText(field, choice)) {
                field.setNumber(s, choice);
                return;
            }
        }
        field.setNumber(s, defaultNumber(field));
        return;
    case SettingKind::Text:
        s.*field.text = value;
        return;
    }
}

void repairValue(const SettingField& field, Settings& s) {
    switch (field.kind) {
    case SettingKind::Unsigned:
    case SettingKind::Signed:
        field.setNumber(s, keptNumber(field, field.number(s)));
        return;
    case SettingKind::Text:
        if (field.emptyIsDefault && (s.*field.text).empty()) s.*field.text = Settings{}.*field.text;
        return;
    case SettingKind::Flag:
    case SettingKind::Choice:
        return;
    }
}

std::int64_t formNumber(const SettingField& field, const Settings& s) { return field.number(s); }

void readFormNumber(const SettingField& field, std::int64_t value, Settings& s) {
    switch (field.kind) {
    case SettingKind::Flag:
        field.setNumber(s, value != 0 ? 1 : 0);
        return;
    case SettingKind::Choice:
        field.setNumber(s, value >= 0 && value < field.choices ? value : defaultNumber(field));
        return;
    case SettingKind::Unsigned:
    case SettingKind::Signed:
        field.setNumber(s, keptNumber(field, value));
        return;
    case SettingKind::Text:
        return;
    }
}

void readFormText(const SettingField& field, const std::wstring& value, Settings& s) {
    if (field.kind != SettingKind::Text) return;
    s.*field.text = field.list ? listFromField(value) : oneLineValue(value);
    repairValue(field, s);
}
