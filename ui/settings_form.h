#pragma once
// The settings window's form as values: its controls, the microphone list as
// the combo box shows it, the hotkey control's encoding, and what pressing
// "Saqlash" makes of the form. The window code only moves these to and from
// the controls.

#include <array>
#include <map>
#include <span>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "audio/microphones.h"
#include "settings/settings.h"
#include "ui/geometry.h"

inline constexpr int kHotkeyControlId = 200;
inline constexpr int kMicComboId = 201;
inline constexpr int kMicWarningId = 202;
inline constexpr int kModeComboId = 203;
inline constexpr int kAutostartBoxId = 204;
inline constexpr int kGpuBoxId = 205;
inline constexpr int kSaveButtonId = 206;
inline constexpr int kCancelButtonId = 207;
inline constexpr int kDefaultHotkeyButtonId = 208;
inline constexpr int kDonateButtonId = 209;
inline constexpr int kModelFileId = 210;
inline constexpr int kChooseModelButtonId = 211;
inline constexpr int kModelProgressId = 212;
inline constexpr int kStopImportButtonId = 213;
inline constexpr int kScriptComboId = 214;
inline constexpr int kApostropheComboId = 215;
inline constexpr int kTrailingSpaceBoxId = 216;
inline constexpr int kSpokenBreaksBoxId = 217;
inline constexpr int kTextExampleId = 218;
inline constexpr int kHotkeyModeComboId = 219;
inline constexpr int kCancelKeyBoxId = 220;
inline constexpr int kSoundsBoxId = 221;
inline constexpr int kHistoryBoxId = 222;
inline constexpr int kVocabularyEditId = 223;
inline constexpr int kGpuStatusId = 224;
inline constexpr int kGpuRecheckButtonId = 225;
inline constexpr int kHotkeyWinBoxId = 226;
inline constexpr int kPageTabsId = 227;
inline constexpr int kModelProgressLabelId = 228;
inline constexpr int kLanguageComboId = 229;
inline constexpr int kLabelId = -1;

inline constexpr wchar_t kSettingsTitle[] = L"Vornika \u2014 Sozlamalar";
inline constexpr wchar_t kSettingsCaption[] = L"Sozlamalar";
inline constexpr wchar_t kSystemDefaultMicItem[] = L"(tizim standarti)";
inline constexpr wchar_t kHotkeyRejectedText[] =
    L"Tugma saqlanmadi: kamida bitta modifikator\n(Ctrl, Alt yoki Shift) va bitta tugma kerak.\n\n"
    L"Oldingi tugma o'zgarishsiz qoldi.";
inline constexpr wchar_t kSettingsNotSavedText[] = L"Sozlamalar saqlanmadi. Diskda joy bormi?";
inline constexpr wchar_t kModelCaption[] = L"Model";
inline constexpr wchar_t kGpuRecheckingText[] = L"Videokarta tekshirilmoqda\u2026";
inline constexpr wchar_t kNoModelPlaceText[] =
    L"Modelni saqlash uchun yozib bo'ladigan papka topilmadi.\n"
    L"Dastur papkasiga yozish huquqi bormi? Hozirgi model o'zgarmadi.";
inline constexpr const wchar_t* kInsertModeItems[] = {
    L"Tez (clipboard orqali qo'yish) \u2014 tavsiya etiladi",
    L"Sekin (belgima-belgi yozish) \u2014 qo'yish ishlamasa",
};

// In the order of the settings file's values (0, 1, 2).
inline constexpr const wchar_t* kScriptItems[] = {
    L"Yozuv: asl holicha",
    L"Yozuv: lotin",
    L"Yozuv: \u043a\u0438\u0440\u0438\u043b\u043b",  // кирилл
};
inline constexpr const wchar_t* kApostropheItems[] = {
    L"Tutuq: asl holicha",
    L"Tutuq: o\u02bb, ma\u02bcno (standart)",
    L"Tutuq: o', ma'no (oddiy)",
};

// In the order of the settings file's ui.language values; each in its own script.
inline constexpr const wchar_t* kLanguageItems[] = {
    L"Lotin (O'zbekcha)",
    L"\u041a\u0438\u0440\u0438\u043b\u043b (\u040e\u0437\u0431\u0435\u043a\u0447\u0430)",  // Кирилл (Ўзбекча)
};

// In the order of the settings file's hotkey.mode values (0, 1, 2).
inline constexpr const wchar_t* kHotkeyModeItems[] = {
    L"Bosing: boshlash, yana bosing: to'xtatish",
    L"Ushlab turing: qo'yib yuborilganda to'xtaydi",
    L"Avto: qisqa bosish yoki ushlab turish",
};

