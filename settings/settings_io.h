#pragma once
// The file access settings need from the system.

#include <optional>
#include <string>

// All bytes of an existing file (not a folder), opened with full sharing so
// an editor holding it does not matter; empty when it cannot be read.
std::optional<std::string> readSharedFile(const std::wstring& path);

// Writes path + ".tmp" (truncating) and moves it onto path, replacing it.
// On failure path is untouched; a temporary file that was written stays.
bool replaceFile(const std::wstring& path, const std::string& bytes);
