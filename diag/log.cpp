#include "diag/log.h"

#include <cstdio>
#include <mutex>

#include "diag/encoding.h"
#include "diag/folders.h"
#include "diag/log_io.h"

namespace {

std::mutex logMutex;
std::wstring logPath;  // written only by initLog
std::uint64_t logBytes = 0;  // the log's size as this process last knew it

// The log becomes dictation.log.1, replacing an older one.
void setLogAside() {
    const std::wstring previous = logPath + L".1";
    deleteFile(previous);
    renameFile(logPath, previous);
    logBytes = 0;
}

const wchar_t kLogFileName[] = L"dictation.log";

}  // namespace

std::wstring formatLogStamp(const LocalTime& t) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return std::wstring(stamp, stamp + std::char_traits<char>::length(stamp));
}

void logLine(const std::wstring& text) {
    // The debugger output is not serialised; only the file appends are.
    writeDebugOutput(L"[velto] " + text + L"\n");
    const std::lock_guard lock(logMutex);
    if (logPath.empty()) return;
    const std::string line = toUtf8(formatLogStamp(localTimeNow()) + L" " + text + L"\r\n");
    // A program that runs for weeks keeps its log within the limit too.
    if (logBytes + line.size() > kLogRotationBytes) {
        logBytes = fileSize(logPath).value_or(0);  // another program may have emptied or removed it
        if (logBytes > 0 && logBytes + line.size() > kLogRotationBytes) setLogAside();
    }
    if (appendToFile(logPath, line)) logBytes += line.size();
}

void initLogIn(const std::wstring& folder) {
    const std::lock_guard lock(logMutex);
    if (folder.empty()) return;
    logPath = folder + kPathSeparator + kLogFileName;
    logBytes = fileSize(logPath).value_or(0);
    if (logBytes > kLogRotationBytes) setLogAside();
}

void initLog() {
    // The folder lookup runs before the lock: it does not touch the log.
    initLogIn(localAppFolder());
}

std::wstring logFilePath() {
    const std::lock_guard lock(logMutex);
    return logPath;
}
