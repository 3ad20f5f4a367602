// The settings window under Wine, driven through its controls' messages,
// with microphones, Run key, file and message boxes of the test's own.

#include "ui/settings_window.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "diag/encoding.h"
#include "diag/folders.h"
#include "model/model_info.h"
#include "settings/settings_file.h"
#include "tests/model/checkpoint_writer.h"
#include "tests/support/temp_folder.h"
#include "tools/testmodel/test_model.h"
#include "tests/ui/window_driving.h"
#include "ui/interface_script.h"
#include "ui/settings_form.h"

using namespace std::chrono_literals;

namespace {

struct ShownMessage {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT icon;
};

class SettingsWindowTest : public ::testing::Test {
protected:
    SettingsWindowTest() : window(surroundings()) {
        window.setOnSaved([this](const Settings& s) { saved.push_back(s); });
        stored.vk = 'R';
        stored.modifiers = 6;  // Ctrl+Shift
        stored.label = L"R";
        stored.deviceId = L"{usb}";
        stored.deviceName = L"Mikrofon (USB Audio)";
        stored.insertMode = InsertMode::Type;
        stored.autoStart = false;
        stored.useGpu = false;
        stored.idleUnloadSeconds = 240;
        stored.didOnboard = true;
    }

    SettingsSurroundings surroundings() {
        SettingsSurroundings s;
        s.listMicrophones = [this] { return devices; };
        s.isAutostartEnabled = [this] { return autostartInRegistry; };
        s.setAutostart = [this](bool enable) {
            autostartInRegistry = enable;
            return true;
        };
        s.saveSettings = [this](const Settings& settings) { return saveWorks && saveSettingsTo(file, settings); };
        s.showMessage = [this](HWND owner, const std::wstring& text, const std::wstring& caption, UINT icon) {
            messages.push_back({owner, text, caption, icon});
        };
        s.describeModel = [this] { return model; };
        s.chooseModel = [this](HWND) { return chosen; };
        s.modelTarget = [this] { return target; };
        s.textExample = [this](const Settings& shown) {
            exampleAskedFor.push_back(shown);
            if (!surroundingsExample.empty()) return surroundingsExample;
            return L"namuna " + std::to_wstring(static_cast<int>(shown.textScript));
        };
        s.recognitionDevice = [this](bool useGpu) { return useGpu ? deviceLine : std::wstring(L"Qurilma: Protsessor"); };
        return s;
    }