inline constexpr int kSettingsFontSize = 13;
inline constexpr Colour kMicWarningColour{176, 92, 0};
inline constexpr Colour kDonateButtonColour{169, 78, 46};
inline constexpr Colour kDonateButtonPressedColour{142, 63, 36};

// "Standart (Ctrl+Alt+D)": the default hotkey's name, spelled at compile time
// for the control table.
inline constexpr auto kDefaultHotkeyButtonText = [] {
    std::array<wchar_t, 48> text{};
    std::size_t length = 0;
    const auto append = [&](const wchar_t* part) {
        while (*part != L'\0') text[length++] = *part++;
    };
    append(L"Standart (");
    for (const ModifierName& name : kModifierNames) {
        if (kDefaultHotkeyModifiers & name.bit) append(name.prefix);
    }
    append(kDefaultHotkeyKeyName);
    append(L")");
    return text;
}();

// The further style each control gets besides WS_CHILD | WS_VISIBLE.
enum class ControlStyle {
    Plain,              // labels, the hotkey control, the "Standart" button
    ScrollingDropDown,  // CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP
    DropDown,           // CBS_DROPDOWNLIST | WS_TABSTOP
    CheckBox,           // BS_AUTOCHECKBOX | WS_TABSTOP
    OwnerDrawnButton,   // BS_OWNERDRAW | WS_TABSTOP
    MultiLineEdit,      // ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP
    DefaultButton,      // BS_DEFPUSHBUTTON | WS_TABSTOP
    TabStopButton,      // WS_TABSTOP
    PathText,           // SS_PATHELLIPSIS | SS_NOPREFIX: a long path keeps its file name
    Progress,           // a progress bar, shown only while a model is imported
    WorkText,           // a label, shown only while a model is imported
    WorkButton,         // WS_TABSTOP, shown only while a model is imported
    PageTabs,           // the tab strip that switches the pages
};

// Tab and Shift+Tab stop at every control but the labels, texts, bars and
// the tab strip (Ctrl+Tab switches the pages).
constexpr bool isTabStop(ControlStyle style) {
    return style != ControlStyle::Plain && style != ControlStyle::PathText && style != ControlStyle::Progress &&
           style != ControlStyle::WorkText && style != ControlStyle::PageTabs;
}
// Shown only while a model import runs.
constexpr bool showsOnlyWhileImporting(ControlStyle style) {
    return style == ControlStyle::Progress || style == ControlStyle::WorkButton || style == ControlStyle::WorkText;
}

// The window's pages, in the tab strip's order; Everywhere is the strip and
// the buttons under the pages.
enum class SettingsPage { Dictation, Text, Model, General, Everywhere };
inline constexpr const wchar_t* kPageNames[] = {L"Diktovka", L"Matn", L"Model", L"Umumiy"};
inline constexpr int kPageCount = 4;

struct SettingsControl {
    const wchar_t* className;
    const wchar_t* text;
    ControlStyle style;
    SettingsPage page;
    int x, y, width, height;  // units at 96 DPI
    int id;
    const wchar_t* setting = nullptr;  // the key of the one setting the control shows
    std::span<const wchar_t* const> items = {};  // a combo box's choices, in the setting's order
};

inline constexpr SettingsPage kDictation = SettingsPage::Dictation, kText = SettingsPage::Text,
                              kModel = SettingsPage::Model, kGeneral = SettingsPage::General,
                              kEverywhere = SettingsPage::Everywhere;

