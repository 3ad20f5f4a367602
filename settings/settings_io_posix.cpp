#include "settings/settings_io.h"

#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "diag/encoding.h"

std::optional<std::string> readSharedFile(const std::wstring& path) {
    const int file = open(toUtf8(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) return std::nullopt;
    std::string bytes;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = read(file, buffer, sizeof buffer);
        if (got < 0) {
            close(file);
            return std::nullopt;
        }
        if (got == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    close(file);
    return bytes;
}

bool replaceFile(const std::wstring& path, const std::string& bytes) {
    const std::string target = toUtf8(path), temporary = target + ".tmp";
    const int file = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (file < 0) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = write(file, bytes.data() + done, bytes.size() - done);
        if (wrote <= 0) {
            close(file);
            return false;
        }
        done += static_cast<std::size_t>(wrote);
    }
    if (close(file) != 0) return false;
    return std::rename(temporary.c_str(), target.c_str()) == 0;
}
