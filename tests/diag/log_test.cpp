#include "diag/log.h"

#include <algorithm>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "diag/encoding.h"
#include "diag/folders.h"
#include "diag/log_io.h"
#include "tests/support/debug_output_capture.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

const std::regex kStamp(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2})");

std::vector<std::string> fileLines(const std::wstring& path) {
    const std::string content = readFile(path);
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = content.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(content.substr(start, end - start));
    EXPECT_EQ(start, content.size()) << "the log ends inside a line";
    return lines;
}

std::wstring logIn(const TempFolder& folder) { return folder / L"dictation.log"; }

}  // namespace

// Runs first in this program: nothing has pointed the log at a file yet.
TEST(Log, LinesBeforeInitReachOnlyTheDebugOutput) {
    ASSERT_EQ(logFilePath(), L"");
    DebugOutputCapture capture;
    logLine(L"before init");
    EXPECT_EQ(capture.finish(), "[velto] before init\n");
    EXPECT_EQ(logFilePath(), L"");
}

TEST(Log, StampFormat) {
    EXPECT_EQ(formatLogStamp({2025, 3, 7, 9, 41, 5}), L"2025-03-07 09:41:05");
    EXPECT_EQ(formatLogStamp({1999, 12, 31, 23, 59, 59}), L"1999-12-31 23:59:59");
}

TEST(Log, WritesStampedUtf8LinesWithCrLf) {
    TempFolder folder;
    initLogIn(folder.path());
    EXPECT_EQ(logFilePath(), logIn(folder));
    const std::wstring before = formatLogStamp(localTimeNow());
    logLine(L"O\u02BBzbekiston \u2014 g\u02BBalaba");
    logLine(L"");
    logLine(L"ikki\nqator");
    const std::wstring after = formatLogStamp(localTimeNow());

    const std::string content = readFile(logIn(folder));
    ASSERT_GT(content.size(), 19u);
    EXPECT_NE(content.substr(0, 3), "\xEF\xBB\xBF") << "no byte-order mark";
    const std::vector<std::string> lines = fileLines(logIn(folder));
    ASSERT_EQ(lines.size(), 3u);
    const std::string bodies[] = {"O\xCA\xBBzbekiston \xE2\x80\x94 g\xCA\xBB" "alaba", "", "ikki\nqator"};
    for (std::size_t i = 0; i < 3; ++i) {
        ASSERT_GE(lines[i].size(), 20u);
        const std::string stamp = lines[i].substr(0, 19);
        EXPECT_TRUE(std::regex_match(stamp, kStamp)) << stamp;
        // Fixed-width stamps compare as text.
        EXPECT_GE(stamp, std::string(before.begin(), before.end()));
        EXPECT_LE(stamp, std::string(after.begin(), after.end()));
        EXPECT_EQ(lines[i].substr(19), " " + bodies[i]);
    }
}

TEST(Log, RotatesOnlyALogLargerThanTwoMebibytes) {
    TempFolder folder;
    const std::wstring log = logIn(folder), previous = logIn(folder) + L".1";
    ASSERT_TRUE(writeFileOfSize(log, kLogRotationBytes, 'a'));
    initLogIn(folder.path());
    EXPECT_EQ(fs::file_size(fsPath(log)), kLogRotationBytes);
    EXPECT_FALSE(fs::exists(fsPath(previous)));

    ASSERT_TRUE(writeFileOfSize(log, kLogRotationBytes + 1, 'b'));
    ASSERT_TRUE(writeFile(previous, "an older generation"));
    initLogIn(folder.path());
    EXPECT_FALSE(fs::exists(fsPath(log)));
    EXPECT_EQ(fs::file_size(fsPath(previous)), kLogRotationBytes + 1);
    logLine(L"--- ilova ishga tushdi ---");
    const std::vector<std::string> lines = fileLines(log);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(19), " --- ilova ishga tushdi ---");

    // A run of weeks: the line that would pass the limit starts a new log.
    ASSERT_TRUE(writeFileOfSize(log, kLogRotationBytes - 10, 'c'));
    initLogIn(folder.path());
    logLine(L"bir");
    EXPECT_EQ(fs::file_size(fsPath(previous)), kLogRotationBytes - 10);
    ASSERT_EQ(fileLines(log).size(), 1u);
    EXPECT_EQ(fileLines(log)[0].substr(19), " bir");
}

TEST(Log, ConcurrentLinesNeverInterleave) {
    TempFolder folder;
    initLogIn(folder.path());
    constexpr int kThreads = 6, kLines = 150;
    const std::wstring padding(120, L'\u2014');  // long, multi-byte lines make torn writes visible
    DebugOutputCapture quiet;  // keeps a thousand lines off the test output
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t)
        writers.emplace_back([t, &padding] {
            for (int i = 0; i < kLines; ++i)
                logLine(L"thread " + std::to_wstring(t) + L" line " + std::to_wstring(i) + L" " + padding);
        });
    for (std::thread& writer : writers) writer.join();
    quiet.finish();

    const std::vector<std::string> lines = fileLines(logIn(folder));
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kLines));
    std::string dashes;
    for (int i = 0; i < 120; ++i) dashes += "\xE2\x80\x94";
    const std::regex shape(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2} thread (\d) line (\d+) )" + dashes);
    std::set<std::pair<int, int>> seen;
    std::vector<int> lastLine(kThreads, -1);
    for (const std::string& line : lines) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, shape)) << line;
        const int thread = std::stoi(match[1]), index = std::stoi(match[2]);
        EXPECT_TRUE(seen.insert({thread, index}).second);
        EXPECT_GT(index, lastLine[thread]) << "one thread's lines keep their order";
        lastLine[thread] = index;
    }
}

TEST(Log, AMissingFolderDropsLinesQuietly) {
    TempFolder folder;
    const std::wstring gone = folder / L"removed";
    initLogIn(gone);
    logLine(L"nowhere to go");
    EXPECT_FALSE(fs::exists(fsPath(gone)));
    initLogIn(L"");  // no folder: the path stays as it was
    EXPECT_EQ(logFilePath(), gone + kPathSeparator + L"dictation.log");
}

TEST(Log, InitLogUsesTheLocalApplicationFolder) {
#ifndef _WIN32
    TempFolder temp;
    setenv("XDG_DATA_HOME", toUtf8(temp.path()).c_str(), 1);
#endif
    initLog();
    const std::wstring suffix = std::wstring(1, kPathSeparator) + L"Vornika" + kPathSeparator + L"dictation.log";
    const std::wstring path = logFilePath();
    ASSERT_GT(path.size(), suffix.size());
    EXPECT_EQ(path.substr(path.size() - suffix.size()), suffix);
    EXPECT_EQ(path, localAppFolder() + kPathSeparator + L"dictation.log");
#ifndef _WIN32
    unsetenv("XDG_DATA_HOME");
#endif
}
