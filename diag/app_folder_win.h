#pragma once
// A known folder followed by "\Vornika", created when missing; "" when the
// known folder cannot be obtained.

#include <string>

#include <windows.h>
#include <shlobj.h>

std::wstring appFolder(const KNOWNFOLDERID& folder);
