#include "app/app.h"
#include "app/autostart.h"
#include "app/settings_surroundings.h"
#include "app/cycle_texts.h"
#include "diag/log_io.h"
#include "engine/model_location.h"
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
    // Looked up each time the window opens: the service searches afresh too.
    surroundings.describeModel = [] {
        const std::wstring path = findModelFile();
        return modelFileText(path, path.empty() ? 0 : fileSize(path).value_or(0), kModelFileName);
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