    void open() { window.open(GetModuleHandleW(nullptr), stored); }
    HWND control(int id) const { return GetDlgItem(window.handle(), id); }
    void click(int id) { SendMessageW(control(id), BM_CLICK, 0, 0); }
    void chooseMicrophone(int item) {
        SendMessageW(control(kMicComboId), CB_SETCURSEL, item, 0);
        SendMessageW(window.handle(), WM_COMMAND, MAKEWPARAM(kMicComboId, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(control(kMicComboId)));
    }
    void setHotkey(BYTE key, BYTE flags) { SendMessageW(control(kHotkeyControlId), HKM_SETHOTKEY, MAKEWORD(key, flags), 0); }
    WORD hotkey() const { return LOWORD(SendMessageW(control(kHotkeyControlId), HKM_GETHOTKEY, 0, 0)); }
    int selection(int id) const { return static_cast<int>(SendMessageW(control(id), CB_GETCURSEL, 0, 0)); }
    bool checked(int id) const { return IsDlgButtonChecked(window.handle(), id) == BST_CHECKED; }
    bool shown() const { return IsWindowVisible(window.handle()) != FALSE; }

    TempFolder folder;
    std::wstring file = folder / L"settings.ini";
    std::vector<MicDevice> devices{
        {L"{usb}", L"Mikrofon (USB Audio)", MicKind::Normal, false},
        {L"{bt}", L"Headset (Hands-Free AG Audio)", MicKind::Headset, false},
        {L"{mix}", L"Stereo Mix", MicKind::Loopback, true},
    };
    bool autostartInRegistry = false;
    std::wstring model = L"C:\\Vornika\\models\\ggml-veltostt.bin (7,7 MB)";
    bool saveWorks = true;
    std::wstring chosen;                                // what the open dialog gives
    std::wstring target = folder / L"ggml-veltostt.bin";  // where a picked model goes
    Settings stored;
    std::vector<Settings> saved;
    std::vector<ShownMessage> messages;
    std::vector<Settings> exampleAskedFor;
    std::wstring surroundingsExample;  // the example line, when the test gives one
    std::wstring deviceLine = L"Videokarta: ishlamadi (drayver ishdan chiqdi, 0xC0000005) \u2014 Protsessor";
    SettingsWindow window;
};

}  // namespace

TEST_F(SettingsWindowTest, CreatesItsControlsInOrderWithTheirIdsStylesAndPlaces) {
    open();
    ASSERT_NE(window.handle(), nullptr);
    EXPECT_EQ(windowText(window.handle()), L"Vornika \u2014 Sozlamalar");
    EXPECT_EQ(clientRect(window.handle()), (Rect{0, 0, kSettingsClient.width, kSettingsClient.height}));
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window.handle(), GWL_STYLE));
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
              static_cast<DWORD>(WS_CAPTION | WS_SYSMENU));

    HWND child = GetWindow(window.handle(), GW_CHILD);
    for (const SettingsControl& entry : kSettingsControls) {
        ASSERT_NE(child, nullptr);
        wchar_t className[64] = {};
        GetClassNameW(child, className, 64);
        EXPECT_EQ(lstrcmpiW(className, entry.className), 0) << entry.id;
        EXPECT_EQ(GetDlgCtrlID(child), entry.id);
        if (entry.id != kMicWarningId && entry.id != kModelFileId && entry.id != kTextExampleId &&
            entry.id != kGpuStatusId && std::wstring(entry.className) != L"COMBOBOX") {
            EXPECT_EQ(windowText(child), entry.text);
        }
        RECT place{};
        GetWindowRect(child, &place);
        MapWindowPoints(nullptr, window.handle(), reinterpret_cast<POINT*>(&place), 2);
        // Wine's drop-down lists keep their own height for the closed box.
        const Rect expected = scaledControlRect(entry, 96);
        EXPECT_EQ(place.left, expected.left) << entry.id;
        EXPECT_EQ(place.top, expected.top) << entry.id;
        EXPECT_EQ(place.right, expected.right) << entry.id;
        if (std::wstring(entry.className) != L"COMBOBOX") {
            EXPECT_EQ(place.bottom, expected.bottom) << entry.id;
        }
        const bool tabStop = (GetWindowLongPtrW(child, GWL_STYLE) & WS_TABSTOP) != 0;
        EXPECT_EQ(tabStop, isTabStop(entry.style)) << entry.id;
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr);
    EXPECT_EQ(GetWindowLongPtrW(control(kDonateButtonId), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_EQ(GetWindowLongPtrW(control(kSaveButtonId), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(GetWindowLongPtrW(control(kModelFileId), GWL_STYLE) & SS_ELLIPSISMASK, SS_PATHELLIPSIS);
    // (The combo hands WS_VSCROLL on to its list.)
    for (const int combo : {kMicComboId, kModeComboId}) {
        EXPECT_EQ(GetWindowLongPtrW(control(combo), GWL_STYLE) & 3, CBS_DROPDOWNLIST) << combo;
    }
}

TEST_F(SettingsWindowTest, OpensLoadedFromTheSettingsAndTheRegistryAndOnlyOnce) {
    autostartInRegistry = true;  // the file says no; the Run key decides
    open();
    const HWND first = window.handle();
    EXPECT_TRUE(shown());
    EXPECT_EQ(hotkey(), MAKEWORD('R', HOTKEYF_CONTROL | HOTKEYF_SHIFT));
    EXPECT_EQ(selection(kModeComboId), 1);
    EXPECT_TRUE(checked(kAutostartBoxId));
    EXPECT_FALSE(checked(kGpuBoxId));
    EXPECT_EQ(selection(kMicComboId), 1);
    EXPECT_EQ(SendMessageW(control(kModeComboId), CB_GETCOUNT, 0, 0), 2);
    ASSERT_EQ(SendMessageW(control(kMicComboId), CB_GETCOUNT, 0, 0), 4);
    wchar_t item[128] = {};
    SendMessageW(control(kMicComboId), CB_GETLBTEXT, 3, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, L"Stereo Mix   [mikrofon emas!]   (standart)");
    EXPECT_EQ(windowText(control(kModelFileId)), model);

    ShowWindow(first, SW_HIDE);
    model = L"Topilmadi";
    stored.useGpu = true;
    devices.pop_back();
    autostartInRegistry = false;
    open();
    EXPECT_EQ(window.handle(), first);
    EXPECT_TRUE(shown());
    EXPECT_TRUE(checked(kGpuBoxId));
    EXPECT_FALSE(checked(kAutostartBoxId));
    EXPECT_EQ(SendMessageW(control(kMicComboId), CB_GETCOUNT, 0, 0), 3) << "listed afresh";
    EXPECT_EQ(windowText(control(kModelFileId)), L"Topilmadi") << "looked up afresh";
    int windows = 0;
    EnumThreadWindows(GetCurrentThreadId(), [](HWND w, LPARAM count) {
        wchar_t name[64] = {};
        GetClassNameW(w, name, 64);
        if (std::wstring(name) == L"VornikaSettings") ++*reinterpret_cast<int*>(count);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&windows));
    EXPECT_EQ(windows, 1);
}

TEST_F(SettingsWindowTest, TheWarningFollowsTheChosenMicrophone) {
    open();
    const auto warning = [&] { return windowText(control(kMicWarningId)); };
    EXPECT_EQ(warning(), L"");
    chooseMicrophone(2);
    EXPECT_EQ(warning(), warningText(devices[1]));
    chooseMicrophone(0);
    EXPECT_EQ(warning(), L"Tizim standarti: Stereo Mix\n" + warningText(devices[2]));
}

TEST_F(SettingsWindowTest, SavingWritesTheFileHidesAndCallsBackWithTheNewRecord) {
    open();
    setHotkey(VK_F9, HOTKEYF_SHIFT);
    chooseMicrophone(2);
    SendMessageW(control(kModeComboId), CB_SETCURSEL, 0, 0);
    click(kAutostartBoxId);
    click(kGpuBoxId);
    click(kSaveButtonId);

    EXPECT_FALSE(shown());
    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(saved.size(), 1u);
    Settings expected = stored;
    expected.vk = VK_F9;
    expected.modifiers = 4;
    expected.label = keyNameForVk(VK_F9);
    expected.deviceId = L"{bt}";
    expected.deviceName = L"Headset (Hands-Free AG Audio)";
    expected.insertMode = InsertMode::Paste;
    expected.autoStart = true;
    expected.useGpu = true;
    EXPECT_EQ(saved[0], expected);
    EXPECT_EQ(loadSettingsFrom(file), expected);
    EXPECT_TRUE(autostartInRegistry);
}

TEST_F(SettingsWindowTest, TheTextChoicesShowTheirExampleAsTheyChangeAndAreSavedAndReloaded) {
    stored.textScript = TextScript::Latin;
    stored.textApostrophe = TextApostrophe::Ascii;
    stored.textSpokenBreaks = true;
    open();
    EXPECT_EQ(selection(kScriptComboId), 1);
    EXPECT_EQ(selection(kApostropheComboId), 2);
    EXPECT_FALSE(checked(kTrailingSpaceBoxId));
    EXPECT_TRUE(checked(kSpokenBreaksBoxId));
    EXPECT_EQ(windowText(control(kTextExampleId)), L"namuna 1");

    SendMessageW(control(kScriptComboId), CB_SETCURSEL, 2, 0);
    SendMessageW(window.handle(), WM_COMMAND, MAKEWPARAM(kScriptComboId, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(control(kScriptComboId)));
    EXPECT_EQ(windowText(control(kTextExampleId)), L"namuna 2") << "before anything is saved";
    click(kTrailingSpaceBoxId);
    ASSERT_FALSE(exampleAskedFor.empty());
    EXPECT_TRUE(exampleAskedFor.back().textTrailingSpace);
    EXPECT_EQ(exampleAskedFor.back().textScript, TextScript::Cyrillic);
    SendMessageW(control(kApostropheComboId), CB_SETCURSEL, 1, 0);
    click(kSpokenBreaksBoxId);
    EXPECT_TRUE(saved.empty());

    click(kSaveButtonId);
    ASSERT_EQ(saved.size(), 1u);
    Settings expected = stored;
    expected.textScript = TextScript::Cyrillic;
    expected.textApostrophe = TextApostrophe::Standard;
    expected.textTrailingSpace = true;
    expected.textSpokenBreaks = false;
    EXPECT_EQ(saved[0], expected);
    EXPECT_EQ(loadSettingsFrom(file), expected);

    // Cancelled changes are forgotten: the window opens on the record again.
    open();
    SendMessageW(control(kScriptComboId), CB_SETCURSEL, 0, 0);
    click(kCancelButtonId);
    stored = expected;
    open();
    EXPECT_EQ(selection(kScriptComboId), 2);
    EXPECT_EQ(selection(kApostropheComboId), 1);
    EXPECT_TRUE(checked(kTrailingSpaceBoxId));
    EXPECT_EQ(saved.size(), 1u);
}

TEST_F(SettingsWindowTest, TheDictationRowAndTheOwnWordsTypedOverSeveralLinesAreSaved) {
    stored.hotkeyMode = HotkeyMode::Hold;
    stored.sounds = true;
    stored.vocabulary = L"Toshkent, Navoiy";
    open();
    EXPECT_EQ(selection(kHotkeyModeComboId), 1);
    EXPECT_TRUE(checked(kCancelKeyBoxId));
    EXPECT_TRUE(checked(kSoundsBoxId));
    EXPECT_TRUE(checked(kHistoryBoxId));
    EXPECT_EQ(windowText(control(kVocabularyEditId)), L"Toshkent, Navoiy");

    SendMessageW(control(kHotkeyModeComboId), CB_SETCURSEL, 2, 0);
    click(kCancelKeyBoxId);
    click(kHistoryBoxId);
    // Typed as a user would, Enter included: the field keeps its new lines.
    SetFocus(control(kVocabularyEditId));
    SendMessageW(control(kVocabularyEditId), EM_SETSEL, 0, -1);
    for (const wchar_t c : std::wstring(L"Alisher Navoiy\rOʻzbekiston")) {
        SendMessageW(control(kVocabularyEditId), WM_CHAR, c, 0);
    }
    EXPECT_EQ(windowText(control(kVocabularyEditId)), L"Alisher Navoiy\r\nOʻzbekiston");
    click(kSaveButtonId);
    ASSERT_EQ(saved.size(), 1u);
    Settings expected = stored;
    expected.hotkeyMode = HotkeyMode::Auto;
    expected.cancelKey = false;
    expected.history = false;
    expected.vocabulary = L"Alisher Navoiy, Oʻzbekiston";
    EXPECT_EQ(saved[0], expected);
    EXPECT_EQ(loadSettingsFrom(file), expected);
}

TEST_F(SettingsWindowTest, AVanishedMicrophoneOpensOnTheSystemDefaultAndSavingForgetsIt) {
    stored.deviceId = L"{gone}";
    stored.deviceName = L"Mikrofon (USB Audio)";  // a name alone does not match
    open();
    EXPECT_EQ(selection(kMicComboId), 0);
    click(kSaveButtonId);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].deviceId, L"");
    EXPECT_EQ(saved[0].deviceName, L"");
}

TEST_F(SettingsWindowTest, AHotkeyWithoutModifierIsRefusedButTheRestIsSaved) {
    for (const WORD refused : std::initializer_list<WORD>{MAKEWORD('K', 0), MAKEWORD(0, 0), MAKEWORD(0, HOTKEYF_CONTROL)}) {
        messages.clear();
        saved.clear();
        open();
        SendMessageW(control(kHotkeyControlId), HKM_SETHOTKEY, refused, 0);
        click(kGpuBoxId);
        click(kSaveButtonId);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].owner, window.handle());
        EXPECT_EQ(messages[0].text, kHotkeyRejectedText);
        EXPECT_EQ(messages[0].caption, L"Sozlamalar");
        EXPECT_EQ(messages[0].icon, static_cast<UINT>(MB_ICONWARNING));
        ASSERT_EQ(saved.size(), 1u);
        EXPECT_EQ(saved[0].hotkeyLabel(), L"Ctrl+Shift+R");
        EXPECT_TRUE(saved[0].useGpu);
    }
}