// In creation order, which is also the z-order and the tab order. A control
// that has no text of its own (a combo box, an edit, the hotkey control, a
// bar) comes right after its label, which screen readers read as its name.
inline constexpr std::array<SettingsControl, 41> kSettingsControls = {{
    {L"SysTabControl32", L"", ControlStyle::PageTabs, kEverywhere, 12, 10, 536, 30, kPageTabsId},
    // Dictation: the hotkey, how it works, Esc, sounds, history, the microphone.
    {L"STATIC", L"Diktovka tugmasi", ControlStyle::Plain, kDictation, 24, 54, 300, 18, kLabelId},
    {L"msctls_hotkey32", L"", ControlStyle::Plain, kDictation, 24, 76, 140, 26, kHotkeyControlId},
    // The hotkey control has no Win flag: the box carries it.
    {L"BUTTON", L"+ Win", ControlStyle::CheckBox, kDictation, 170, 78, 60, 22, kHotkeyWinBoxId},
    {L"BUTTON", kDefaultHotkeyButtonText.data(), ControlStyle::Plain, kDictation, 236, 76, 190, 26,
     kDefaultHotkeyButtonId},
    {L"STATIC", L"Kamida bitta modifikator (Ctrl, Alt, Shift) kerak.", ControlStyle::Plain, kDictation, 24, 106, 500,
     16, kLabelId},
    {L"STATIC", L"Tugma qanday ishlaydi", ControlStyle::Plain, kDictation, 24, 132, 300, 18, kLabelId},
    {L"COMBOBOX", L"", ControlStyle::DropDown, kDictation, 24, 154, 440, 120, kHotkeyModeComboId, L"hotkey.mode",
     kHotkeyModeItems},
    {L"BUTTON", L"Esc diktovkani bekor qilsin", ControlStyle::CheckBox, kDictation, 24, 186, 500, 22, kCancelKeyBoxId,
     L"hotkey.cancel"},
    {L"BUTTON", L"Ovozli signallar (boshlanish, tugash, xato)", ControlStyle::CheckBox, kDictation, 24, 210, 500, 22,
     kSoundsBoxId, L"sounds"},
    {L"BUTTON", L"Oxirgi matnlar tray menyusida (faqat xotirada)", ControlStyle::CheckBox, kDictation, 24, 234, 500, 22,
     kHistoryBoxId, L"history"},
    {L"STATIC", L"Mikrofon", ControlStyle::Plain, kDictation, 24, 266, 300, 18, kLabelId},
    {L"COMBOBOX", L"", ControlStyle::ScrollingDropDown, kDictation, 24, 288, 440, 200, kMicComboId},
    {L"STATIC", L"", ControlStyle::Plain, kDictation, 24, 318, 512, 52, kMicWarningId},
    // Text: how it is inserted and written, and the user's own words.
    {L"STATIC", L"Matnni kiritish usuli", ControlStyle::Plain, kText, 24, 54, 300, 18, kLabelId},
    {L"COMBOBOX", L"", ControlStyle::DropDown, kText, 24, 76, 440, 120, kModeComboId, L"insertMode", kInsertModeItems},
    {L"STATIC", L"Yozuv", ControlStyle::Plain, kText, 24, 113, 120, 18, kLabelId},
    {L"COMBOBOX", L"", ControlStyle::DropDown, kText, 150, 110, 276, 120, kScriptComboId, L"text.script", kScriptItems},
    {L"STATIC", L"Tutuq belgisi", ControlStyle::Plain, kText, 24, 145, 120, 18, kLabelId},
    {L"COMBOBOX", L"", ControlStyle::DropDown, kText, 150, 142, 276, 120, kApostropheComboId, L"text.apostrophe",
     kApostropheItems},
    {L"BUTTON", L"Har matndan keyin bo'sh joy", ControlStyle::CheckBox, kText, 24, 176, 500, 22, kTrailingSpaceBoxId,
     L"text.trailingSpace"},
    {L"BUTTON", L"\"Yangi qator\" deyilsa, qator tashlansin", ControlStyle::CheckBox, kText, 24, 200, 500, 22,
     kSpokenBreaksBoxId, L"text.spokenBreaks"},
    {L"STATIC", L"", ControlStyle::Plain, kText, 24, 226, 512, 52, kTextExampleId},
    {L"STATIC", L"O'z so'zlarim: ismlar, atamalar (vergul bilan)", ControlStyle::Plain, kText, 24, 284, 500, 18,
     kLabelId},
    {L"EDIT", L"", ControlStyle::MultiLineEdit, kText, 24, 306, 512, 64, kVocabularyEditId, L"vocabulary"},
    // Model: the file in use, a new one picked, the device that recognises.
    {L"STATIC", L"Model fayli", ControlStyle::Plain, kModel, 24, 54, 300, 18, kLabelId},
    {L"STATIC", L"", ControlStyle::PathText, kModel, 24, 76, 512, 18, kModelFileId},
    {L"BUTTON", L"Model tanlash\u2026", ControlStyle::TabStopButton, kModel, 24, 100, 130, 26, kChooseModelButtonId},
    {L"BUTTON", L"To'xtatish", ControlStyle::WorkButton, kModel, 162, 100, 100, 26, kStopImportButtonId},
    {L"STATIC", L"Yangi model tayyorlanmoqda", ControlStyle::WorkText, kModel, 24, 134, 300, 18,
     kModelProgressLabelId},
    {L"msctls_progress32", L"", ControlStyle::Progress, kModel, 24, 156, 402, 16, kModelProgressId},
    {L"BUTTON", L"Videokartadan foydalanish (tezroq)", ControlStyle::CheckBox, kModel, 24, 190, 500, 22, kGpuBoxId,
     L"useGpu"},
    {L"STATIC", L"", ControlStyle::Plain, kModel, 24, 216, 356, 36, kGpuStatusId},
    {L"BUTTON", L"Qayta tekshirish", ControlStyle::TabStopButton, kModel, 388, 216, 148, 26, kGpuRecheckButtonId},
    // General: starting with Windows, and the way to the donation window.
    {L"BUTTON", L"Kompyuter yonganda avtomatik ishga tushsin", ControlStyle::CheckBox, kGeneral, 24, 54, 500, 22,
     kAutostartBoxId, L"autoStart"},
    {L"STATIC", L"Dastur oynalari va xabarlari yozuvi", ControlStyle::Plain, kGeneral, 24, 88, 400, 18, kLabelId},
    {L"COMBOBOX", L"", ControlStyle::DropDown, kGeneral, 24, 110, 300, 80, kLanguageComboId, L"ui.language",
     kLanguageItems},
    {L"STATIC", L"Vornika bepul. Uni qo'llab-quvvatlash mumkin:", ControlStyle::Plain, kGeneral, 24, 156, 500, 18,
     kLabelId},
    {L"BUTTON", L"\u2665  Donat qilish", ControlStyle::OwnerDrawnButton, kGeneral, 24, 178, 132, 30, kDonateButtonId},
    // Under every page.
    {L"BUTTON", L"Saqlash", ControlStyle::DefaultButton, kEverywhere, 322, 382, 100, 30, kSaveButtonId},
    {L"BUTTON", L"Bekor qilish", ControlStyle::TabStopButton, kEverywhere, 430, 382, 118, 30, kCancelButtonId},
}};

