#pragma once
// The settings window's form as values: its controls, the microphone list as
// the combo box shows it, the hotkey control's encoding, and what pressing
// "Saqlash" makes of the form. The window code only moves these to and from
// the controls.

#include <array>
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
inline constexpr std::array<const wchar_t*, 2> kInsertModeItems = {
    L"Tez (clipboard orqali qo'yish) \u2014 tavsiya etiladi",
    L"Sekin (belgima-belgi yozish) \u2014 qo'yish ishlamasa",
};

// In the order of the settings file's values (0, 1, 2).
inline constexpr std::array<const wchar_t*, 3> kScriptItems = {
    L"Yozuv: asl holicha",
    L"Yozuv: lotin",
    L"Yozuv: \u043a\u0438\u0440\u0438\u043b\u043b",  // кирилл
};
inline constexpr std::array<const wchar_t*, 3> kApostropheItems = {
    L"Tutuq: asl holicha",
    L"Tutuq: o\u02bb, ma\u02bcno (standart)",
    L"Tutuq: o', ma'no (oddiy)",
};

// In the order of the settings file's hotkey.mode values (0, 1, 2).
inline constexpr std::array<const wchar_t*, 3> kHotkeyModeItems = {
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
    WorkButton,         // WS_TABSTOP, shown only while a model is imported
};

// Tab and Shift+Tab stop at every control but the labels, texts and bars.
constexpr bool isTabStop(ControlStyle style) {
    return style != ControlStyle::Plain && style != ControlStyle::PathText && style != ControlStyle::Progress;
}
// Shown only while a model import runs.
constexpr bool showsOnlyWhileImporting(ControlStyle style) {
    return style == ControlStyle::Progress || style == ControlStyle::WorkButton;
}

struct SettingsControl {
    const wchar_t* className;
    const wchar_t* text;
    ControlStyle style;
    int x, y, width, height;  // units at 96 DPI
    int id;
};

