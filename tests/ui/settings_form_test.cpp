// The settings form as values: the pages' places at each scale, the
// microphone combo's items, selection and warning, the hotkey control's
// encoding, and what "Saqlash" makes of the form.

#include "ui/settings_form.h"

#include <algorithm>
#include <set>

#include <gtest/gtest.h>

#include "diag/encoding.h"
#include "settings/setting_fields.h"

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

// Width of a text in the window's font, generously: 0.6 of the font's size a
// character (Segoe UI's widest capitals are narrower), rounded up.
int generousTextWidth(const wchar_t* text, int dpi) {
    const int perCharacter = (scaled(kSettingsFontSize, dpi) * 6 + 9) / 10;
    return static_cast<int>(std::wstring(text).size()) * perCharacter;
}

// Room a control takes besides its text: a check box's box, a button's
// edges, a combo's arrow.
int chrome(const SettingsControl& control, int dpi) {
    if (control.style == ControlStyle::CheckBox) return scaled(20, dpi);
    if (std::wstring(control.className) == L"BUTTON") return scaled(16, dpi);
    if (std::wstring(control.className) == L"COMBOBOX") return scaled(26, dpi);
    return 0;
}

bool overlap(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// A combo box's closed height; its table height includes the list.
Rect closedRect(const SettingsControl& control, int dpi) {
    Rect r = scaledControlRect(control, dpi);
    if (std::wstring(control.className) == L"COMBOBOX") r.bottom = r.top + scaled(26, dpi);
    return r;
}

// At each scale a user may choose: every control inside the area of its page,
// no two controls of one page on top of each other, every fixed text (and
// every combo item) within its control, and the window within a 1366x768
// screen at 150 %.
TEST(SettingsPages, EachPageFitsAtEveryScaleWithNothingClippedOrOverlapping) {
    for (const int dpi : {96, 120, 144, 192}) {
        const Size client = settingsClientSize(dpi);
        const Rect pageArea = scaledRect(kSettingsPageArea, dpi);
        for (std::size_t i = 0; i < kSettingsControls.size(); ++i) {
            const SettingsControl& c = kSettingsControls[i];
            const Rect place = closedRect(c, dpi);
            const std::string name = toUtf8(c.text) + " #" + std::to_string(c.id) + " at " + std::to_string(dpi);
            const Rect area = c.page == SettingsPage::Everywhere ? Rect{0, 0, client.width, client.height} : pageArea;
            EXPECT_TRUE(place.left >= area.left && place.top >= area.top && place.right <= area.right &&
                        place.bottom <= area.bottom)
                << name;
            if (c.text[0] != L'\0' && c.style != ControlStyle::OwnerDrawnButton)
                EXPECT_LE(generousTextWidth(c.text, dpi) + chrome(c, dpi), place.width()) << name;
            for (const wchar_t* item : c.items)
                EXPECT_LE(generousTextWidth(item, dpi) + chrome(c, dpi), place.width()) << toUtf8(item);
            for (std::size_t j = i + 1; j < kSettingsControls.size(); ++j) {
                const SettingsControl& other = kSettingsControls[j];
                const bool together = c.page == other.page || c.page == SettingsPage::Everywhere ||
                                      other.page == SettingsPage::Everywhere;
                EXPECT_FALSE(together && overlap(place, closedRect(other, dpi))) << name << " / #" << other.id;
            }
        }
    }
    // 150 %: the taskbar takes 72 pixels, a caption and borders about 40.
    const Size at150 = settingsClientSize(144);
    EXPECT_LE(at150.width + 16, 1366);
    EXPECT_LE(at150.height + 40, 768 - 72);
}

TEST(SettingsPages, IdsTabStopsNamesAndPages) {
    std::set<int> ids;
    std::set<int> tabStops;
    std::set<std::wstring> shownSettings;
    for (std::size_t i = 0; i < kSettingsControls.size(); ++i) {
        const SettingsControl& entry = kSettingsControls[i];
        if (entry.id != kLabelId) EXPECT_TRUE(ids.insert(entry.id).second) << entry.id;
        if (isTabStop(entry.style)) tabStops.insert(entry.id);
        if (entry.setting != nullptr) {
            const SettingField* field = findSettingField(entry.setting);
            ASSERT_NE(field, nullptr) << toUtf8(entry.setting);
            EXPECT_TRUE(shownSettings.insert(entry.setting).second) << toUtf8(entry.setting);
            if (field->kind == SettingKind::Choice) EXPECT_EQ(entry.items.size(), static_cast<std::size_t>(field->choices));
        }
        // A control without a text of its own is named by the label before it.
        const std::wstring kind = entry.className;
        if (kind == L"COMBOBOX" || kind == L"EDIT" || kind == L"msctls_hotkey32" || kind == L"msctls_progress32") {
            ASSERT_GT(i, 0u);
            const SettingsControl& label = kSettingsControls[i - 1];
            EXPECT_TRUE(std::wstring(label.className) == L"STATIC" && label.text[0] != L'\0' && label.page == entry.page)
                << entry.id;
        }
    }
    EXPECT_EQ(tabStops, (std::set<int>{201, 203, 204, 205, 206, 207, 209, 211, 213, 214, 215, 216, 217, 219, 220, 221,
                                       222, 223, 225, 226, 229}));
    for (int page = 0; page < kPageCount; ++page) {
        EXPECT_EQ(nextPage(nextPage(page, true), false), page);
        EXPECT_TRUE(std::any_of(kSettingsControls.begin(), kSettingsControls.end(), [&](const SettingsControl& c) {
            return c.page == static_cast<SettingsPage>(page) && isTabStop(c.style);
        })) << "page " << page << " has somewhere for the focus";
    }
    EXPECT_EQ(nextPage(kPageCount - 1, true), 0);
    EXPECT_EQ(nextPage(0, false), kPageCount - 1);
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

TEST(SettingsFromForm, TheHotkeyAndTheMicrophoneAndThePassingThrough) {
    Settings copy;
    copy.idleUnloadSeconds = 600;
    copy.didOnboard = true;
    copy.deviceId = L"{usb}";
    copy.deviceName = L"Mikrofon (USB Audio)";
    const auto devices = someDevices();

    SettingsForm form{hotkeyControlValue(0x78, 4), false, 2};
    FormOutcome outcome = settingsFromForm(copy, form, devices, nameOf);
    EXPECT_FALSE(outcome.hotkeyRejected);
    Settings expected = copy;
    expected.vk = 0x78;
    expected.modifiers = 4;
    expected.label = L"<120>";
    expected.deviceId = L"{bt}";
    expected.deviceName = L"Headset (Hands-Free AG Audio)";
    EXPECT_EQ(outcome.settings, expected) << "no other control, nothing else changed";

    // A key without modifier: the old hotkey stays, everything else applies.
    form = {hotkeyControlValue('K', 0), false, 0};
    outcome = settingsFromForm(expected, form, devices, nameOf);
    EXPECT_TRUE(outcome.hotkeyRejected);
    EXPECT_EQ(outcome.settings.hotkeyLabel(), L"Shift+<120>");
    EXPECT_EQ(outcome.settings.deviceId, L"");
    EXPECT_EQ(outcome.settings.deviceName, L"");

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

// Every setting a control shows, changed in the form alone, comes out of it;
// what a control cannot hold is kept as the file would keep it.
TEST(SettingsFromForm, EachControlsSettingComesThroughTheForm) {
    for (const SettingsControl& control : kSettingsControls) {
        if (control.setting == nullptr) continue;
        const SettingField& field = *findSettingField(control.setting);
        SettingsForm form{hotkeyControlValue(kDefaultHotkeyVk, kDefaultHotkeyModifiers)};
        Settings wanted;
        if (field.kind == SettingKind::Text) {
            wanted.*field.text = L"Toshkent, \u041D\u0430\u0432\u043E\u0438\u0439";
            form.texts[control.setting] = wanted.*field.text;
        } else {
            field.setNumber(wanted, field.kind == SettingKind::Choice ? field.choices - 1 : !field.number(wanted));
            form.numbers[control.setting] = formNumber(field, wanted);
        }
        wanted.label = nameOf(kDefaultHotkeyVk);
        EXPECT_EQ(settingsFromForm(Settings{}, form, {}, nameOf).settings, wanted) << toUtf8(control.setting);
    }
    const struct {
        const wchar_t* key;
        std::int64_t shown;
        std::int64_t kept;
    } numbers[] = {
        {L"hotkey.mode", -1, 0},  // no selection
        {L"hotkey.mode", 3, 0},
        {L"text.script", 2, 2},
        {L"useGpu", 7, 1},
        {L"live.afterSeconds", 3, 10},
        {L"live.afterSeconds", -4, 20},
        {L"idleUnloadSeconds", 5, 180},
    };
    for (const auto& n : numbers) {
        const SettingsForm form{0, false, -1, {{n.key, n.shown}}};
        EXPECT_EQ(findSettingField(n.key)->number(withFormValues(Settings{}, form)), n.kept) << toUtf8(n.key) << n.shown;
    }
    const struct {
        const wchar_t* field;
        const wchar_t* kept;
    } fields[] = {
        {L"Toshkent\r\nAlisher Navoiy,\n", L"Toshkent, Alisher Navoiy"},
        {L"", L""},
        {L" , \r\n\t", L""},
        {L"\u041D\u0430\u0432\u043E\u0438\u0439\nO\u02BBzbekiston", L"\u041D\u0430\u0432\u043E\u0438\u0439, O\u02BBzbekiston"},
        {L"a\r\rb", L"a, , b"},  // empty lines stay visible; the list reader skips them
    };
    for (const auto& f : fields) {
        const SettingsForm form{0, false, -1, {}, {{L"vocabulary", f.field}}};
        EXPECT_EQ(withFormValues(Settings{}, form).vocabulary, f.kept) << toUtf8(f.field);
    }
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
