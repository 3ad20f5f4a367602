// The settings form as values: control places at each DPI, the microphone
// combo's items, selection and warning, the hotkey control's encoding, and
// what "Saqlash" makes of the form.

#include "ui/settings_form.h"

#include <set>

#include <gtest/gtest.h>

#include "diag/encoding.h"

namespace {

const SettingsControl& controlWithId(int id) {
    for (const SettingsControl& entry : kSettingsControls) {
        if (entry.id == id) return entry;
    }
    throw std::out_of_range("no such control");
}

std::vector<MicDevice> someDevices() {
    return {
        {L"{usb}", L"Mikrofon (USB Audio)", MicKind::Normal, false},
        {L"{bt}", L"Headset (Hands-Free AG Audio)", MicKind::Headset, false},
        {L"{vb}", L"CABLE Output (VB-Audio)", MicKind::Virtual, false},
        {L"{mix}", L"Stereo Mix", MicKind::Loopback, true},
    };
}

std::wstring nameOf(std::uint32_t vk) { return L"<" + std::to_wstring(vk) + L">"; }

}  // namespace

TEST(SettingsControls, ScaleEachNumberByItselfAtEachDpi) {
    EXPECT_EQ(settingsClientSize(96), (Size{774, 562}));
    EXPECT_EQ(settingsClientSize(120), (Size{968, 703}));
    EXPECT_EQ(settingsClientSize(144), (Size{1161, 843}));

    const SettingsControl& save = controlWithId(kSaveButtonId);
    EXPECT_EQ(scaledControlRect(save, 96), (Rect{560, 518, 652, 548}));
    EXPECT_EQ(scaledControlRect(save, 120), (Rect{700, 648, 815, 686})) << "height 37.5 rounds up";
    EXPECT_EQ(scaledControlRect(save, 144), (Rect{840, 777, 978, 822}));
    const SettingsControl& hint = kSettingsControls[4];
    EXPECT_EQ(scaledControlRect(hint, 120), (Rect{30, 90, 530, 110}));
    const SettingsControl& micWarning = controlWithId(kMicWarningId);
    EXPECT_EQ(scaledControlRect(micWarning, 144), (Rect{36, 240, 639, 318}));
}

TEST(SettingsControls, OrderIdsAndTabStops) {
    std::set<int> ids;
    std::set<int> tabStops;
    for (const SettingsControl& entry : kSettingsControls) {
        if (entry.id != kLabelId) {
            EXPECT_TRUE(ids.insert(entry.id).second) << entry.id;
        }
        if (isTabStop(entry.style)) tabStops.insert(entry.id);
        // Every control fits the client area at 96 DPI.
        EXPECT_LE(entry.x + entry.width, 774);
        EXPECT_LE(entry.y + entry.height, 562) << entry.id;
    }
    EXPECT_EQ(ids.size(), 27u);
    EXPECT_EQ(tabStops, (std::set<int>{201, 203, 204, 205, 206, 207, 209, 211, 213, 214, 215, 216, 217, 219, 220, 221,
                                       222, 223, 225, 226}));
    EXPECT_EQ(kSettingsControls[1].id, kHotkeyControlId);
    EXPECT_EQ(kSettingsControls.back().id, kCancelButtonId);
    EXPECT_EQ(std::wstring(controlWithId(kDonateButtonId).text), L"\u2665  Donat qilish");
}

TEST(MicrophoneCombo, ItemsCarryTagsForKindAndDefault) {
    const std::vector<std::wstring> items = microphoneItems(someDevices());
    EXPECT_EQ(items, (std::vector<std::wstring>{
                         L"(tizim standarti)",
                         L"Mikrofon (USB Audio)",
                         L"Headset (Hands-Free AG Audio)   [sifat past]",
                         L"CABLE Output (VB-Audio)   [virtual]",
                         L"Stereo Mix   [mikrofon emas!]   (standart)",
                     }));
    EXPECT_EQ(microphoneItemText({L"{x}", L"Mic", MicKind::Normal, true}), L"Mic   (standart)");
    EXPECT_EQ(microphoneItems({}), (std::vector<std::wstring>{L"(tizim standarti)"}));
}

TEST(MicrophoneCombo, SelectionMatchesTheIdExactlyAndFallsBackToTheSystemDefault) {
    const auto devices = someDevices();
    EXPECT_EQ(microphoneSelection(devices, L"{bt}"), 2);
    EXPECT_EQ(microphoneSelection(devices, L"{mix}"), 4);
    EXPECT_EQ(microphoneSelection(devices, L""), 0);
    EXPECT_EQ(microphoneSelection(devices, L"{BT}"), 0) << "ids compare exactly";
    EXPECT_EQ(microphoneSelection(devices, L"Mikrofon (USB Audio)"), 0) << "names do not match";
    EXPECT_EQ(microphoneSelection({}, L"{usb}"), 0);
}

