// The Run value under HKCU (Windows only; under Wine the prefix's registry).
#include "app/autostart.h"

#include <cwctype>

#include <gtest/gtest.h>
#include <windows.h>

#include "diag/encoding.h"
#include "diag/folders.h"
#include "diag/log.h"
#include "tests/support/logged_lines.h"
#include "tests/support/temp_folder.h"

namespace {

struct RunKey {
    HKEY key = nullptr;
    RunKey() { RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr); }
    ~RunKey() { RegCloseKey(key); }
    void write(DWORD type, const std::wstring& data) {
        RegSetValueExW(key, kRunValueName, 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    }
    bool read(DWORD& type, std::wstring& data, DWORD& bytes) {
        wchar_t buffer[1100] = {};
        bytes = sizeof buffer - sizeof(wchar_t);
        if (RegQueryValueExW(key, kRunValueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes) !=
            ERROR_SUCCESS)
            return false;
        data = buffer;
        return true;
    }
    bool exists() {
        DWORD type = 0, bytes = 0;
        std::wstring data;
        return read(type, data, bytes);
    }
};

class Autostart : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteValueW(run.key, kRunValueName);
        initLogIn(logFolder.path());
    }
    void TearDown() override { RegDeleteValueW(run.key, kRunValueName); }
    RunKey run;
    TempFolder logFolder;
};

}  // namespace

TEST_F(Autostart, CommandIsTheQuotedExecutable) {
    EXPECT_EQ(autostartCommand(), L"\"" + exePath() + L"\"");
}

TEST_F(Autostart, EnableWritesTheQuotedPathAsAString) {
    EXPECT_FALSE(isAutostartEnabled());
    ASSERT_TRUE(setAutostart(true));
    DWORD type = 0, bytes = 0;
    std::wstring data;
    ASSERT_TRUE(run.read(type, data, bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(data, autostartCommand());
    EXPECT_EQ(bytes, (data.size() + 1) * sizeof(wchar_t)) << "stored with its terminating zero";
    EXPECT_TRUE(isAutostartEnabled());
    EXPECT_EQ(loggedTexts(), std::vector<std::wstring>{L"avtostart yoqildi"});
}

TEST_F(Autostart, OnlyThisExecutableQuotedAsAStringCounts) {
    std::wstring upper = autostartCommand();
    for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
    run.write(REG_SZ, upper);
    EXPECT_TRUE(isAutostartEnabled()) << "letter case does not matter";

    run.write(REG_SZ, exePath());
    EXPECT_FALSE(isAutostartEnabled()) << "without the quotes";

    run.write(REG_EXPAND_SZ, autostartCommand());
    EXPECT_FALSE(isAutostartEnabled()) << "an expandable string";
    ASSERT_TRUE(setAutostart(true));
    DWORD type = 0, bytes = 0;
    std::wstring data;
    ASSERT_TRUE(run.read(type, data, bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ)) << "saving replaces it";

    // The program moved: the value names the old place.
    run.write(REG_SZ, L"\"C:\\Old place\\Vornika\\Vornika.exe\"");
    EXPECT_FALSE(isAutostartEnabled());
    run.write(REG_SZ, std::wstring(1500, L'x'));
    EXPECT_FALSE(isAutostartEnabled()) << "a value too large for the buffer";
}

TEST_F(Autostart, DisablingTwiceSucceeds) {
    ASSERT_TRUE(setAutostart(true));
    EXPECT_TRUE(setAutostart(false));
    EXPECT_FALSE(run.exists());
    EXPECT_TRUE(setAutostart(false));
    EXPECT_FALSE(isAutostartEnabled());
    EXPECT_EQ(loggedTexts(),
              (std::vector<std::wstring>{L"avtostart yoqildi", L"avtostart o'chirildi", L"avtostart o'chirildi"}));
}

// A copy started from inside a zip opened in Explorer runs from the temporary
// folder; nothing else does.
TEST(TemporaryFolder, APathIsInsideItsFolderOnlyAsAWholeFolderName) {
    TempFolder folder;
    const std::wstring base = folder.path();
    std::wstring upper = base;
    for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
    const struct {
        std::wstring path, folder;
        bool inside;
    } cases[] = {
        {base + L"\\Vornika.exe", base, true},
        {base + L"\\Temp1_vornika.zip\\Vornika.exe", upper + L"\\", true},
        {L"C:\\Users\\\u0410\u0437\u0438\u0437\\AppData\\Local\\Temp\\v\\Vornika.exe",
         L"c:\\users\\\u0430\u0437\u0438\u0437\\appdata\\local\\temp", true},
        {base + L"2\\Vornika.exe", base, false},
        {base, base, false},
        {L"D:\\Vornika\\Vornika.exe", base, false},
        {base + L"\\Vornika.exe", L"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(isInsideFolder(c.path, c.folder), c.inside) << toUtf8(c.path);
    EXPECT_FALSE(runsFromTemporaryFolder()) << "the tests run from the build folder";
}
