#include "diag/folders.h"

#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "diag/encoding.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

std::wstring joined(std::initializer_list<std::wstring> parts) {
    std::wstring path;
    for (const std::wstring& part : parts) path += (path.empty() ? L"" : std::wstring(1, kPathSeparator)) + part;
    return path;
}

}  // namespace

TEST(EnsureDirectory, CreatesEveryMissingParent) {
    TempFolder temp;
    const std::wstring deep = joined({temp.path(), L"a", L"b\u02BB", L"c"});
    EXPECT_TRUE(ensureDirectory(deep));
    EXPECT_TRUE(fs::is_directory(fsPath(deep)));
    EXPECT_TRUE(ensureDirectory(deep));  // already there
    EXPECT_FALSE(ensureDirectory(L""));
}

TEST(EnsureDirectory, RefusesAFileAndCreatesNothingUnderIt) {
    TempFolder temp;
    const std::wstring file = temp / L"settings.ini";
    ASSERT_TRUE(writeFile(file, "x"));
    EXPECT_FALSE(ensureDirectory(file));
    EXPECT_FALSE(ensureDirectory(joined({file, L"sub", L"deeper"})));
    EXPECT_EQ(readFile(file), "x");
    EXPECT_TRUE(fs::is_regular_file(fsPath(file)));
}

TEST(FileExists, OnlyForFiles) {
    TempFolder temp;
    ASSERT_TRUE(writeFile(temp / L"f.bin", ""));
    EXPECT_TRUE(fileExists(temp / L"f.bin"));  // empty files count
    EXPECT_FALSE(fileExists(temp.path()));
    EXPECT_FALSE(fileExists(temp / L"missing.bin"));
    EXPECT_FALSE(fileExists(L""));
}

TEST(ExePath, NamesThisExecutable) {
    const std::wstring exe = exePath();
    ASSERT_FALSE(exe.empty());
    EXPECT_TRUE(fileExists(exe));
    EXPECT_NE(exe.find(L"diag_tests"), std::wstring::npos);
    const std::wstring folder = exeDirectory();
    EXPECT_EQ(exe.substr(0, folder.size() + 1), folder + kPathSeparator);
    EXPECT_EQ(exe.find(kPathSeparator, folder.size() + 1), std::wstring::npos);
    EXPECT_TRUE(fs::is_directory(fsPath(folder)));
}

TEST(ParentOf, CutsAtTheLastSeparator) {
    const std::wstring s(1, kPathSeparator);
    EXPECT_EQ(parentOf(L"a" + s + L"b" + s + L"c.exe"), L"a" + s + L"b");
    EXPECT_EQ(parentOf(L"vornika.exe"), L"vornika.exe");
    EXPECT_EQ(parentOf(L""), L"");
}

TEST(AppFolders, ExistAndEndInTheProductName) {
#ifndef _WIN32
    TempFolder temp;
    setenv("XDG_CONFIG_HOME", toUtf8(temp / L"config").c_str(), 1);
    setenv("XDG_DATA_HOME", toUtf8(temp / L"data").c_str(), 1);
#endif
    const std::wstring suffix = std::wstring(1, kPathSeparator) + L"Vornika";
    for (const std::wstring& folder : {roamingAppFolder(), localAppFolder()}) {
        ASSERT_GT(folder.size(), suffix.size());
        EXPECT_EQ(folder.substr(folder.size() - suffix.size()), suffix);
        EXPECT_TRUE(fs::is_directory(fsPath(folder)));
    }
    EXPECT_NE(roamingAppFolder(), localAppFolder());
#ifndef _WIN32
    EXPECT_EQ(localAppFolder(), joined({temp.path(), L"data", L"Vornika"}));
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_DATA_HOME");
#endif
}
