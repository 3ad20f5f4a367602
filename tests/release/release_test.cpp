// What a user downloads, under Wine in a prefix of its own
// (tests/scripts/release-check.sh): the installer's work, the installed
// program dictating, what the uninstaller leaves, and the zip run from a
// folder with Cyrillic letters in its path.

#include <thread>

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include "app/autostart.h"
#include "diag/folders.h"
#include "settings/settings_file.h"
#include "tests/e2e/program_under_test.h"
#include "diag/encoding.h"
#include "tests/insert/target_window.h"
#include "vornika_version.h"

using namespace std::chrono_literals;

namespace {

const std::wstring kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vornika";
const std::wstring kScriptedText = L"O'rnatilgan Vornika";  // what release-check.sh's model says

std::wstring knownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path))) result = path;
    CoTaskMemFree(path);
    return result;
}

std::wstring installFolder() { return knownFolder(FOLDERID_LocalAppData) + L"\\Programs\\Vornika"; }
std::wstring shortcut() { return knownFolder(FOLDERID_Programs) + L"\\Vornika.lnk"; }

std::wstring registryText(const std::wstring& key, const wchar_t* value) {
    wchar_t text[1024] = {};
    DWORD size = sizeof(text);
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), value, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) {
        return L"";
    }
    return text;
}

bool keyExists(const std::wstring& key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    RegCloseKey(opened);
    return true;
}

std::wstring environment(const wchar_t* name) { return environmentVariable(name); }

// A whole dictation with the program in that folder; the text that arrived.
std::wstring dictateWith(const std::wstring& folder) {
    ProgramUnderTest program(ProgramUnderTest::InPlace{folder});
    if (!program.start()) return L"(did not start)";
    TargetWindow target;
    if (!target.problem().empty()) return L"(no target window)";
    pressKeys(MOD_CONTROL | MOD_ALT, 'D');
    for (int i = 0; i < 200 && !program.overlayShown(); ++i) std::this_thread::sleep_for(20ms);
    playIntoMicrophone("speech");
    std::this_thread::sleep_for(300ms);
    pressKeys(MOD_CONTROL | MOD_ALT, 'D');
    const std::wstring arrived = target.waitFor(kScriptedText, 30000);
    program.quit();
    return arrived;
}

}  // namespace

TEST(Installed, InstallsPerUserWithShortcutUninstallEntryAndModel) {
    const std::wstring folder = installFolder();
    for (const wchar_t* file : {L"Vornika.exe", L"vornika-transcribe.exe", L"libwhisper.dll", L"ggml-base.dll",
                                L"ggml-cpu-x64.dll", L"ggml-cpu-haswell.dll", L"README.txt", L"uninstall.exe",
                                L"models\\MODEL-QAYERGA.txt", L"models\\ggml-veltostt.bin",
                                L"licenses\\whisper.cpp-and-ggml.txt", L"gpu\\ggml-vulkan.dll",
                                L"licenses\\vulkan-headers.txt"}) {
        EXPECT_TRUE(fileExists(folder + L"\\" + file)) << toUtf8(file);
    }
    EXPECT_TRUE(fileExists(shortcut()));
    EXPECT_EQ(registryText(kUninstallKey, L"DisplayName"), L"Vornika");
    EXPECT_EQ(registryText(kUninstallKey, L"DisplayVersion"), L"" VORNIKA_VERSION_TEXT);
    EXPECT_EQ(registryText(kUninstallKey, L"UninstallString"), L"\"" + folder + L"\\uninstall.exe\"");
}

TEST(Installed, TheInstalledProgramDictates) {
    forgetEarlierRuns();
    ASSERT_TRUE(writeSettings(onboardedSettings()));
    EXPECT_EQ(dictateWith(installFolder()), kScriptedText);
    // Left for the uninstaller: autostart, settings and a log.
    HKEY run = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &run, nullptr), ERROR_SUCCESS);
    const std::wstring command = L"\"" + installFolder() + L"\\Vornika.exe\"";
    RegSetValueExW(run, kRunValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(run);
    EXPECT_TRUE(fileExists(settingsFilePath()));
    EXPECT_FALSE(programLog().empty());
}

TEST(Uninstalled, TheProgramIsGoneTheUsersSettingsAndLogStay) {
    EXPECT_FALSE(fileExists(installFolder() + L"\\Vornika.exe"));
    EXPECT_EQ(GetFileAttributesW(installFolder().c_str()), INVALID_FILE_ATTRIBUTES) << "the folder is gone";
    EXPECT_FALSE(fileExists(shortcut()));
    EXPECT_FALSE(keyExists(kUninstallKey));
    EXPECT_EQ(registryText(kRunKey, kRunValueName), L"");
    EXPECT_TRUE(fileExists(settingsFilePath()));
    EXPECT_FALSE(programLog().empty());
}

TEST(Unzipped, TheZipRunsFromAFolderWithCyrillicLetters) {
    const std::wstring folder = environment(L"VORNIKA_UNZIPPED");
    ASSERT_FALSE(folder.empty());
    ASSERT_NE(folder.find(L"\u041F\u0440\u043E\u0433\u0440\u0430\u043C\u043C\u044B"), std::wstring::npos);
    forgetEarlierRuns();
    Settings settings = onboardedSettings();
    settings.useGpu = true;
    ASSERT_TRUE(writeSettings(settings));
    EXPECT_EQ(dictateWith(folder), kScriptedText);
    // The card is checked first. The Vulkan backend loads from the Cyrillic
    // folder, but finds no device ggml counts (Wine's software device is a
    // CPU): the model runs on the processor.
    const std::string log = programLog();
    EXPECT_NE(log.find("videokarta tekshiruvi: videokarta topilmadi (Vulkan: mos qurilma yo'q;"), std::string::npos) << log;
    EXPECT_NE(log.find("ggml-veltostt.bin (CPU)"), std::string::npos) << log;
    EXPECT_NE(log.find("model yuklandi: CPU, "), std::string::npos) << log;
}
