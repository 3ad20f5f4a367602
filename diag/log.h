#pragma once
// The program's one diagnostic channel. Every line goes to the debugger
// output ("[velto] " + text); once initLog has found the local application
// folder it is also appended to dictation.log there, as UTF-8 with a local
// time stamp. No call ever reports a failure: a line that cannot be written
// is dropped. By convention failure lines begin with "XATO: ".

#include <cstdint>
#include <string>

// A larger log is set aside at start-up, and before a line that would take
// it past this size.
inline constexpr std::uint64_t kLogRotationBytes = 2097152;

// Any thread, any time. The text carries no line end.
void logLine(const std::wstring& text);

// Called once at start-up, before any other line of the run: points the log
// at localAppFolder() and rotates a log larger than kLogRotationBytes into
// dictation.log.1.
void initLog();

// initLog with the folder given instead of looked up; an empty folder leaves
// file logging as it was.
void initLogIn(const std::wstring& folder);

// Empty until initLog has found its folder.
std::wstring logFilePath();

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// "YYYY-MM-DD hh:mm:ss", always 19 characters for four-digit years.
std::wstring formatLogStamp(const LocalTime& time);
