#include "settings/settings.h"

std::wstring hotkeyPrefix(std::uint32_t modifiers) {
    const std::uint32_t m = modifiers == 0 ? kDefaultHotkeyModifiers : modifiers;
    std::wstring prefix;
    for (const ModifierName& name : kModifierNames) {
        if (m & name.bit) prefix += name.prefix;
    }
    return prefix;
}

std::wstring Settings::hotkeyLabel() const { return hotkeyPrefix(modifiers) + label; }

std::wstring fallbackKeyName(std::uint32_t vk) {
    if (vk >= 'A' && vk <= 'Z') return std::wstring(1, static_cast<wchar_t>(vk));
    return L"Key" + std::to_wstring(vk);
}
