#pragma once
// The program's only form, in pages: how a take is dictated (hotkey,
// microphone), how the text is written, the model (the file in use, a new
// one picked and imported in the background, the graphics card), and the
// rest (autostart, the way to the donation window). Created on first use,
// afterwards only hidden and shown. GUI thread only.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>

#include "audio/microphones.h"
#include "model/background_import.h"
#include "settings/settings.h"
#include "ui/donate_window.h"
#include "ui/hand_over_win.h"
#include "ui/object_window_win.h"
#include "ui/settings_form.h"
#include "ui/window_support_win.h"

// What the window reads and changes outside itself. The program passes the
// real microphone list, Run key, settings file and message boxes; tests
// pass their own.
struct SettingsSurroundings {
    std::function<std::vector<MicDevice>()> listMicrophones;
    std::function<bool()> isAutostartEnabled;
    std::function<bool(bool)> setAutostart;
    std::function<bool(const Settings&)> saveSettings;
    // The model file the program uses, with its size, or where to put one.
    std::function<std::wstring()> describeModel;
    // The file the user picks for a new model (a whisper .bin, or the
    // config.json of a checkpoint folder); "" when they cancel.
    std::function<std::wstring(HWND owner)> chooseModel;
    // Where a picked model is written; "" when there is no such place.
    std::function<std::wstring()> modelTarget;
    // The example line under the text choices: a sample dictation as these
    // settings would deliver it.
    std::function<std::wstring(const Settings&)> textExample;
    // The line on the device that recognises, for the graphics-card choice
    // given (the check's verdict in the program).
    std::function<std::wstring(bool useGpu)> recognitionDevice;
    // A message box owned by owner, with MB_ICONWARNING or MB_ICONERROR.
    std::function<void(HWND owner, const std::wstring& text, const std::wstring& caption, UINT icon)> showMessage;
};

class SettingsWindow : public ObjectWindow<SettingsWindow> {
public:
    explicit SettingsWindow(SettingsSurroundings surroundings, DonationDetails donation = configuredDonation());
    ~SettingsWindow();
    SettingsWindow(const SettingsWindow&) = delete;
    SettingsWindow& operator=(const SettingsWindow&) = delete;

    // Shows the window loaded with these settings, in front of other windows.
    void open(HINSTANCE instance, const Settings& current);
    void setOnSaved(std::function<void(const Settings&)> callback);
    // Asked at "Saqlash" when the hotkey changed, before anything is saved:
    // "" when the wanted hotkey now works, or what the user is told when it
    // does not (the old one is then saved and stays).
    void setHotkeyTaker(std::function<std::wstring(const Settings& wanted)> taker);
    // After a picked model has replaced the model file (GUI thread).
    void setOnModelReplaced(std::function<void()> callback);
    // "Qayta tekshirish": the graphics card is to be checked again (GUI thread).
    void setOnGpuRecheck(std::function<void()> callback);
    // The device line read afresh (after a check of the card); nothing while hidden.
    void showRecognitionDevice();
    bool importRunning() const { return import.running(); }

    DonateWindow& donateWindow() { return donate; }

    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static WindowClassLook windowClassLook();

private:
    friend class ObjectWindow<SettingsWindow>;
    bool createWindow();
    void layoutControls();
    void rebuildForDpi();
    void showPage(int page, bool focusPage = false);
    void showTexts();
    void loadControls();
    void fillMicrophones();
    void updateMicWarning();
    SettingsForm readForm() const;
    void updateTextExample();
    void save();
    void chooseModel();
    void showImportControls(bool importing);
    void onImportDone(const ConvertOutcome& outcome);
    void centreOnCursorMonitor();
    void bringToFront();
    void drawDonateButton(const DRAWITEMSTRUCT& item) const;
    HWND control(int id) const { return GetDlgItem(handle(), id); }

    SettingsSurroundings surroundings;
    HINSTANCE instance = nullptr;
    Settings settings;
    int currentPage = 0;
    std::vector<MicDevice> devices;
    std::function<void(const Settings&)> onSaved;
    std::function<std::wstring(const Settings&)> takeHotkey;
    DonateWindow donate;
    UniqueFont font;
    std::function<void()> onModelReplaced;
    std::function<void()> onGpuRecheck;
    HandOver handOver;        // the import's outcome, from its thread
    BackgroundImport import;  // last: its thread stops before the rest goes
};