// In creation order, which is also the z-order and the tab order.
inline constexpr std::array<SettingsControl, 35> kSettingsControls = {{
    {L"STATIC", L"Diktovka tugmasi", ControlStyle::Plain, 24, 20, 200, 18, kLabelId},
    {L"msctls_hotkey32", L"", ControlStyle::Plain, 24, 42, 140, 26, kHotkeyControlId},
    // The hotkey control has no Win flag: the box carries it.
    {L"BUTTON", L"+ Win", ControlStyle::CheckBox, 170, 44, 60, 22, kHotkeyWinBoxId},
    {L"BUTTON", kDefaultHotkeyButtonText.data(), ControlStyle::Plain, 236, 42, 190, 26, kDefaultHotkeyButtonId},
    {L"STATIC", L"Kamida bitta modifikator (Ctrl, Alt, Shift) kerak.", ControlStyle::Plain, 24, 72, 400, 16, kLabelId},
    {L"STATIC", L"Mikrofon", ControlStyle::Plain, 24, 106, 200, 18, kLabelId},
    {L"COMBOBOX", L"", ControlStyle::ScrollingDropDown, 24, 128, 402, 200, kMicComboId},
    {L"STATIC", L"", ControlStyle::Plain, 24, 160, 402, 52, kMicWarningId},
    {L"STATIC", L"Matnni kiritish usuli", ControlStyle::Plain, 24, 218, 200, 18, kLabelId},
    {L"COMBOBOX", L"", ControlStyle::DropDown, 24, 240, 402, 120, kModeComboId},
    {L"BUTTON", L"Kompyuter yonganda avtomatik ishga tushsin", ControlStyle::CheckBox, 24, 278, 402, 22, kAutostartBoxId},
    {L"BUTTON", L"Videokartadan foydalanish (tezroq)", ControlStyle::CheckBox, 24, 304, 402, 22, kGpuBoxId},
    {L"STATIC", L"", ControlStyle::Plain, 24, 330, 282, 36, kGpuStatusId},
    {L"BUTTON", L"Qayta tekshirish", ControlStyle::TabStopButton, 312, 330, 114, 26, kGpuRecheckButtonId},
    // The right-hand column: the model, then how the text is written.
    {L"STATIC", L"Model fayli", ControlStyle::Plain, 450, 20, 200, 18, kLabelId},
    {L"STATIC", L"", ControlStyle::PathText, 450, 42, 300, 18, kModelFileId},
    {L"BUTTON", L"Model tanlash\u2026", ControlStyle::TabStopButton, 450, 66, 130, 26, kChooseModelButtonId},
    {L"msctls_progress32", L"", ControlStyle::Progress, 450, 98, 300, 16, kModelProgressId},
    {L"BUTTON", L"To'xtatish", ControlStyle::WorkButton, 658, 66, 92, 26, kStopImportButtonId},
    {L"STATIC", L"Matn", ControlStyle::Plain, 450, 128, 200, 18, kLabelId},
    {L"COMBOBOX", L"", ControlStyle::DropDown, 450, 150, 300, 120, kScriptComboId},
    {L"COMBOBOX", L"", ControlStyle::DropDown, 450, 184, 300, 120, kApostropheComboId},
    {L"BUTTON", L"Har matndan keyin bo'sh joy", ControlStyle::CheckBox, 450, 218, 300, 22, kTrailingSpaceBoxId},
    {L"BUTTON", L"\"Yangi qator\" deyilsa, qator tashlansin", ControlStyle::CheckBox, 450, 242, 300, 22,
     kSpokenBreaksBoxId},
    {L"STATIC", L"", ControlStyle::Plain, 450, 268, 300, 52, kTextExampleId},
    // Below both: how a take is dictated, and the user's own words.
    {L"STATIC", L"Tugma qanday ishlaydi", ControlStyle::Plain, 24, 374, 300, 18, kLabelId},
    {L"COMBOBOX", L"", ControlStyle::DropDown, 24, 396, 402, 120, kHotkeyModeComboId},
    {L"BUTTON", L"Esc diktovkani bekor qilsin", ControlStyle::CheckBox, 24, 430, 402, 22, kCancelKeyBoxId},
    {L"BUTTON", L"Ovozli signallar (boshlanish, tugash, xato)", ControlStyle::CheckBox, 24, 454, 402, 22,
     kSoundsBoxId},
    {L"BUTTON", L"Oxirgi matnlar tray menyusida (faqat xotirada)", ControlStyle::CheckBox, 24, 478, 402, 22,
     kHistoryBoxId},
    {L"STATIC", L"O'z so'zlarim: ismlar, atamalar (vergul bilan)", ControlStyle::Plain, 450, 374, 300, 18, kLabelId},
    {L"EDIT", L"", ControlStyle::MultiLineEdit, 450, 396, 300, 104, kVocabularyEditId},
    {L"BUTTON", L"\u2665  Donat qilish", ControlStyle::OwnerDrawnButton, 24, 518, 132, 30, kDonateButtonId},
    {L"BUTTON", L"Saqlash", ControlStyle::DefaultButton, 560, 518, 92, 30, kSaveButtonId},
    {L"BUTTON", L"Bekor qilish", ControlStyle::TabStopButton, 658, 518, 92, 30, kCancelButtonId},
}};

// What the user is told when a picked model was not taken (a stop is not
// told): the reason in Uzbek, that the model in use stays, and the tool's
// own words for whoever helps them.
std::wstring modelImportFailureText(int exitCode, const std::string& detail);

// x, y, width and height, each scaled by itself.
Rect scaledControlRect(const SettingsControl& control, int dpi);
Size settingsClientSize(int dpi);

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
    int micSelection = -1;
    int modeSelection = 0;
    bool autoStart = false;
    bool useGpu = false;
    int scriptSelection = 0;
    int apostropheSelection = 0;
    bool trailingSpace = false;
    bool spokenBreaks = false;
    int hotkeyModeSelection = 0;
    bool cancelKey = false;
    bool sounds = false;
    bool history = false;
    bool hotkeyWin = false;
    std::wstring vocabulary;  // as typed, line breaks and all
};

// The own-words field as the settings keep it: one line, each line break
// typed in becoming ", ", spaces and commas trimmed at both ends.
std::wstring vocabularyFromField(const std::wstring& field);

// The text choices of the form over a copy of the settings (what the example
// line shows before anything is saved); a selection out of range is 0.
Settings withTextChoices(Settings copy, const SettingsForm& form);

struct FormOutcome {
    Settings settings;
    bool hotkeyRejected = false;  // the old hotkey stays; the user is told
};

using KeyNamer = std::wstring (*)(std::uint32_t vk);
// The window's copy with the form applied; fields without a control pass through.
FormOutcome settingsFromForm(const Settings& copy, const SettingsForm& form, const std::vector<MicDevice>& devices,
                             KeyNamer keyName);
