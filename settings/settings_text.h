#pragma once
// The settings file's text: what is written (22 fixed lines) and the wider
// grammar that is read, with its repairs. No file access here.

#include <cstdint>
#include <optional>
#include <string>

#include "settings/settings.h"

// The whole file, "\n" line ends, before UTF-8 conversion.
std::wstring composeSettingsText(const Settings& settings);

// Starts from the defaults (modifiers 3), applies every line that parses (the
// last occurrence of a key wins), then repairs: modifiers 0 -> 3, vk 0 -> 68,
// empty label -> "D", idleUnloadSeconds below 10 -> 180; a text.script or
// text.apostrophe or hotkey.mode other than 0, 1 or 2 reads as 0.
Settings parseSettingsText(const std::wstring& text);

// A value as the file can hold it, on one line: each line break ("\r\n",
// "\r" or "\n") becomes ", " (a list typed over lines stays a list), any
// other control character a space.
std::wstring oneLineValue(const std::wstring& value);

// The loading defaults: a fresh record with modifiers 3.
Settings defaultSettings();

// Decimal conversions as the C runtime's wcstoul / wcstol do them with a
// 32-bit long: leading white space, an optional sign, digits up to the first
// other character ("-1" wraps for the unsigned one). Empty when no digit was
// converted or the value is out of range.
std::optional<std::uint32_t> parseUnsigned32(const std::wstring& text);
std::optional<std::int32_t> parseSigned32(const std::wstring& text);