TEST_F(SettingsWindowTest, AWinHotkeyKeepsItsWinAndOneWindowsDoesNotGiveLeavesTheOldOne) {
    stored.vk = 'D';
    stored.modifiers = kModifierWin | kModifierAlt;
    stored.label = L"D";
    std::vector<std::wstring> asked;
    window.setHotkeyTaker([&](const Settings& wanted) {
        asked.push_back(wanted.hotkeyLabel());
        return wanted.vk == 'K' ? std::wstring(L"K ishlamadi") : std::wstring();
    });
    open();
    EXPECT_TRUE(checked(kHotkeyWinBoxId));
    click(kGpuBoxId);
    click(kSaveButtonId);  // the hotkey as it was: nothing to take
    for (const bool winBox : {false, true}) {
        stored = saved.back();  // as the program opens the window again
        open();
        if (winBox) click(kHotkeyWinBoxId);
        else setHotkey('K', HOTKEYF_ALT);
        click(kSaveButtonId);
    }
    EXPECT_EQ(asked, (std::vector<std::wstring>{L"Alt+Win+K", L"Alt+D"}));
    ASSERT_EQ(saved.size(), 3u);
    EXPECT_EQ(saved[0].hotkeyLabel(), L"Alt+Win+D");
    EXPECT_EQ(saved[1].hotkeyLabel(), L"Alt+Win+D") << "the refused hotkey is not saved";
    EXPECT_TRUE(saved[1].useGpu);
    EXPECT_EQ(saved[2].hotkeyLabel(), L"Alt+D");
    EXPECT_EQ(loadSettingsFrom(file).hotkeyLabel(), L"Alt+D");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, L"K ishlamadi");
}

