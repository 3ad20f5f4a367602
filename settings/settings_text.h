#pragma once
// The settings file's text: what is written (two comment lines, an empty
// one, then one line per setting) and the wider grammar that is read, with
// its repairs. Which settings there are, and what each keeps, comes from
// settings/setting_fields.h. No file access here.

#include <cstdint>
#include <optional>
#include <string>

#include "settings/settings.h"

// The whole file, "\n" line ends, before UTF-8 conversion.
std::wstring composeSettingsText(const Settings& settings);

// Starts from the defaults, applies every line that parses (the last
// occurrence of a key wins), then repairs each value as its field says.
Settings parseSettingsText(const std::wstring& text);

// A value as the file can hold it, on one line: each line break ("\r\n",
// "\r" or "\n") becomes ", " (a list typed over lines stays a list), any
// other control character a space.
std::wstring oneLineValue(const std::wstring& value);

// The own-words field as the settings keep it: one line, each line break
// typed in becoming ", ", spaces and commas trimmed at both ends.
std::wstring listFromField(const std::wstring& field);

// A fresh record: what a missing file loads as.
Settings defaultSettings();

// Decimal conversions as the C runtime's wcstoul / wcstol do them with a
// 32-bit long: leading white space, an optional sign, digits up to the first
// other character ("-1" wraps for the unsigned one). Empty when no digit was
// converted or the value is out of range.
std::optional<std::uint32_t> parseUnsigned32(const std::wstring& text);
std::optional<std::int32_t> parseSigned32(const std::wstring& text);
