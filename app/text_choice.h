#pragma once
// The user's text choices applied to what the model recognised, before the
// text is delivered, and the example the settings window shows for them.

#include <string>

#include "settings/settings.h"
#include "text/text_style.h"

TextStyle textStyleOf(const Settings& settings);

// The recognised text as it is delivered: styled, each line break as "\r\n"
// (a Windows line on the clipboard; typing sends Enter for it).
std::wstring deliveredText(const std::wstring& recognised, const Settings& settings);

// The settings window's example line: a sample dictation as these settings
// would deliver it, between quotation marks so that a trailing space shows.
std::wstring textExample(const Settings& settings);
