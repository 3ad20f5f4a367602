#pragma once
// The keyboard events insertion synthesizes, as plain values: which keys are
// released first, the Ctrl+V of a paste, and the Unicode keystrokes of typed
// text in the bursts they are sent in. Sending them is the platform's part.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct KeyEvent {
    std::uint16_t vk = 0;    // virtual key; 0 for a Unicode character
    std::uint16_t scan = 0;  // the UTF-16 unit of a Unicode character
    std::uint32_t flags = 0;
    bool operator==(const KeyEvent&) const = default;
};

// Windows' KEYEVENTF_* and VK_* values.
inline constexpr std::uint32_t kKeyUp = 0x0002;
inline constexpr std::uint32_t kUnicode = 0x0004;
inline constexpr std::uint16_t kVkReturn = 0x0D;
inline constexpr std::uint16_t kVkShift = 0x10;
inline constexpr std::uint16_t kVkControl = 0x11;
inline constexpr std::uint16_t kVkV = 0x56;
inline constexpr std::uint16_t kVkLeftAlt = 0xA4, kVkRightAlt = 0xA5;
inline constexpr std::uint16_t kVkLeftShift = 0xA0, kVkRightShift = 0xA1;
inline constexpr std::uint16_t kVkLeftWin = 0x5B, kVkRightWin = 0x5C;

// Events per burst of typed text (32 characters).
inline constexpr std::size_t kTypingBurst = 64;

// Answers whether a key is held down right now.
using KeyIsDown = std::function<bool(std::uint16_t vk)>;

// Key-ups for the held ones of left/right Alt, Shift and Windows, in that order.
std::vector<KeyEvent> heldModifierReleases(const KeyIsDown& isDown);

// The paste keystroke: releases, then Ctrl+V; a Ctrl the user still holds
// is neither pressed nor released, so it combines with the V.
std::vector<KeyEvent> pasteKeystroke(const KeyIsDown& isDown);

// Sent before typing: the releases and, when Ctrl is held, a Ctrl key-up.
std::vector<KeyEvent> typingPrelude(const KeyIsDown& isDown);

// The text's keystrokes in the bursts they are sent in: CR skipped, LF as
// Shift+Enter (a new line in chat programs, where Enter alone sends the
// message, and in editors alike; never split between bursts), every other
// UTF-16 unit as a Unicode key-down and key-up.
std::vector<std::vector<KeyEvent>> typingBursts(const std::wstring& text);

// The text as UTF-16 units (characters beyond the BMP as surrogate pairs,
// also where a wide character holds a whole code point).
std::u16string utf16Units(const std::wstring& text);
