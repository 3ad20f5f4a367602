#include "diag/log_io.h"

#include <cstdio>
#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "diag/encoding.h"

LocalTime localTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

// A native run has no debugger output; standard error stands in for it.
void writeDebugOutput(const std::wstring& text) {
    const std::string bytes = toUtf8(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
}

bool appendToFile(const std::wstring& path, const std::string& bytes) {
    const int file = open(toUtf8(path).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (file < 0) return false;
    const ssize_t written = write(file, bytes.data(), bytes.size());
    close(file);
    return written == static_cast<ssize_t>(bytes.size());
}

std::optional<std::uint64_t> fileSize(const std::wstring& path) {
    struct stat info {};
    if (stat(toUtf8(path).c_str(), &info) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(info.st_size);
}

void deleteFile(const std::wstring& path) { unlink(toUtf8(path).c_str()); }

void renameFile(const std::wstring& from, const std::wstring& to) { std::rename(toUtf8(from).c_str(), toUtf8(to).c_str()); }
