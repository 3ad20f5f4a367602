#include <windows.h>
#include <commdlg.h>

#include "app/app.h"
#include "app/gpu_check_win.h"
#include "app/cue_sounds_win.h"
#include "app/autostart.h"
#include "app/settings_surroundings.h"
#include "app/cycle_texts.h"
#include "app/text_choice.h"
#include "diag/log_io.h"
#include "diag/encoding.h"
#include "engine/model_location.h"
#include "model/model_info.h"
#include "settings/settings_file.h"
#include "ui/interface_script.h"

namespace {

// The common open dialog: a folder cannot be picked in it together with
// files, so a checkpoint folder is picked by its config.json.
std::wstring chooseModelFile(HWND owner) {
    std::wstring chosen(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    static constexpr wchar_t kFilter[] =
        L"Whisper modeli (*.bin) yoki Hugging Face papkasining config.json fayli\0*.bin;config.json\0"
        L"Barcha fayllar\0*.*\0";
    // The pairs of names and patterns end at a double terminator.
    const std::wstring filter = shown(std::wstring(kFilter, std::size(kFilter)));
    const std::wstring title = shown(L"Model tanlash");
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = chosen.data();
    dialog.nMaxFile = static_cast<DWORD>(chosen.size());
    dialog.lpstrTitle = title.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&dialog)) return {};
    chosen.resize(wcslen(chosen.c_str()));
    return chosen;
}

}  // namespace

SettingsSurroundings programSettingsSurroundings() {
    SettingsSurroundings surroundings;
    surroundings.listMicrophones = listMicrophones;
    surroundings.isAutostartEnabled = isAutostartEnabled;
    surroundings.setAutostart = setAutostart;
    surroundings.saveSettings = [](const Settings& settings) { return saveSettings(settings); };
    surroundings.showMessage = [](HWND owner, const std::wstring& text, const std::wstring& caption, UINT icon) {
        MessageBoxW(owner, shown(text).c_str(), shown(caption).c_str(), MB_OK | icon);
    };
    // Looked up each time the window opens: the service searches afresh too.
    surroundings.describeModel = [] {
        const std::wstring path = findModelFile();
        if (path.empty()) return modelFileText(L"", 0, L"");
        const ModelDescription model = describeModelFile(toUtf8(path));
        const std::wstring kind = model.error.empty() ? fromUtf8(std::string(sizeClassOf(model.header)) + ", " +
                                                                 weightTypeOfFile(model.header.ftype))
                                                      : L"";
        return modelFileText(path, fileSize(path).value_or(0), kind);
    };
    surroundings.chooseModel = chooseModelFile;
    surroundings.modelTarget = [] { return writableModelTarget(); };
    surroundings.textExample = [](const Settings& settings) { return textExample(settings); };
    surroundings.recognitionDevice = [](bool useGpu) { return recognitionDeviceText(useGpu, GpuCheck::keptVerdict()); };
    return surroundings;
}

AppSurroundings programAppSurroundings(TranscriptionService& service) {
    AppSurroundings surroundings;
    surroundings.service = &service;
    surroundings.notifyIcon = [](DWORD action, NOTIFYICONDATAW& data) { return Shell_NotifyIconW(action, &data) != FALSE; };
    surroundings.showMessage = [](const std::wstring& text, const std::wstring& caption, UINT icon) {
        MessageBoxW(nullptr, shown(text).c_str(), shown(caption).c_str(), MB_OK | icon);
    };
    surroundings.settingsWindow = programSettingsSurroundings();
    surroundings.playCue = [](Cue cue) { playCueSound(GetModuleHandleW(nullptr), cue); };
    surroundings.checkGpuInAProcess = true;
    return surroundings;
}