TEST_F(SettingsWindowTest, TheStandardButtonThenCancelChangesNothing) {
    open();
    click(kDefaultHotkeyButtonId);
    EXPECT_EQ(hotkey(), MAKEWORD('D', HOTKEYF_CONTROL | HOTKEYF_ALT));
    EXPECT_TRUE(shown()) << "nothing is saved yet";
    click(kCancelButtonId);
    EXPECT_FALSE(shown());
    EXPECT_TRUE(saved.empty());
    EXPECT_FALSE(fileExists(file));
    open();
    EXPECT_EQ(hotkey(), MAKEWORD('R', HOTKEYF_CONTROL | HOTKEYF_SHIFT));

    SendMessageW(window.handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(shown());
    EXPECT_TRUE(IsWindow(window.handle())) << "closing only hides";
}

TEST_F(SettingsWindowTest, AFailedSaveTellsTheUserAndDoesNotCallBack) {
    saveWorks = false;
    open();
    click(kAutostartBoxId);
    click(kSaveButtonId);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, L"Sozlamalar saqlanmadi. Diskda joy bormi?");
    EXPECT_EQ(messages[0].icon, static_cast<UINT>(MB_ICONERROR));
    EXPECT_TRUE(saved.empty());
    EXPECT_FALSE(shown());
    EXPECT_TRUE(autostartInRegistry) << "autostart is applied before the file is written";
}

