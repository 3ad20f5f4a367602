#pragma once
// The App in the test's own process, with a shell and message boxes of the
// test's own: the tray icon's data, balloons, the tray menu and the cycle's
// states, with the real recorder and windows under Wine and a service on a
// fake engine. Shared by the stories of the App.

#include "app/app.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>

#include <gtest/gtest.h>
#include <commctrl.h>
#include <wtsapi32.h>

#include "app/cue_sounds_win.h"
#include "app/cycle_texts.h"
#include "diag/encoding.h"
#include "diag/folders.h"
#include "engine/model_location.h"
#include "settings/settings_file.h"
#include "tests/e2e/program_under_test.h"
#include "tests/engine/fake_engine.h"
#include "tests/support/audio_harness.h"
#include "tests/insert/target_window.h"
#include "tests/ui/window_driving.h"
#include "ui/settings_form.h"

using namespace std::chrono_literals;

struct ShellCall {
    DWORD action;
    NOTIFYICONDATAW data;
};

// What the fake engine recognises, in a little over a second: a story can
// look at the program while it transcribes, before the text arrives.
inline const std::string kModelText = "Salom";
inline const std::wstring kModelTextW = L"Salom";
inline constexpr auto kRecognitionTime = std::chrono::milliseconds(1200);

class AppStory : public ::testing::Test {
protected:
    void SetUp() override {
        registerAppMessages();
        forgetEarlierRuns();
        ASSERT_TRUE(writeSettings(onboardedSettings()));
        fakeengine::Script script;
        script.text = kModelText;
        script.duration = kRecognitionTime;
        fakeengine::reset(script);
        // No model file: the fake engine loads whatever path it is given.
        service = std::make_unique<TranscriptionService>(
            ServiceSurroundings{[] { return std::wstring(L"fake-model.bin"); }, nullptr, 2, &fakeengine::engine()});
        startApp();
    }
    void TearDown() override {
        // A result still on its way would find no App.
        if (app) pumpUntil([&] { return !app->isBusy(); }, 30s);
    }

    void startApp(std::chrono::milliseconds takeLimit = std::chrono::minutes(10)) {
        app.reset();
        calls.clear();
        AppSurroundings around = surroundings();
        around.takeLimit = takeLimit;
        app = std::make_unique<App>(around);
        ASSERT_TRUE(app->init(GetModuleHandleW(nullptr)));
    }

    AppSurroundings surroundings() {
        AppSurroundings s;
        s.service = service.get();
        s.notifyIcon = [this](DWORD action, NOTIFYICONDATAW& data) {
            calls.push_back({action, data});
            return shellAccepts;
        };
        s.showMessage = [this](const std::wstring& text, const std::wstring&, UINT) { boxes.push_back(text); };
        s.settingsWindow.listMicrophones = [] { return std::vector<MicDevice>{}; };
        s.settingsWindow.isAutostartEnabled = [] { return false; };
        s.settingsWindow.setAutostart = [](bool) { return true; };
        s.settingsWindow.saveSettings = [](const Settings& settings) { return saveSettings(settings); };
        s.settingsWindow.showMessage = [](HWND, const std::wstring&, const std::wstring&, UINT) {};
        s.playCue = [this](Cue cue) {
            cues.push_back(cue);
            if (realCues) playCueSound(GetModuleHandleW(nullptr), cue);
        };
        return s;
    }
    // The App started again on onboarded settings changed as the story needs.
    void restartWith(const std::function<void(Settings&)>& change) {
        Settings settings = onboardedSettings();
        change(settings);
        ASSERT_TRUE(writeSettings(settings));
        startApp();
    }

    std::wstring lastTip() const {
        for (auto call = calls.rbegin(); call != calls.rend(); ++call) {
            if (call->data.uFlags & NIF_TIP) return call->data.szTip;
        }
        return L"";
    }
    const ShellCall* lastBalloon() const {
        for (auto call = calls.rbegin(); call != calls.rend(); ++call) {
            if (call->data.uFlags & NIF_INFO) return &*call;
        }
        return nullptr;
    }
    std::wstring overlayText() const { return app->statusOverlay().shownText(); }
    bool overlayShown() const { return IsWindowVisible(app->statusOverlay().handle()) != FALSE; }
    // Speech into the microphone while the message loop runs.
    void speak(const std::string& sound = "speech") {
        std::thread player([&] { playIntoMicrophone(sound); });
        pumpUntil([&] { return false; }, sound == "speech" ? 2500ms : 1300ms);
        player.join();
        pumpMessagesFor(300ms);
    }

    // The hotkey pressed: a take starts.
    void startTake() {
        SendMessageW(app->window(), WM_HOTKEY, HOTKEY_ID, 0);
        ASSERT_TRUE(app->isRecording());
    }
    // The take's text reaches the window the user is writing in.
    void expectTextIn(TargetWindow& target) {
        ASSERT_TRUE(pumpUntil([&] { return !app->isBusy(); }, 30s));
        EXPECT_EQ(target.waitFor(L"Salom"), L"Salom");
    }

    struct MenuItem {
        std::wstring text;
        UINT state;
        std::vector<std::wstring> submenu;  // the items of a submenu, in order
    };
    // Right click on the icon: the menu's items as shown, then the menu is
    // closed as Escape would close it.
    std::vector<MenuItem> openTrayMenu() {
        static std::vector<MenuItem> shown;
        shown.clear();
        SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR timer, DWORD) {
            KillTimer(nullptr, timer);
            const auto menu =
                reinterpret_cast<HMENU>(SendMessageW(FindWindowW(L"#32768", nullptr), MN_GETHMENU, 0, 0));
            for (int i = 0; i < GetMenuItemCount(menu); ++i) {
                wchar_t text[128] = {};
                GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
                std::vector<std::wstring> submenu;
                if (const HMENU sub = GetSubMenu(menu, i); sub != nullptr) {
                    for (int j = 0; j < GetMenuItemCount(sub); ++j) {
                        wchar_t subText[128] = {};
                        GetMenuStringW(sub, static_cast<UINT>(j), subText, 128, MF_BYPOSITION);
                        submenu.push_back(subText);
                    }
                }
                shown.push_back({text, GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION), submenu});
            }
            EndMenu();
        });
        SendMessageW(app->window(), WM_TRAYICON, 0, MAKELPARAM(WM_CONTEXTMENU, 0));
        pumpMessagesFor(100ms);
        return shown;
    }

    bool shellAccepts = true;
    std::vector<ShellCall> calls;
    std::vector<Cue> cues;   // every cue the App asked for
    bool realCues = false;   // and whether they are played (into the virtual microphone)
    std::vector<std::wstring> boxes;
    std::unique_ptr<TranscriptionService> service;  // outlives the App
    std::unique_ptr<App> app;
};

