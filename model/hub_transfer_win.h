#pragma once
// The download's thin Windows layer: GETs through WinHTTP with the system's
// proxy settings, and part files whose sha256 Windows' CNG computes.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "diag/scoped_win.h"
#include "model/download_file.h"

// https only; plain http only to this computer (127.0.0.0/8, localhost, ::1),
// which the tests' local hub is. Redirects are followed, never from https
// down to http. Reads come in pieces of at most 256 KiB, the stop flag is
// looked at between them, and a read that waits 20 s for a byte counts as a
// cut (the next attempt resumes).
class WinHttpSource : public HttpSource {
public:
    // `stopped` is asked between reads and while waiting (any thread may make it true).
    explicit WinHttpSource(std::function<bool()> stopped);
    BodyEnd get(const std::string& url, std::uint64_t from, HttpReply& reply,
                const std::function<bool(const HttpReply&)>& wanted,
                const std::function<bool(std::string_view)>& piece) override;
    bool wait(int seconds) override;

private:
    std::function<bool()> stopped;
    UniqueInternet session;
};

// A part file appended to through one open handle, kept when the download
// stops; its sha256 read through BCrypt.
class WindowsPartFile : public PartStore {
public:
    explicit WindowsPartFile(std::filesystem::path path);
    std::uint64_t size() override;
    bool append(std::string_view bytes) override;
    bool clear() override;
    std::string sha256() override;

private:
    bool open();
    std::filesystem::path path;
    UniqueHandle file;
};
