#include "insert/key_events.h"

namespace {

constexpr std::uint16_t kReleasedModifiers[] = {kVkLeftAlt,  kVkRightAlt, kVkLeftShift,
                                                kVkRightShift, kVkLeftWin, kVkRightWin};

}  // namespace

std::vector<KeyEvent> heldModifierReleases(const KeyIsDown& isDown) {
    std::vector<KeyEvent> events;
    for (std::uint16_t vk : kReleasedModifiers)
        if (isDown(vk)) events.push_back({vk, 0, kKeyUp});
    return events;
}

std::vector<KeyEvent> pasteKeystroke(const KeyIsDown& isDown) {
    std::vector<KeyEvent> events = heldModifierReleases(isDown);
    const bool ctrlHeld = isDown(kVkControl);
    if (!ctrlHeld) events.push_back({kVkControl, 0, 0});
    events.push_back({kVkV, 0, 0});
    events.push_back({kVkV, 0, kKeyUp});
    if (!ctrlHeld) events.push_back({kVkControl, 0, kKeyUp});
    return events;
}

std::vector<KeyEvent> typingPrelude(const KeyIsDown& isDown) {
    std::vector<KeyEvent> events = heldModifierReleases(isDown);
    if (isDown(kVkControl)) events.push_back({kVkControl, 0, kKeyUp});
    return events;
}

std::u16string utf16Units(const std::wstring& text) {
    std::u16string units;
    units.reserve(text.size());
    for (wchar_t c : text) {
        const auto code = static_cast<std::uint32_t>(c);
        if (code > 0xFFFF && code <= 0x10FFFF) {
            units += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            units += static_cast<char16_t>(code > 0xFFFF ? 0xFFFD : code);
        }
    }
    return units;
}

std::vector<std::vector<KeyEvent>> typingBursts(const std::wstring& text) {
    std::vector<std::vector<KeyEvent>> bursts;
    std::vector<KeyEvent> burst;
    burst.reserve(kTypingBurst);
    for (char16_t unit : utf16Units(text)) {
        if (unit == u'\r') continue;
        if (unit == u'\n') {
            burst.push_back({kVkShift, 0, 0});
            burst.push_back({kVkReturn, 0, 0});
            burst.push_back({kVkReturn, 0, kKeyUp});
            burst.push_back({kVkShift, 0, kKeyUp});
        } else {
            burst.push_back({0, static_cast<std::uint16_t>(unit), kUnicode});
            burst.push_back({0, static_cast<std::uint16_t>(unit), kUnicode | kKeyUp});
        }
        if (burst.size() >= kTypingBurst) {
            bursts.push_back(std::move(burst));
            burst.clear();
            burst.reserve(kTypingBurst);
        }
    }
    if (!burst.empty()) bursts.push_back(std::move(burst));
    return bursts;
}
