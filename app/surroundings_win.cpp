#include "app/app.h"
#include "app/autostart.h"
#include "app/settings_surroundings.h"
#include "settings/settings_file.h"

SettingsSurroundings programSettingsSurroundings() {
    SettingsSurroundings surroundings;
    surroundings.listMicrophones = listMicrophones;
    surroundings.isAutostartEnabled = isAutostartEnabled;
    surroundings.setAutostart = setAutostart;
    surroundings.saveSettings = [](const Settings& settings) { return saveSettings(settings); };
    surroundings.showMessage = [](HWND owner, const std::wstring& text, const std::wstring& caption, UINT icon) {
        MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OK | icon);
    };
    return surroundings;
}

AppSurroundings programAppSurroundings(TranscriptionService& service) {
    AppSurroundings surroundings;
    surroundings.service = &service;
    surroundings.notifyIcon = [](DWORD action, NOTIFYICONDATAW& data) { return Shell_NotifyIconW(action, &data) != FALSE; };
    surroundings.showMessage = [](const std::wstring& text, const std::wstring& caption, UINT icon) {
        MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | icon);
    };
    surroundings.settingsWindow = programSettingsSurroundings();
    return surroundings;
}
