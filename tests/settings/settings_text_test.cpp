#include "settings/settings_text.h"

#include <set>

#include <gtest/gtest.h>

#include "diag/encoding.h"
#include "settings/setting_fields.h"

namespace {

Settings parsed(const std::wstring& text) { return parseSettingsText(text); }
std::uint32_t vkFrom(const std::wstring& value) { return parsed(L"hotkey.vk=" + value).vk; }
std::int32_t idleFrom(const std::wstring& value) { return parsed(L"idleUnloadSeconds=" + value).idleUnloadSeconds; }

}  // namespace

TEST(SettingsText, NothingGivesTheDefaults) {
    const Settings s = parsed(L"");
    EXPECT_EQ(s.vk, 68u);
    EXPECT_EQ(s.modifiers, 3u);
    EXPECT_EQ(s.label, L"D");
    EXPECT_EQ(s.deviceId, L"");
    EXPECT_EQ(s.deviceName, L"");
    EXPECT_EQ(s.insertMode, InsertMode::Paste);
    EXPECT_TRUE(s.autoStart);
    EXPECT_TRUE(s.useGpu);
    EXPECT_EQ(s.idleUnloadSeconds, 180);
    EXPECT_FALSE(s.didOnboard);
    EXPECT_EQ(s, defaultSettings());
    EXPECT_EQ(s, Settings{}) << "one default for a fresh record and for a missing file";
}

TEST(SettingsText, LinesAreTrimmedAndSplitAtTheFirstEquals) {
    EXPECT_EQ(parsed(L"  hotkey.vk \t=  65 \r\n").vk, 65u);
    EXPECT_EQ(parsed(L"mic.deviceName=a=b").deviceName, L"a=b");
    EXPECT_EQ(parsed(L"mic.deviceName=   Mikrofon (USB)  \t").deviceName, L"Mikrofon (USB)");
    EXPECT_EQ(parsed(L"mic.deviceId=\u00A0id\u00A0").deviceId, L"\u00A0id\u00A0") << "only the four blanks";
    EXPECT_EQ(parsed(L"useGpu=1\nhotkey.vk=70").vk, 70u) << "a last line without a line feed counts";
    EXPECT_EQ(parsed(L"hotkey.vk 70\nHotkey.vk=71\nhotkey.VK=72").vk, 68u) << "no '=', or another letter case";
}

TEST(SettingsText, UnsignedNumbersConvertLikeWcstoul) {
    EXPECT_EQ(vkFrom(L"65abc"), 65u);
    EXPECT_EQ(vkFrom(L"abc"), 68u);
    EXPECT_EQ(vkFrom(L""), 68u);
    EXPECT_EQ(vkFrom(L"0"), 68u) << "repaired";
    EXPECT_EQ(vkFrom(L"+66"), 66u);
    EXPECT_EQ(vkFrom(L"-1"), 4294967295u);
    EXPECT_EQ(vkFrom(L"4294967295"), 4294967295u);
    EXPECT_EQ(vkFrom(L"-4294967295"), 1u);
    EXPECT_EQ(parsed(L"hotkey.vk=70\nhotkey.vk=4294967296").vk, 70u) << "out of range keeps the earlier value";
    EXPECT_EQ(parsed(L"hotkey.vk=70\nhotkey.vk=99999999999999999999999").vk, 70u);
    EXPECT_EQ(parsed(L"hotkey.vk=70\nhotkey.vk=-").vk, 70u);
    EXPECT_EQ(parsed(L"hotkey.modifiers=0").modifiers, 3u);
    EXPECT_EQ(parsed(L"hotkey.modifiers=31").modifiers, 31u) << "other bits pass unchanged";
}

TEST(SettingsText, IdleSecondsAreSignedAndAtLeastTen) {
    EXPECT_EQ(idleFrom(L"5"), 180);
    EXPECT_EQ(idleFrom(L"-30"), 180);
    EXPECT_EQ(idleFrom(L"10"), 10);
    EXPECT_EQ(idleFrom(L"86400"), 86400);
    EXPECT_EQ(idleFrom(L"2147483647"), 2147483647);
    EXPECT_EQ(idleFrom(L"-2147483648"), 180);
    EXPECT_EQ(parsed(L"idleUnloadSeconds=300\nidleUnloadSeconds=2147483648").idleUnloadSeconds, 300);
}

