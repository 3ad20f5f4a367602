// Pictures of the program's windows for the documentation: shows each one
// on the display it runs on and asks scripts/screenshots to take it.
//   ui-gallery.exe FOLDER

#include <string>
#include <vector>

#include <windows.h>

#include "app/text_choice.h"
#include "tests/ui/window_driving.h"
#include "ui/interface_script.h"
#include "ui/settings_form.h"
#include "ui/settings_window.h"
#include "ui/status_overlay.h"

using namespace std::chrono_literals;

namespace {

std::wstring folder;
int failures = 0;

void capture(HWND window, const wchar_t* name) {
    pumpMessagesFor(400ms);
    if (!requestScreenPicture(folder, name, windowRect(window))) ++failures;
}

SettingsSurroundings exampleSurroundings() {
    SettingsSurroundings s;
    s.listMicrophones = [] {
        return std::vector<MicDevice>{
            {L"{usb}", L"Mikrofon (USB Audio)", MicKind::Normal, false},
            {L"{bt}", L"Headset (Hands-Free AG Audio)", MicKind::Headset, false},
            {L"{mix}", L"Stereo Mix (Realtek Audio)", MicKind::Loopback, true},
        };
    };
    s.isAutostartEnabled = [] { return true; };
    s.setAutostart = [](bool) { return true; };
    s.saveSettings = [](const Settings&) { return true; };
    s.showMessage = [](HWND, const std::wstring&, const std::wstring&, UINT) {};
    s.describeModel = [] {
        return std::wstring(L"C:\\Users\\Aziz\\AppData\\Local\\Programs\\Vornika\\models\\ggml-veltostt.bin (small, q8_0, 252 MB)");
    };
    s.textExample = [](const Settings& settings) { return textExample(settings); };
    s.recognitionDevice = [](bool useGpu) {
        return useGpu ? std::wstring(L"Qurilma: NVIDIA GeForce RTX 3060 (videokarta)") : std::wstring(L"Qurilma: Protsessor");
    };
    return s;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    folder = argv[1];
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    SetCursorPos(640, 300);

    StatusOverlay overlay;
    if (!overlay.create(instance)) return 1;
    overlay.show(OverlayKind::Recording, L"Yozilmoqda\u2026  Ctrl+Alt+D \u2014 to'xtatish", 0);
    capture(overlay.handle(), L"overlay-recording");
    overlay.show(OverlayKind::Working, L"Matnga o'girilmoqda\u2026", 0);
    capture(overlay.handle(), L"overlay-working");
    overlay.show(OverlayKind::Warning, L"Ovoz eshitilmadi. Mikrofonni tekshiring va qaytadan urinib ko'ring.", 0);
    capture(overlay.handle(), L"overlay-warning");
    overlay.hide();

    Settings settings;
    settings.modifiers = 3;
    settings.deviceId = L"{mix}";
    settings.textApostrophe = TextApostrophe::Standard;
    settings.textSpokenBreaks = true;
    // As a build without card numbers shows it, and as a distributor's would.
    SettingsWindow unconfigured(exampleSurroundings());
    // Each page in each script the interface speaks.
    const wchar_t* const pageNames[] = {L"settings-dictation", L"settings-text", L"settings-model", L"settings-general"};
    for (const InterfaceLanguage language : {InterfaceLanguage::Cyrillic, InterfaceLanguage::Latin}) {
        setInterfaceLanguage(language);
        settings.interfaceLanguage = language;
        unconfigured.open(instance, settings);
        const std::wstring script = language == InterfaceLanguage::Cyrillic ? L"-cyrillic" : L"";
        for (int page = 0; page < kPageCount; ++page) {
            capture(unconfigured.handle(), (pageNames[page] + script).c_str());
            SendMessageW(unconfigured.handle(), WM_SWITCH_PAGE, 1, 0);
        }
    }
    SendMessageW(unconfigured.handle(), WM_COMMAND, MAKEWPARAM(kDonateButtonId, BN_CLICKED), 0);
    capture(unconfigured.donateWindow().handle(), L"donate-window-without-cards");
    ShowWindow(unconfigured.donateWindow().handle(), SW_HIDE);
    ShowWindow(unconfigured.handle(), SW_HIDE);

    DonationDetails example = configuredDonation();
    example.cards[0].digits = L"1234567812345678";
    example.cards[1].digits = L"1234567812345678";
    example.cards[2].digits = L"1234567812345678";
    example.holder = L"Ism Familiya";
    SettingsWindow configured(exampleSurroundings(), example);
    configured.open(instance, settings);
    SendMessageW(configured.handle(), WM_COMMAND, MAKEWPARAM(kDonateButtonId, BN_CLICKED), 0);
    SendMessageW(GetDlgItem(configured.donateWindow().handle(), kFirstCopyButtonId), BM_CLICK, 0, 0);
    capture(configured.donateWindow().handle(), L"donate-window-example");
    return failures == 0 ? 0 : 1;
}
