#pragma once
// Everything the user can choose, as one plain copyable record.

#include <cstdint>
#include <string>

enum class InsertMode : std::int32_t { Paste = 0, Type = 1 };

inline constexpr std::uint32_t kDefaultHotkeyVk = 68;        // the letter D
inline constexpr std::uint32_t kDefaultHotkeyModifiers = 3;  // Alt + Ctrl
inline constexpr int kDefaultIdleUnloadSeconds = 180;

struct Settings {
    std::uint32_t vk = kDefaultHotkeyVk;
    // 0 in a fresh record; loading starts from kDefaultHotkeyModifiers.
    std::uint32_t modifiers = 0;
    std::wstring label = L"D";  // the key alone; hotkeyLabel adds the modifiers
    std::wstring deviceId;      // empty: the system's default microphone
    std::wstring deviceName;
    InsertMode insertMode = InsertMode::Paste;
    bool autoStart = true;
    bool useGpu = true;
    std::int32_t idleUnloadSeconds = kDefaultIdleUnloadSeconds;
    bool didOnboard = false;

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