TEST(SettingsText, FlagsAndModeTakeOnlyTheirExactWords) {
    EXPECT_FALSE(parsed(L"autoStart=true").autoStart);
    EXPECT_TRUE(parsed(L"autoStart=1").autoStart);
    for (const wchar_t* value : {L"0", L"01", L"yes", L""}) EXPECT_FALSE(parsed(std::wstring(L"useGpu=") + value).useGpu);
    EXPECT_TRUE(parsed(L"didOnboard=1").didOnboard);
    EXPECT_EQ(parsed(L"insertMode=type").insertMode, InsertMode::Type);
    EXPECT_EQ(parsed(L"insertMode=TYPE").insertMode, InsertMode::Paste);
    EXPECT_EQ(parsed(L"insertMode=Type").insertMode, InsertMode::Paste);
    EXPECT_EQ(parsed(L"insertMode=type\ninsertMode=paste").insertMode, InsertMode::Paste);
}

TEST(SettingsText, LabelRepairIgnoresTheKeyCode) {
    const Settings s = parsed(L"hotkey.vk=65\nhotkey.label=");
    EXPECT_EQ(s.vk, 65u);
    EXPECT_EQ(s.label, L"D");
    EXPECT_EQ(parsed(L"hotkey.label=   ").label, L"D");
    EXPECT_EQ(parsed(L"hotkey.vk=65").label, L"D") << "the label is never recomputed";
}

TEST(SettingsText, CommentsDuplicatesAndByteOrderMark) {
    EXPECT_EQ(parsed(L"#hotkey.vk=1\n   \t# hotkey.vk=2").vk, 68u);
    EXPECT_TRUE(parsed(L";useGpu=0").useGpu) << "';' starts an unknown key, not a comment";
    EXPECT_FALSE(parsed(L"useGpu=1 # yes").useGpu) << "'#' later in a line is part of the value";
    EXPECT_EQ(parsed(L"hotkey.label=#").label, L"#");
    EXPECT_TRUE(parsed(L"useGpu=0\nuseGpu=1").useGpu);
    EXPECT_EQ(parsed(L"hotkey.vk=70\nhotkey.vk=abc").vk, 70u) << "the last occurrence that parses";
    EXPECT_EQ(parsed(L"\uFEFFhotkey.vk=65\n").vk, 68u) << "the mark is part of the first key";
    EXPECT_EQ(parsed(L"\uFEFF# Vornika sozlamalari\nhotkey.vk=65\n").vk, 65u);
    EXPECT_EQ(parsed(L"hotkey.label=\uFFFD\n").label, L"\uFFFD");
}

TEST(SettingsText, TextChoicesTakeOnlyTheirNumbersAndFlags) {
    const struct {
        const wchar_t* line;
        TextScript script;
        TextApostrophe apostrophe;
    } cases[] = {
        {L"text.script=2", TextScript::Cyrillic, TextApostrophe::AsRecognised},
        {L"text.script=1\ntext.apostrophe=2", TextScript::Latin, TextApostrophe::Ascii},
        {L"text.apostrophe=1", TextScript::AsRecognised, TextApostrophe::Standard},
        {L"text.script=3\ntext.apostrophe=-1", TextScript::AsRecognised, TextApostrophe::AsRecognised},
        {L"text.script=cyrillic\ntext.apostrophe=01", TextScript::AsRecognised, TextApostrophe::AsRecognised},
        {L"text.script=2\ntext.script=9", TextScript::AsRecognised, TextApostrophe::AsRecognised},
        {L"text.script = 2 ", TextScript::Cyrillic, TextApostrophe::AsRecognised},
    };
    for (const auto& c : cases) {
        const Settings s = parsed(c.line);
        EXPECT_EQ(s.textScript, c.script) << toUtf8(c.line);
        EXPECT_EQ(s.textApostrophe, c.apostrophe) << toUtf8(c.line);
    }
    EXPECT_TRUE(parsed(L"text.trailingSpace=1").textTrailingSpace);
    EXPECT_FALSE(parsed(L"text.trailingSpace=true").textTrailingSpace);
    EXPECT_TRUE(parsed(L"text.spokenBreaks=1").textSpokenBreaks);
    EXPECT_FALSE(parsed(L"text.spokenBreaks=2").textSpokenBreaks);
}

