#pragma once
// Everything the user can choose, as one plain copyable record.

#include <array>
#include <cstdint>
#include <string>

#include "diag/idle_unload.h"

enum class InsertMode : std::int32_t { Paste = 0, Type = 1 };
// The values are those of the settings file.
enum class TextScript : std::int32_t { AsRecognised = 0, Latin = 1, Cyrillic = 2 };
enum class TextApostrophe : std::int32_t { AsRecognised = 0, Standard = 1, Ascii = 2 };
// The script of the program's own texts.
enum class InterfaceLanguage : std::int32_t { Latin = 0, Cyrillic = 1 };
enum class HotkeyMode : std::int32_t {
    Toggle = 0,  // a press starts a take, the next press stops it
    Hold = 1,    // the take lasts while the key is held
    Auto = 2,    // a tap toggles; a longer hold records until the release
};

// The hotkey's modifier bits, as RegisterHotKey and the settings file take them.
inline constexpr std::uint32_t kModifierAlt = 0x1;
inline constexpr std::uint32_t kModifierControl = 0x2;
inline constexpr std::uint32_t kModifierShift = 0x4;
inline constexpr std::uint32_t kModifierWin = 0x8;

struct ModifierName {
    std::uint32_t bit;
    const wchar_t* prefix;
};
// In the order a hotkey's name lists them.
inline constexpr std::array<ModifierName, 4> kModifierNames = {{
    {kModifierControl, L"Ctrl+"},
    {kModifierAlt, L"Alt+"},
    {kModifierShift, L"Shift+"},
    {kModifierWin, L"Win+"},
}};

// Ctrl+Alt+D. A letter's virtual-key code is its capital, which is also its name.
inline constexpr std::uint32_t kDefaultHotkeyVk = 'D';
inline constexpr std::uint32_t kDefaultHotkeyModifiers = kModifierControl | kModifierAlt;
inline constexpr wchar_t kDefaultHotkeyKeyName[] = {static_cast<wchar_t>(kDefaultHotkeyVk), L'\0'};

// A take this long is recognised in parts while the user speaks (seconds; 0:
// never). Parts shorter than the shortest lose the context of the sentence;
// the longest leaves room to find a pause before a part fills the model's
// 30-second window.
inline constexpr std::int32_t kDefaultLiveAfterSeconds = 20;
inline constexpr std::int32_t kShortestLiveAfterSeconds = 10;
inline constexpr std::int32_t kLongestLiveAfterSeconds = 25;

struct Settings {
    std::uint32_t vk = kDefaultHotkeyVk;
    std::uint32_t modifiers = kDefaultHotkeyModifiers;
    std::wstring label = kDefaultHotkeyKeyName;  // the key alone; hotkeyLabel adds the modifiers
    std::wstring deviceId;      // empty: the system's default microphone
    std::wstring deviceName;
    InsertMode insertMode = InsertMode::Paste;
    bool autoStart = true;
    bool useGpu = true;
    std::int32_t idleUnloadSeconds = kDefaultIdleUnloadSeconds;
    bool didOnboard = false;
    // How the recognised text is written before it is delivered.
    TextScript textScript = TextScript::AsRecognised;
    TextApostrophe textApostrophe = TextApostrophe::AsRecognised;
    bool textTrailingSpace = false;  // a space after each dictation
    bool textSpokenBreaks = false;   // "yangi qator" / "yangi xatboshi" said become line breaks
    // How a take is dictated.
    HotkeyMode hotkeyMode = HotkeyMode::Toggle;
    bool cancelKey = true;   // Esc throws the running take or its coming text away
    bool sounds = false;     // cues when a take really starts, when it ends and on failures
    bool history = true;     // this run's last texts in the tray menu (memory only)
    // Words and names the model should know, separated by commas; one line.
    std::wstring vocabulary;
    // Recognition in parts from this many seconds of a take on; 0: whole takes only.
    std::int32_t liveAfterSeconds = kDefaultLiveAfterSeconds;
    InterfaceLanguage interfaceLanguage = InterfaceLanguage::Latin;

    // The hotkey as the user sees it, for instance "Ctrl+Alt+D".
    std::wstring hotkeyLabel() const;

    bool operator==(const Settings&) const = default;
};

// Modifier names in their fixed order (Ctrl, Alt, Shift, Win), each followed
// by "+"; modifiers 0 counts as Ctrl + Alt, unknown bits add nothing.
std::wstring hotkeyPrefix(std::uint32_t modifiers);

// The key's name when the keyboard layout has none: the capital letter for
// A to Z, otherwise "Key" and the code.
std::wstring fallbackKeyName(std::uint32_t vk);

// The display name of a key alone, as the current keyboard layout spells it.
std::wstring keyNameForVk(std::uint32_t vk);
