#include "settings/settings_file.h"

#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "diag/encoding.h"
#include "diag/folders.h"
#include "settings/settings_text.h"
#include "tests/support/temp_folder.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace {

Settings customised() {
    Settings s = defaultSettings();
    s.vk = 0x70;
    s.label = L"F1";
    s.deviceName = L"Mikrofon \u2014 \u041C\u0438\u043A";
    s.insertMode = InsertMode::Type;
    s.useGpu = false;
    s.idleUnloadSeconds = 600;
    s.didOnboard = true;
    return s;
}

}  // namespace

TEST(SettingsFile, MissingFileOrAFolderInItsPlaceGiveTheDefaults) {
    TempFolder temp;
    EXPECT_EQ(loadSettingsFrom(temp / L"settings.ini"), defaultSettings());
    EXPECT_EQ(loadSettingsFrom(L""), defaultSettings());
    fs::create_directories(fsPath(temp / L"settings.ini"));
    EXPECT_EQ(loadSettingsFrom(temp / L"settings.ini"), defaultSettings());
    EXPECT_FALSE(saveSettingsTo(temp / L"settings.ini", customised())) << "a folder cannot be replaced";
    EXPECT_FALSE(saveSettingsTo(L"", customised()));
}

TEST(SettingsFile, SavedFileReadsBackAndLeavesNoTemporaryFile) {
    TempFolder temp;
    const std::wstring path = temp / L"settings.ini";
    ASSERT_TRUE(saveSettingsTo(path, customised()));
    EXPECT_EQ(loadSettingsFrom(path), customised());
    EXPECT_FALSE(fs::exists(fsPath(path + L".tmp")));
    const std::string bytes = readFile(path);
    EXPECT_EQ(bytes, toUtf8(composeSettingsText(customised())));
    EXPECT_EQ(bytes.find('\r'), std::string::npos) << "line feeds only, no text-mode translation";

    ASSERT_TRUE(saveSettingsTo(path, defaultSettings()));  // replaces the earlier file
    EXPECT_EQ(loadSettingsFrom(path), defaultSettings());
    EXPECT_FALSE(saveSettingsTo(temp / L"missing-folder" + std::wstring(1, kPathSeparator) + L"settings.ini",
                                customised()));
}

TEST(SettingsFile, HandEditedFileWithCrLfAndBrokenBytes) {
    TempFolder temp;
    const std::wstring path = temp / L"settings.ini";
    ASSERT_TRUE(writeFile(path, "\xEF\xBB\xBF# Vornika\r\nhotkey.vk=71\r\nhotkey.label=G\xFF\r\nuseGpu=0"));
    const Settings s = loadSettingsFrom(path);
    EXPECT_EQ(s.vk, 71u);
    EXPECT_EQ(s.label, L"G\uFFFD");
    EXPECT_FALSE(s.useGpu);
}

TEST(SettingsFile, LivesInTheRoamingApplicationFolder) {
#ifndef _WIN32
    TempFolder temp;
    setenv("XDG_CONFIG_HOME", toUtf8(temp.path()).c_str(), 1);
#endif
    const std::wstring path = settingsFilePath();
    EXPECT_EQ(path, roamingAppFolder() + kPathSeparator + L"settings.ini");
#ifndef _WIN32
    EXPECT_EQ(loadSettings(), defaultSettings());
    ASSERT_TRUE(saveSettings(customised()));
    EXPECT_EQ(loadSettings(), customised());
    unsetenv("XDG_CONFIG_HOME");
#endif
}

#ifdef _WIN32
TEST(SettingsFile, ReadOnlyFileIsNotReplaced) {
    TempFolder temp;
    const std::wstring path = temp / L"settings.ini";
    ASSERT_TRUE(saveSettingsTo(path, defaultSettings()));
    const std::string before = readFile(path);
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(saveSettingsTo(path, customised()));
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(readFile(path + L".tmp"), toUtf8(composeSettingsText(customised()))) << "left beside it";
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(SettingsFile, AFileHeldByAnotherProgram) {
    TempFolder temp;
    const std::wstring path = temp / L"settings.ini";
    ASSERT_TRUE(saveSettingsTo(path, customised()));
    {
        // An editor that keeps the file open for writing but lets others read.
        const HANDLE editor = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(editor, INVALID_HANDLE_VALUE);
        EXPECT_EQ(loadSettingsFrom(path), customised());
        CloseHandle(editor);
    }
    {
        // A program that locks it completely: start with the defaults.
        const HANDLE locker = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(locker, INVALID_HANDLE_VALUE);
        EXPECT_EQ(loadSettingsFrom(path), defaultSettings());
        CloseHandle(locker);
    }
}
#endif