TEST(SettingsText, WrittenFileIsItsFixedLines) {
    Settings s = defaultSettings();
    s.didOnboard = true;
    EXPECT_EQ(toUtf8(composeSettingsText(s)),
              "# Vornika sozlamalari\n"
              "# Bu faylni qo'lda tahrirlash mumkin. Ilovani qayta ishga tushiring.\n"
              "\n"
              "hotkey.vk=68\n"
              "hotkey.modifiers=3\n"
              "hotkey.label=D\n"
              "mic.deviceId=\n"
              "mic.deviceName=\n"
              "insertMode=paste\n"
              "autoStart=1\n"
              "useGpu=1\n"
              "idleUnloadSeconds=180\n"
              "didOnboard=1\n"
              "text.script=0\n"
              "text.apostrophe=0\n"
              "text.trailingSpace=0\n"
              "text.spokenBreaks=0\n"
              "hotkey.mode=0\n"
              "hotkey.cancel=1\n"
              "sounds=0\n"
              "history=1\n"
              "vocabulary=\n"
              "live.afterSeconds=20\n"
              "ui.language=0\n");
}

TEST(SettingsText, WhatIsWrittenReadsBackEqual) {
    Settings s;
    s.vk = 0x7B;
    s.modifiers = 15;
    s.label = L"F12";
    s.deviceId = L"{0.0.1.00000000}.{a1b2c3d4-0000-4000-8000-123456789abc}";
    s.deviceName = L"Mikrofon (Realtek\u00AE Audio) \u2014 O\u02BBzbek \u041C\u0438\u043A";
    s.insertMode = InsertMode::Type;
    s.autoStart = false;
    s.useGpu = false;
    s.idleUnloadSeconds = 600;
    s.didOnboard = true;
    s.textScript = TextScript::Cyrillic;
    s.textApostrophe = TextApostrophe::Ascii;
    s.textTrailingSpace = true;
    s.textSpokenBreaks = true;
    s.hotkeyMode = HotkeyMode::Auto;
    s.cancelKey = false;
    s.sounds = true;
    s.history = false;
    s.vocabulary = L"Toshkent, O\u02BBzbekiston, \u0410\u043B\u0438\u0448\u0435\u0440 = Navoiy";
    s.liveAfterSeconds = 0;
    EXPECT_EQ(parseSettingsText(fromUtf8(toUtf8(composeSettingsText(s)))), s);
    EXPECT_EQ(parseSettingsText(composeSettingsText(defaultSettings())), defaultSettings());
    Settings big = s;
    big.vk = 4294967295u;
    big.idleUnloadSeconds = 2147483647;
    EXPECT_EQ(parseSettingsText(composeSettingsText(big)), big);
}

// Every setting of the table, each changed away from its default alone:
// the file names it once, reads it back, and leaves the others at theirs.
TEST(SettingFields, EachSettingAloneRoundTripsThroughTheFile) {
    std::set<std::wstring> keys;
    for (const SettingField& field : settingFields()) {
        EXPECT_TRUE(keys.insert(field.key).second) << toUtf8(field.key);
        Settings changed;
        if (field.kind == SettingKind::Text) {
            changed.*field.text = L"Qiymat \u2014 \u0417\u043D\u0430\u0447 = 1";
        } else if (field.kind == SettingKind::Choice) {
            field.setNumber(changed, (field.number(changed) + 1) % field.choices);
        } else if (field.kind == SettingKind::Flag) {
            field.setNumber(changed, field.number(changed) == 0 ? 1 : 0);
        } else {
            const std::int64_t away = field.number(changed) == field.rule.max ? field.rule.min : field.rule.max;
            field.setNumber(changed, away);
        }
        ASSERT_NE(changed, Settings{}) << toUtf8(field.key);
        const std::wstring text = composeSettingsText(changed);
        EXPECT_EQ(parseSettingsText(text), changed) << toUtf8(text);
        const std::wstring line = std::wstring(L"\n") + field.key + L"=" + fileValue(field, changed) + L"\n";
        EXPECT_NE(text.find(line), std::wstring::npos) << toUtf8(text);
        Settings read;
        readFileValue(field, fileValue(field, changed), read);
        EXPECT_EQ(read, changed) << toUtf8(field.key);
    }
}