// The client area the pages and buttons take, at 96 DPI.
inline constexpr Size kSettingsClient{560, 424};
// The page area under the tab strip and above the buttons, at 96 DPI.
inline constexpr Rect kSettingsPageArea{12, 46, 548, 374};

// What the user is told when a picked model was not taken (a stop is not
// told): the reason in Uzbek, that the model in use stays, and the tool's
// own words for whoever helps them.
std::wstring modelImportFailureText(int exitCode, const std::string& detail);

// x, y, width and height, each scaled by itself.
Rect scaledControlRect(const SettingsControl& control, int dpi);
Size settingsClientSize(int dpi);
Rect scaledRect(const Rect& units, int dpi);

// Whether a control shows while this page is chosen.
constexpr bool showsOnPage(const SettingsControl& control, int page) {
    return control.page == SettingsPage::Everywhere || static_cast<int>(control.page) == page;
}
// The page after (forward) or before the given one, round the strip.
int nextPage(int page, bool forward);

// The microphone combo: item 0 is the system's default, item i + 1 is device i.
std::wstring microphoneItemText(const MicDevice& device);
std::vector<std::wstring> microphoneItems(const std::vector<MicDevice>& devices);
// The item whose device id equals the saved one exactly; 0 when none does.
int microphoneSelection(const std::vector<MicDevice>& devices, const std::wstring& deviceId);
// The warning under the combo for a selection (-1: none).
std::wstring microphoneWarning(const std::vector<MicDevice>& devices, int selection);

// The hotkey control's value: the key in the low byte, HOTKEYF_* flags in the high one.
inline constexpr std::uint8_t kHotkeyFlagShift = 0x1;
inline constexpr std::uint8_t kHotkeyFlagControl = 0x2;
inline constexpr std::uint8_t kHotkeyFlagAlt = 0x4;
std::uint16_t hotkeyControlValue(std::uint32_t vk, std::uint32_t modifiers);

struct HotkeyChoice {
    std::uint32_t vk = 0;
    std::uint32_t modifiers = 0;
    bool operator==(const HotkeyChoice&) const = default;
};
// Empty without a key or without Ctrl, Alt or Shift.
std::optional<HotkeyChoice> hotkeyFromControlValue(std::uint16_t value);

// What the controls hold when "Saqlash" is pressed.
struct SettingsForm {
    std::uint16_t hotkey = 0;  // without Win, which hotkeyWin adds
    bool hotkeyWin = false;
    int micSelection = -1;
    // The controls that show one setting each, by the setting's key: a box's
    // state (0 or 1) or a combo's selection (-1: none); an edit's text as
    // typed, line breaks and all.
    std::map<std::wstring, std::int64_t> numbers;
    std::map<std::wstring, std::wstring> texts;
};

// The values of the form's one-setting controls over a copy of the settings
// (what the example line shows before anything is saved).
Settings withFormValues(Settings copy, const SettingsForm& form);

struct FormOutcome {
    Settings settings;
    bool hotkeyRejected = false;  // the old hotkey stays; the user is told
};

using KeyNamer = std::wstring (*)(std::uint32_t vk);
// The window's copy with the form applied; fields without a control pass through.
FormOutcome settingsFromForm(const Settings& copy, const SettingsForm& form, const std::vector<MicDevice>& devices,
                             KeyNamer keyName);