TEST(MicrophoneCombo, TheWarningForEachSelection) {
    auto devices = someDevices();
    EXPECT_EQ(microphoneWarning(devices, 1), L"");
    EXPECT_EQ(microphoneWarning(devices, 2), warningText(devices[1]));
    EXPECT_EQ(microphoneWarning(devices, 4), warningText(devices[3]));
    EXPECT_EQ(microphoneWarning(devices, 0), L"Tizim standarti: Stereo Mix\n" + warningText(devices[3]));
    EXPECT_EQ(microphoneWarning(devices, -1), L"");
    EXPECT_EQ(microphoneWarning(devices, 5), L"") << "an item without its device";

    devices[3].isDefault = false;
    devices[0].isDefault = true;
    EXPECT_EQ(microphoneWarning(devices, 0), L"") << "an ordinary default needs no warning";
    devices[0].isDefault = false;
    EXPECT_EQ(microphoneWarning(devices, 0), L"");
}

TEST(HotkeyControl, ModifiersToFlagsAndBack) {
    EXPECT_EQ(hotkeyControlValue('D', 3), 0x0644);
    EXPECT_EQ(hotkeyControlValue(0x78, 4), 0x0178) << "Shift+F9";
    EXPECT_EQ(hotkeyControlValue('D', 8 | 2), 0x0244) << "Win has no place in the control";
    EXPECT_EQ(hotkeyControlValue(0x1'44, 2), 0x0244) << "only the key's low byte";
    for (std::uint32_t modifiers = 1; modifiers < 8; ++modifiers) {
        const auto back = hotkeyFromControlValue(hotkeyControlValue('K', modifiers));
        ASSERT_TRUE(back.has_value()) << modifiers;
        EXPECT_EQ(*back, (HotkeyChoice{'K', modifiers}));
    }
    EXPECT_EQ(hotkeyFromControlValue(0x0844), std::nullopt) << "the extended-key flag is no modifier";
    EXPECT_EQ(hotkeyFromControlValue(0x0A44), (HotkeyChoice{'D', 2}));
    EXPECT_EQ(hotkeyFromControlValue(0x0044), std::nullopt);
    EXPECT_EQ(hotkeyFromControlValue(0x0600), std::nullopt);
    EXPECT_EQ(hotkeyFromControlValue(0), std::nullopt);
}

TEST(SettingsFromForm, AppliesEachControlAndPassesTheRestThrough) {
    Settings copy;
    copy.modifiers = 3;
    copy.idleUnloadSeconds = 600;
    copy.didOnboard = true;
    copy.deviceId = L"{usb}";
    copy.deviceName = L"Mikrofon (USB Audio)";
    const auto devices = someDevices();

    SettingsForm form{hotkeyControlValue(0x78, 4), 2, 1, false, true};
    FormOutcome outcome = settingsFromForm(copy, form, devices, nameOf);
    EXPECT_FALSE(outcome.hotkeyRejected);
    Settings expected = copy;
    expected.vk = 0x78;
    expected.modifiers = 4;
    expected.label = L"<120>";
    expected.deviceId = L"{bt}";
    expected.deviceName = L"Headset (Hands-Free AG Audio)";
    expected.insertMode = InsertMode::Type;
    expected.autoStart = false;
    expected.useGpu = true;
    expected.cancelKey = false;
    expected.history = false;
    EXPECT_EQ(outcome.settings, expected);

    // A key without modifier: the old hotkey stays, everything else applies.
    form = {hotkeyControlValue('K', 0), 0, 0, true, false};
    outcome = settingsFromForm(expected, form, devices, nameOf);
    EXPECT_TRUE(outcome.hotkeyRejected);
    EXPECT_EQ(outcome.settings.hotkeyLabel(), L"Shift+<120>");
    EXPECT_EQ(outcome.settings.deviceId, L"");
    EXPECT_EQ(outcome.settings.deviceName, L"");
    EXPECT_EQ(outcome.settings.insertMode, InsertMode::Paste);
    EXPECT_TRUE(outcome.settings.autoStart);
    EXPECT_EQ(outcome.settings.idleUnloadSeconds, 600);
    EXPECT_TRUE(outcome.settings.didOnboard);

    // No selection, or an item past the list: the system default.
    for (const int selection : {-1, 9}) {
        form.micSelection = selection;
        EXPECT_EQ(settingsFromForm(copy, form, devices, nameOf).settings.deviceId, L"") << selection;
    }
    // A Win bit from the file shows in its box and is saved with it; the
    // box cleared drops it.
    copy.modifiers = 8 | 2;
    copy.vk = 'D';
    form.hotkey = hotkeyControlValue(copy.vk, copy.modifiers);
    form.hotkeyWin = true;
    EXPECT_EQ(settingsFromForm(copy, form, devices, nameOf).settings.modifiers, 10u);
    form.hotkeyWin = false;
    EXPECT_EQ(settingsFromForm(copy, form, devices, nameOf).settings.modifiers, 2u);
    form.hotkeyWin = true;
    copy.modifiers = 8;
    form.hotkey = hotkeyControlValue(copy.vk, copy.modifiers);
    outcome = settingsFromForm(copy, form, devices, nameOf);
    EXPECT_TRUE(outcome.hotkeyRejected) << "Win alone shows as the bare key";
    EXPECT_EQ(outcome.settings.modifiers, 8u);
}

TEST(SettingsFromForm, DictationChoicesAndTheOwnWordsField) {
    SettingsForm form;
    form.hotkeyModeSelection = 2;
    form.cancelKey = false;
    form.sounds = true;
    form.history = true;
    form.vocabulary = L"Toshkent\r\nAlisher Navoiy,\n";
    const Settings s = settingsFromForm(Settings{}, form, {}, nameOf).settings;
    EXPECT_EQ(s.hotkeyMode, HotkeyMode::Auto);
    EXPECT_FALSE(s.cancelKey);
    EXPECT_TRUE(s.sounds);
    EXPECT_TRUE(s.history);
    EXPECT_EQ(s.vocabulary, L"Toshkent, Alisher Navoiy");
    form.hotkeyModeSelection = -1;  // no selection
    EXPECT_EQ(settingsFromForm(Settings{}, form, {}, nameOf).settings.hotkeyMode, HotkeyMode::Toggle);

    const struct {
        const wchar_t* field;
        const wchar_t* kept;
    } fields[] = {
        {L"", L""},
        {L" , \r\n\t", L""},
        {L"\u041D\u0430\u0432\u043E\u0438\u0439\nO\u02BBzbekiston", L"\u041D\u0430\u0432\u043E\u0438\u0439, O\u02BBzbekiston"},
        {L"a\r\rb", L"a, , b"},  // empty lines stay visible; the list reader skips them
    };
    for (const auto& f : fields) EXPECT_EQ(vocabularyFromField(f.field), f.kept) << f.field;
}

// The default hotkey is written once; every place that shows or sets it agrees.
TEST(DefaultHotkey, TheButtonTheLabelAndTheControlAgree) {
    EXPECT_STREQ(kDefaultHotkeyButtonText.data(), L"Standart (Ctrl+Alt+D)");
    EXPECT_STREQ(controlWithId(kDefaultHotkeyButtonId).text, kDefaultHotkeyButtonText.data());
    const Settings fresh;
    EXPECT_EQ(fresh.hotkeyLabel(), L"Ctrl+Alt+D");
    EXPECT_EQ(L"Standart (" + hotkeyPrefix(kDefaultHotkeyModifiers) + fresh.label + L")", kDefaultHotkeyButtonText.data());
    EXPECT_EQ(hotkeyControlValue(kDefaultHotkeyVk, kDefaultHotkeyModifiers), 0x0644);
    EXPECT_EQ(fresh.idleUnloadSeconds, 180);
}

TEST(ModelImportFailure, TheReasonFollowsTheToolsMessageAndTheModelInUseIsNamed) {
    const struct {
        int exitCode;
        std::string detail;
        const wchar_t* reason;
    } cases[] = {
        {2, "D:/m: pytorch_model.bin is not read; download the .safetensors files instead",
         L"Papkada faqat pytorch_model.bin bor."},
        {2, "D:/m/config.json: cannot be read", L"Papkada config.json topilmadi."},
        {2, "D:/m/config.json: config.json has no d_model", L"Papkadagi config.json whisper modelining"},
        {2, "D:/m: no model.safetensors", L"Papkada model.safetensors fayli topilmadi."},
        {2, "D:/m/vocab.json: token 7 missing", L"Papkadagi vocab.json fayli yo'q yoki buzilgan."},
        {2, "D:/notes.bin: not a whisper model file", L"Tanlangan fayl whisper modeli emas."},
        {2, "D:/m.bin: all-F32 weights", L"F32 turidagi model fayllari ishlamaydi"},
        {2, "D:/m/model.safetensors: offsets overlap", L"Model yaroqsiz: fayllar to'liq yuklanmagan"},
        {3, "D:/m.bin.part: cannot be written, not a whisper model file", L"Modelni yozib bo'lmadi."},
    };
    for (const auto& c : cases) {
        const std::wstring text = modelImportFailureText(c.exitCode, c.detail);
        EXPECT_EQ(text.rfind(c.reason, 0), 0u) << text;
        EXPECT_NE(text.find(L"\n\nHozirgi model o'zgarmadi.\n\nTafsilot: "), std::wstring::npos) << c.detail;
        EXPECT_EQ(text.substr(text.size() - c.detail.size()), fromUtf8(c.detail));
    }
    EXPECT_NE(modelImportFailureText(2, "C:/Модель: bad").find(L"C:/Модель"), std::wstring::npos);
}
