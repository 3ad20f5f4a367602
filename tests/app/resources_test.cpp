// What Vornika.exe carries: the icon group, the version record, the manifest
// and the cue sounds.

#include <gtest/gtest.h>
#include <windows.h>

#include "app/cue_sounds.h"
#include "diag/folders.h"
#include "res/resource.h"
#include "vornika_version.h"

namespace {

#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct IconGroup {
    WORD reserved, type, count;
    IconGroupEntry entries[1];
};
#pragma pack(pop)

std::wstring programPath() { return exeDirectory() + L"\\Vornika.exe"; }

class Resources : public ::testing::Test {
protected:
    void SetUp() override {
        module = LoadLibraryExW(programPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module, nullptr);
    }
    void TearDown() override {
        if (module != nullptr) FreeLibrary(module);
    }
    std::string resource(LPCWSTR type, LPCWSTR name) const {
        const HRSRC found = FindResourceW(module, name, type);
        if (found == nullptr) return {};
        const auto* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
        return std::string(data, SizeofResource(module, found));
    }
    HMODULE module = nullptr;
};

}  // namespace

TEST_F(Resources, TheIconGroupHasSevenSizesAt32Bits) {
    const std::string bytes = resource(RT_GROUP_ICON, MAKEINTRESOURCEW(IDI_PROGRAM));
    ASSERT_GE(bytes.size(), 6u);
    const auto* group = reinterpret_cast<const IconGroup*>(bytes.data());
    ASSERT_EQ(group->count, 7);
    const int sizes[] = {16, 24, 32, 48, 64, 128, 256};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(group->entries[i].width == 0 ? 256 : group->entries[i].width, sizes[i]);
        EXPECT_EQ(group->entries[i].bitCount, 32);
    }
    // The tray asks for the small-icon size.
    const auto icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    EXPECT_NE(icon, nullptr);
    if (icon != nullptr) DestroyIcon(icon);
}

TEST_F(Resources, TheManifestAsksForNoElevationAndDeclaresTheProcessSettings) {
    const std::string manifest = resource(RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID);
    for (const char* wanted : {"name=\"Vornika\" version=\"" VORNIKA_VERSION_TEXT "\"", "processorArchitecture=\"amd64\"",
                               "Microsoft.Windows.Common-Controls", "version=\"6.0.0.0\"",
                               "level=\"asInvoker\" uiAccess=\"false\"", "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a",
                               ">PerMonitorV2<", ">UTF-8<"}) {
        EXPECT_NE(manifest.find(wanted), std::string::npos) << wanted;
    }
}

TEST_F(Resources, TheVersionRecordNamesTheProgram) {
    const std::wstring path = programPath();
    DWORD ignored = 0;
    std::string block(GetFileVersionInfoSizeW(path.c_str(), &ignored), '\0');
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    const DWORD high = (VORNIKA_VERSION_MAJOR << 16) | VORNIKA_VERSION_MINOR;
    const DWORD low = (VORNIKA_VERSION_PATCH << 16) | VORNIKA_VERSION_TWEAK;
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, low);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, low);
    const auto text = [&](const wchar_t* key) {
        wchar_t* value = nullptr;
        UINT size = 0;
        const std::wstring query = std::wstring(L"\\StringFileInfo\\044304B0\\") + key;
        return VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &size) ? std::wstring(value)
                                                                                                   : std::wstring();
    };
    EXPECT_EQ(text(L"FileDescription"), L"O'zbekcha ovozli yozuv");
    EXPECT_EQ(text(L"InternalName"), L"Vornika");
    EXPECT_EQ(text(L"OriginalFilename"), L"Vornika.exe");
    EXPECT_EQ(text(L"ProductName"), L"Vornika");
    EXPECT_EQ(text(L"FileVersion"), L"" VORNIKA_VERSION_TEXT);
    EXPECT_EQ(text(L"ProductVersion"), L"" VORNIKA_VERSION_TEXT);
}

TEST_F(Resources, EveryCuePlaysAWaveTheProgramCarries) {
    for (const Cue cue : {Cue::Start, Cue::Stop, Cue::Error}) {
        const std::string wave = resource(L"WAVE", MAKEINTRESOURCEW(cueResource(cue)));
        ASSERT_GE(wave.size(), 12u) << cueResource(cue);
        EXPECT_EQ(wave.substr(0, 4), "RIFF");
        EXPECT_EQ(wave.substr(8, 4), "WAVE");
    }
}