// A value that ends up on a line of its own in the file: a line break in
// any text (a device name, a label) cannot start a key of its own.
TEST(SettingFields, NoTextBreaksItsLine) {
    for (const SettingField& field : settingFields()) {
        if (field.kind != SettingKind::Text) continue;
        Settings s;
        s.*field.text = L"a\nuseGpu=0\rsounds=1";
        const Settings back = parseSettingsText(composeSettingsText(s));
        EXPECT_TRUE(back.useGpu) << toUtf8(field.key);
        EXPECT_FALSE(back.sounds) << toUtf8(field.key);
        EXPECT_EQ(back.*field.text, L"a, useGpu=0, sounds=1") << toUtf8(field.key);
    }
}

TEST(SettingsText, DictationChoicesAndAVocabularyTypedOverSeveralLines) {
    const auto parsed = [](const wchar_t* text) { return parseSettingsText(text); };
    EXPECT_EQ(parsed(L"hotkey.mode=1").hotkeyMode, HotkeyMode::Hold);
    EXPECT_EQ(parsed(L"hotkey.mode=2").hotkeyMode, HotkeyMode::Auto);
    EXPECT_EQ(parsed(L"hotkey.mode=3").hotkeyMode, HotkeyMode::Toggle);
    EXPECT_FALSE(parsed(L"hotkey.cancel=0").cancelKey);
    EXPECT_TRUE(parsed(L"sounds=1").sounds);
    EXPECT_FALSE(parsed(L"history=0").history);
    // Recognition in parts: 0 is off, other values kept within what works.
    for (const auto& [line, seconds] : std::vector<std::pair<const wchar_t*, int>>{
             {L"live.afterSeconds=0", 0}, {L"live.afterSeconds=15", 15}, {L"live.afterSeconds=3", 10},
             {L"live.afterSeconds=60", 25}, {L"live.afterSeconds=-1", 20}, {L"live.afterSeconds=x", 20}}) {
        EXPECT_EQ(parsed(line).liveAfterSeconds, seconds) << toUtf8(line);
    }
    // A value with line breaks (from the multi-line field) must not break the
    // file: it is written as one line and the keys after it survive.
    Settings s = defaultSettings();
    s.vocabulary = L"Toshkent\r\nSamarqand\nBuxoro\tXiva";
    s.sounds = true;
    const Settings back = parseSettingsText(composeSettingsText(s));
    EXPECT_EQ(back.vocabulary, L"Toshkent, Samarqand, Buxoro Xiva");
    EXPECT_TRUE(back.sounds);
}

TEST(HotkeyLabel, ModifierNamesInTheirFixedOrder) {
    Settings s = defaultSettings();
    EXPECT_EQ(s.hotkeyLabel(), L"Ctrl+Alt+D");
    s.modifiers = 0;
    EXPECT_EQ(s.hotkeyLabel(), L"Ctrl+Alt+D");
    s.modifiers = 4;
    EXPECT_EQ(s.hotkeyLabel(), L"Shift+D");
    s.modifiers = 15;
    EXPECT_EQ(s.hotkeyLabel(), L"Ctrl+Alt+Shift+Win+D");
    s.modifiers = 16;
    EXPECT_EQ(s.hotkeyLabel(), L"D");
    s.modifiers = 3;
    s.label = L"";
    EXPECT_EQ(s.hotkeyLabel(), L"Ctrl+Alt+");
}

TEST(HotkeyLabel, NamesWithoutALayout) {
    EXPECT_EQ(fallbackKeyName(65), L"A");
    EXPECT_EQ(fallbackKeyName(90), L"Z");
    EXPECT_EQ(fallbackKeyName(97), L"Key97");
    EXPECT_EQ(fallbackKeyName(255), L"Key255");
    EXPECT_EQ(fallbackKeyName(0), L"Key0");
}
