#include "settings/settings.h"

#include <windows.h>

std::wstring keyNameForVk(std::uint32_t vk) {
    const UINT scanCode = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    if (scanCode != 0) {
        // Scan code alone in bits 16-23: no extended-key bit, so keys that share
        // a scan code with the keypad get the layout's keypad name.
        wchar_t name[64] = {};
        const int length = GetKeyNameTextW(static_cast<LONG>(scanCode << 16), name, 64);
        if (length > 0) return std::wstring(name, static_cast<std::size_t>(length));
    }
    return fallbackKeyName(vk);
}
