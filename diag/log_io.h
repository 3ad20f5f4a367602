#pragma once
// What the log needs from the system, one small function each.

#include <cstdint>
#include <optional>
#include <string>

#include "diag/log.h"

LocalTime localTimeNow();
void writeDebugOutput(const std::wstring& text);
// Opens the file for appending (shared, created when missing), writes all
// bytes in one call and closes it again; false when any step fails.
bool appendToFile(const std::wstring& path, const std::string& bytes);
std::optional<std::uint64_t> fileSize(const std::wstring& path);
void deleteFile(const std::wstring& path);
void renameFile(const std::wstring& from, const std::wstring& to);
