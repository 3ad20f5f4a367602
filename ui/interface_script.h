#pragma once
// The interface in the script the user reads. Texts are written in the code
// in Uzbek Latin; in Cyrillic each fixed phrase of them is replaced by its
// Cyrillic form from a reviewed table (ui/interface_cyrillic.cpp), made with
// the program's own converter. What is not a phrase of the table (a hotkey's
// name, a path, a number, the user's own text) stays as it is. Log lines and
// the settings file never pass through here.

#include <span>
#include <string>
#include <string_view>

#include "settings/settings.h"

struct ScriptPhrase {
    std::wstring_view latin;
    std::wstring_view cyrillic;
};

// Every phrase of the interface with its Cyrillic form.
std::span<const ScriptPhrase> cyrillicPhrases();
// The Latin phrases whose Cyrillic form deliberately differs from the
// converter's (names of keys, programs and files stay as they are).
std::span<const std::wstring_view> deliberateCyrillic();

// The text in the script: as it is in Latin; in Cyrillic with each phrase
// of the table that stands as a whole (not inside a word or a path) replaced,
// the longest first.
std::wstring inScript(const std::wstring& text, InterfaceLanguage language);

// The language the windows, menus, strip and balloons use from the next
// time they show something: the settings' choice, set when they are loaded
// and saved. Any thread.
void setInterfaceLanguage(InterfaceLanguage language);
InterfaceLanguage interfaceLanguage();
// A text as the interface shows it now.
std::wstring shown(const std::wstring& text);