TEST_F(SettingsWindowTest, TheDonateButtonOpensTheDonationWindowOverTheSettings) {
    open();
    click(kDonateButtonId);
    const HWND donate = window.donateWindow().handle();
    ASSERT_NE(donate, nullptr);
    EXPECT_TRUE(IsWindowVisible(donate));
    EXPECT_EQ(GetWindow(donate, GW_OWNER), window.handle());
    const Rect owner = windowRect(window.handle());
    const Rect own = windowRect(donate);
    EXPECT_EQ(own.left, owner.left + (owner.width() - own.width()) / 2);
    EXPECT_EQ(own.top, owner.top + (owner.height() - own.height()) / 2);
}

namespace {

// A scripted model, its checkpoint folder (under a Cyrillic name) and a file
// that is no model, for the picks of the model row.
class ModelRowTest : public SettingsWindowTest {
protected:
    ModelRowTest() {
        window.setOnModelReplaced([this] { ++replaced; });
        ModelHeader header;
        presetHeader("micro", header);
        EXPECT_EQ(writeScriptedModel(toUtf8(modelFile), header, "Salom"), "");
        EXPECT_EQ(writeCheckpointFrom(toUtf8(modelFile), toUtf8(checkpoint), {}), "");
        HANDLE text = CreateFileW(notAModel.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(text);
    }
    // The model row is on its own page, where the user picks a model.
    void open() {
        SettingsWindowTest::open();
        while (SendMessageW(control(kPageTabsId), TCM_GETCURSEL, 0, 0) != static_cast<int>(SettingsPage::Model))
            SendMessageW(window.handle(), WM_SWITCH_PAGE, 1, 0);
    }
    bool importShown() const { return IsWindowVisible(control(kModelProgressId)) != FALSE; }
    bool waitForTheImport() {
        return pumpUntil([this] { return !window.importRunning() && !importShown(); }, 60s);
    }
    std::string targetType() const {
        return weightTypeOfFile(describeModelFile(toUtf8(target)).header.ftype);
    }
    bool exists(const std::wstring& path) const { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

    std::wstring modelFile = folder / L"scripted.bin";
    std::wstring checkpoint = folder / L"Модель ўзбек";
    std::wstring notAModel = folder / L"notes.bin";
    int replaced = 0;
};

}  // namespace

TEST_F(ModelRowTest, AFileOrAFolderBecomesTheModelInTheBackgroundWithTheWindowUsable) {
    const struct {
        std::wstring chosen;
        const char* type;
    } picks[] = {{modelFile, "f16"}, {checkpoint + L"\\config.json", "q8_0"}};
    open();
    EXPECT_FALSE(importShown()) << "the bar and the stop button only while importing";
    EXPECT_FALSE(IsWindowVisible(control(kStopImportButtonId)));
    for (const auto& pick : picks) {
        chosen = pick.chosen;
        model = L"C:\\old.bin";
        click(kChooseModelButtonId);
        EXPECT_TRUE(importShown());
        EXPECT_TRUE(IsWindowVisible(control(kStopImportButtonId)));
        EXPECT_FALSE(IsWindowEnabled(control(kChooseModelButtonId))) << "one import at a time";
        click(kAutostartBoxId);
        EXPECT_TRUE(checked(kAutostartBoxId)) << "the rest of the window works meanwhile";
        click(kAutostartBoxId);
        model = L"C:\\new.bin";
        ASSERT_TRUE(waitForTheImport());
        EXPECT_EQ(targetType(), pick.type);
        EXPECT_FALSE(exists(target + L".part"));
        EXPECT_EQ(windowText(control(kModelFileId)), L"C:\\new.bin");
        EXPECT_TRUE(IsWindowEnabled(control(kChooseModelButtonId)));
        EXPECT_FALSE(IsWindowVisible(control(kStopImportButtonId)));
    }
    EXPECT_EQ(replaced, 2);
    EXPECT_TRUE(messages.empty());

    // Closed while it runs: the import still ends in the new model.
    DeleteFileW(target.c_str());
    click(kChooseModelButtonId);
    SendMessageW(window.handle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(waitForTheImport());
    EXPECT_EQ(targetType(), "q8_0");
    EXPECT_EQ(replaced, 3);
}

TEST_F(ModelRowTest, AStoppedRefusedOrUnplaceablePickLeavesTheModelInUse) {
    const std::wstring original = L"the model in use";
    auto writeTarget = [&] {
        HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, original.data(), static_cast<DWORD>(original.size() * sizeof(wchar_t)), &written, nullptr);
        CloseHandle(file);
    };
    auto targetBytes = [&] {
        HANDLE file = CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        LARGE_INTEGER size{};
        GetFileSizeEx(file, &size);
        CloseHandle(file);
        return size.QuadPart;
    };
    writeTarget();
    open();

    chosen = L"";  // the open dialog cancelled
    click(kChooseModelButtonId);
    EXPECT_FALSE(importShown());

    chosen = checkpoint;
    click(kChooseModelButtonId);
    click(kStopImportButtonId);
    ASSERT_TRUE(waitForTheImport());
    EXPECT_TRUE(messages.empty()) << "a stop is the user's own choice";

    chosen = notAModel;
    click(kChooseModelButtonId);
    ASSERT_TRUE(waitForTheImport());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, L"Model");
    EXPECT_EQ(messages[0].icon, static_cast<UINT>(MB_ICONERROR));
    EXPECT_NE(messages[0].text.find(L"Tanlangan fayl whisper modeli emas."), std::wstring::npos) << messages[0].text;
    EXPECT_NE(messages[0].text.find(L"Hozirgi model o'zgarmadi."), std::wstring::npos);

    const std::wstring place = target;
    target = L"";
    chosen = modelFile;
    click(kChooseModelButtonId);
    EXPECT_FALSE(importShown());
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].text, kNoModelPlaceText);
    target = place;

    EXPECT_EQ(targetBytes(), static_cast<LONGLONG>(original.size() * sizeof(wchar_t)));
    EXPECT_FALSE(exists(target + L".part"));
    EXPECT_EQ(replaced, 0);
    EXPECT_EQ(windowText(control(kModelFileId)), model);
}

// The device line follows the saved choice and the card's check; the button
// asks for the check again and says it runs until the verdict is shown.
TEST_F(SettingsWindowTest, TheDeviceLineShowsTheCardsVerdictAndTheButtonChecksAgain) {
    stored.useGpu = true;
    int rechecks = 0;
    window.setOnGpuRecheck([&] { ++rechecks; });
    open();
    EXPECT_EQ(windowText(control(kGpuStatusId)), deviceLine);
    click(kGpuRecheckButtonId);
    EXPECT_EQ(rechecks, 1);
    EXPECT_EQ(windowText(control(kGpuStatusId)), kGpuRecheckingText);
    deviceLine = L"Qurilma: llvmpipe (videokarta)";
    window.showRecognitionDevice();
    EXPECT_EQ(windowText(control(kGpuStatusId)), deviceLine);
    stored.useGpu = false;
    open();
    EXPECT_EQ(windowText(control(kGpuStatusId)), L"Qurilma: Protsessor");
}

// The window opened after Cyrillic was chosen speaks it, down to the lines
// it makes as it opens; the languages are named each in its own script.
TEST_F(SettingsWindowTest, OpensInTheInterfacesLanguageOfTheMoment) {
    struct LatinAfterwards {
        ~LatinAfterwards() { setInterfaceLanguage(InterfaceLanguage::Latin); }
    } restore;
    surroundingsExample = L"Namuna: \u00ABYanvarda\u00BB";
    setInterfaceLanguage(InterfaceLanguage::Cyrillic);
    open();
    EXPECT_EQ(windowText(window.handle()), L"Vornika \u2014 Созламалар");
    EXPECT_EQ(windowText(control(kSaveButtonId)), L"Сақлаш");
    EXPECT_EQ(windowText(control(kTextExampleId)), L"Намуна: \u00ABYanvarda\u00BB");
    wchar_t item[64] = {};
    SendMessageW(control(kLanguageComboId), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, L"Lotin (O'zbekcha)");
    ShowWindow(window.handle(), SW_HIDE);
    setInterfaceLanguage(InterfaceLanguage::Latin);
    open();
    EXPECT_EQ(windowText(control(kSaveButtonId)), L"Saqlash");
}
