// The App's stories: the tray icon, balloons, the tray menu and the cycle's
// states, with the real recorder and windows under Wine and a service on a
// fake engine.

#include "tests/app/app_story.h"

TEST_F(AppStory, TheTrayIconFollowsTheCycleAndComesBackAfterTheTaskbar) {
    if (!haveAudioHarness()) GTEST_SKIP() << "needs tests/harness/session.sh --audio --display";
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0].action, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(calls[0].data.uID, 1u);
    EXPECT_EQ(calls[0].data.uCallbackMessage, static_cast<UINT>(WM_TRAYICON));
    EXPECT_EQ(calls[0].data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP));
    EXPECT_NE(calls[0].data.hIcon, nullptr);
    EXPECT_STREQ(calls[0].data.szTip, L"Vornika");
    EXPECT_EQ(calls[1].action, static_cast<DWORD>(NIM_SETVERSION));
    EXPECT_EQ(calls[1].data.uVersion, static_cast<UINT>(NOTIFYICON_VERSION_4));

    TargetWindow target;
    ASSERT_EQ(target.problem(), "");
    SendMessageW(app->window(), WM_HOTKEY, HOTKEY_ID, 0);
    ASSERT_TRUE(app->isRecording());
    EXPECT_EQ(lastTip(), L"Yozilmoqda\u2026  (Ctrl+Alt+D \u2014 to'xtatish)");
    EXPECT_EQ(overlayText(), L"Yozilmoqda\u2026  (Ctrl+Alt+D)");

    // Explorer restarts during the take: the icon is back, saying "Vornika".
    const std::size_t before = calls.size();
    SendMessageW(app->window(), msgTaskbarCreated, 0, 0);
    ASSERT_GT(calls.size(), before);
    EXPECT_EQ(calls[before].action, static_cast<DWORD>(NIM_ADD));
    EXPECT_STREQ(calls[before].data.szTip, L"Vornika");
    EXPECT_EQ(calls[before].data.hIcon, calls[0].data.hIcon) << "the icon loaded once, not once per restart";
    EXPECT_TRUE(app->isRecording()) << "the take goes on";

    speak();
    SendMessageW(app->window(), WM_COMMAND, ID_TOGGLE, 0);
    EXPECT_TRUE(app->isBusy());
    EXPECT_EQ(lastTip(), L"Matnga o'girilmoqda\u2026");
    EXPECT_EQ(overlayText(), L"Matnga o'girilmoqda\u2026");
    // The hotkey is ignored until the text is in, and the strip says why.
    SendMessageW(app->window(), WM_HOTKEY, HOTKEY_ID, 0);
    EXPECT_FALSE(app->isRecording());
    EXPECT_TRUE(app->isBusy());
    EXPECT_EQ(overlayText(), L"Hali matnga o'girilmoqda\u2026");

    ASSERT_TRUE(pumpUntil([&] { return !app->isBusy(); }, 30s));
    EXPECT_EQ(target.waitFor(L"Salom"), L"Salom");
    EXPECT_EQ(lastTip(), L"Vornika");
    EXPECT_FALSE(overlayShown());
    EXPECT_EQ(lastBalloon(), nullptr);
}

TEST_F(AppStory, TheMenusFirstItemStopsATakeAndIsGreyedWhileTranscribing) {
    if (!haveAudioHarness()) GTEST_SKIP() << "needs tests/harness/session.sh --audio --display";
    TargetWindow target;
    ASSERT_EQ(target.problem(), "");
    // Reads the open menu's first item, then closes it as Escape would.
    static std::wstring item;
    static UINT state;
    const auto readMenu = [](HWND, UINT, UINT_PTR timer, DWORD) {
        KillTimer(nullptr, timer);
        const HWND menuWindow = FindWindowW(L"#32768", nullptr);
        const auto menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
        wchar_t text[128] = {};
        GetMenuStringW(menu, 0, text, 128, MF_BYPOSITION);
        item = text;
        state = GetMenuState(menu, 0, MF_BYPOSITION);
        EndMenu();
    };
    const auto openMenu = [&] {
        item.clear();
        SetTimer(nullptr, 0, 300, readMenu);
        SendMessageW(app->window(), WM_TRAYICON, 0, MAKELPARAM(WM_CONTEXTMENU, 0));
        pumpMessagesFor(100ms);
    };

    openMenu();
    EXPECT_EQ(item, L"Diktovka  (Ctrl+Alt+D)");
    EXPECT_FALSE(state & MF_GRAYED);
    SendMessageW(app->window(), WM_COMMAND, ID_TOGGLE, 0);
    ASSERT_TRUE(app->isRecording());
    openMenu();
    EXPECT_EQ(item, L"Yozishni to'xtatish  (Ctrl+Alt+D)");
    speak();
    SendMessageW(app->window(), WM_COMMAND, ID_TOGGLE, 0);
    ASSERT_TRUE(app->isBusy());
    openMenu();
    EXPECT_EQ(item, L"Diktovka  (Ctrl+Alt+D)");
    EXPECT_TRUE(state & MF_GRAYED);
    // The menu took the foreground for the hidden window; the user goes back.
    ASSERT_TRUE(target.focus());
    ASSERT_TRUE(pumpUntil([&] { return !app->isBusy(); }, 30s));
    EXPECT_EQ(target.waitFor(L"Salom"), L"Salom");
}

TEST_F(AppStory, ProblemsGetTheirBalloonsAndTheTooltipNeverRepeatsThem) {
    if (!haveAudioHarness()) GTEST_SKIP() << "needs tests/harness/session.sh --audio --display";
    SendMessageW(app->window(), WM_HOTKEY, HOTKEY_ID, 0);
    pumpMessagesFor(1500ms);
    SendMessageW(app->window(), WM_HOTKEY, HOTKEY_ID, 0);
    const ShellCall* silent = lastBalloon();
    ASSERT_NE(silent, nullptr);
    EXPECT_STREQ(silent->data.szInfoTitle, L"Mikrofon jim");
    EXPECT_EQ(silent->data.dwInfoFlags, static_cast<DWORD>(NIIF_WARNING));
    EXPECT_EQ(silent->data.uFlags, static_cast<UINT>(NIF_INFO));
    EXPECT_EQ(overlayText(), L"Mikrofon jim \u2014 signal yo'q");
    EXPECT_EQ(app->trayData().uFlags & NIF_INFO, 0u) << "the App's own data has no balloon";

    // Results that come back as an error or without words.
    app->deliverResult({L"", L"Model fayli topilmadi. Ilovani qayta o'rnating.", 0});
    const ShellCall* error = lastBalloon();
    ASSERT_NE(error, nullptr);
    EXPECT_STREQ(error->data.szInfoTitle, L"Xatolik");
    EXPECT_STREQ(error->data.szInfo, L"Model fayli topilmadi. Ilovani qayta o'rnating.");
    EXPECT_EQ(error->data.dwInfoFlags, static_cast<DWORD>(NIIF_ERROR));
    EXPECT_NE(programLog().find("XATO: Model fayli topilmadi. Ilovani qayta o'rnating.\r\n"), std::string::npos);
    const std::size_t balloons = calls.size();
    app->deliverResult({L"", L"", 0.5});
    EXPECT_EQ(overlayText(), L"Ovoz aniqlanmadi \u2014 balandroq gapiring");
    ASSERT_EQ(calls.size(), balloons + 1) << "only the tooltip";
    EXPECT_EQ(calls.back().data.uFlags, static_cast<UINT>(NIF_TIP | NIF_SHOWTIP));
    EXPECT_STREQ(calls.back().data.szTip, L"Vornika");
}

TEST_F(AppStory, AMicrophoneThatCannotBeOpenedIsReported) {
    // (A saved device that is gone falls back to the default microphone.)
    if (haveAudioHarness()) GTEST_SKIP() << "runs without a sound server: no microphone at all";
    SendMessageW(app->window(), WM_HOTKEY, HOTKEY_ID, 0);
    EXPECT_FALSE(app->isRecording());
    EXPECT_EQ(overlayText(), L"Mikrofon ochilmadi");
    const ShellCall* balloon = lastBalloon();
    ASSERT_NE(balloon, nullptr);
    EXPECT_STREQ(balloon->data.szInfoTitle, L"Mikrofon ochilmadi");
    EXPECT_EQ(balloon->data.dwInfoFlags, static_cast<DWORD>(NIIF_ERROR));
    EXPECT_NE(programLog().find("XATO: yozish boshlanmadi \u2014 " + toUtf8(balloon->data.szInfo)), std::string::npos)
        << programLog();
}

TEST_F(AppStory, WithoutATrayTheProgramRunsOnSilently) {
    app.reset();
    shellAccepts = false;
    calls.clear();
    app = std::make_unique<App>(surroundings());
    ASSERT_TRUE(app->init(GetModuleHandleW(nullptr)));
    ASSERT_EQ(calls.size(), 1u) << "only the failed add";
    EXPECT_NE(programLog().find("XATO: tray ikonasi qo'shilmadi"), std::string::npos);
    app->showBalloon(L"t", L"x", NIIF_ERROR);
    app->setTrayTip(L"y");
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(AppStory, TheTrayMenuGivesTheForegroundBackAndOffersTheLastText) {
    TargetWindow target;
    ASSERT_EQ(target.problem(), "");
    const HWND writingIn = GetForegroundWindow();
    std::vector<MenuItem> menu = openTrayMenu();
    ASSERT_GE(menu.size(), 2u);
    EXPECT_EQ(menu[1].text, L"Oxirgi matnni nusxalash");
    EXPECT_TRUE(menu[1].state & MF_GRAYED) << "nothing dictated yet";
    EXPECT_TRUE(pumpUntil([&] { return GetForegroundWindow() == writingIn; }, 2s)) << "the menu kept the foreground";

    // A result now goes where the user was writing, not into Vornika's hidden window.
    app->deliverResult({L"Salom", L"", 1.0});
    EXPECT_EQ(target.waitFor(L"Salom"), L"Salom");
    menu = openTrayMenu();
    ASSERT_GE(menu.size(), 2u);
    EXPECT_FALSE(menu[1].state & MF_GRAYED);
    putOnClipboard(L"boshqa narsa");
    SendMessageW(app->window(), WM_COMMAND, ID_COPY_LAST_TEXT, 0);
    EXPECT_EQ(clipboardText(), L"Salom");
    pumpMessagesFor(1000ms);
    EXPECT_EQ(clipboardText(), L"Salom") << "a copy is not taken back";
}

TEST_F(AppStory, WithVornikasOwnWindowInFrontTheTextWaitsOnTheClipboard) {
    app->settingsForm().open(GetModuleHandleW(nullptr), app->currentSettings());
    ASSERT_TRUE(pumpUntil([&] { return GetForegroundWindow() == app->settingsForm().handle(); }, 3s));
    putOnClipboard(L"eski matn");
    app->deliverResult({L"Salom dunyo", L"", 1.0});
    EXPECT_EQ(overlayText(), L"Matn clipboard'da \u2014 kerakli joyga Ctrl+V bosing");
    EXPECT_EQ(app->lastDictatedText(), L"Salom dunyo");
    pumpMessagesFor(1000ms);
    EXPECT_EQ(clipboardText(), L"Salom dunyo") << "kept there, not restored";
    EXPECT_EQ(SendMessageW(GetDlgItem(app->settingsForm().handle(), kHotkeyControlId), HKM_GETHOTKEY, 0, 0),
              hotkeyControlValue(app->currentSettings().vk, app->currentSettings().modifiers))
        << "no keystrokes reached the settings window";
    EXPECT_NE(programLog().find("matn clipboard'ga qo'yildi"), std::string::npos);
}

TEST_F(AppStory, TextThatReachesNeitherWindowNorClipboardWaitsInTheTrayMenu) {
    TargetWindow target;
    ASSERT_EQ(target.problem(), "");
    putOnClipboard(L"eski matn");
    std::atomic<bool> held{false};
    std::thread holder([&] {  // longer than every retry of the paste and of the copy after it
        held = OpenClipboard(nullptr) != FALSE;
        std::this_thread::sleep_for(1500ms);
        if (held) CloseClipboard();
    });
    while (!held) std::this_thread::sleep_for(1ms);
    app->deliverResult({L"Salom", L"", 1.0});
    holder.join();
    EXPECT_EQ(overlayText(), L"Matn joylanmadi \u2014 tray menyusidan nusxalang");
    const ShellCall* balloon = lastBalloon();
    ASSERT_NE(balloon, nullptr);
    EXPECT_NE(std::wstring(balloon->data.szInfo).find(L"Oxirgi matnni nusxalash"), std::wstring::npos);
    EXPECT_EQ(clipboardText(), L"eski matn");
    EXPECT_EQ(target.waitFor(L"Salom", 300), L"");

    SendMessageW(app->window(), WM_COMMAND, ID_COPY_LAST_TEXT, 0);
    EXPECT_EQ(clipboardText(), L"Salom");
}

TEST_F(AppStory, ALockEndsTheTakeWhoseTextWaitsOnTheClipboardAndIsToldAfterTheUnlock) {
    if (!haveAudioHarness()) GTEST_SKIP() << "needs tests/harness/session.sh --audio --display";
    TargetWindow target;
    ASSERT_EQ(target.problem(), "");
    putOnClipboard(L"eski matn");
    ASSERT_NO_FATAL_FAILURE(startTake());
    speak();
    // As Windows tells a window registered for session notifications.
    SendMessageW(app->window(), WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0);
    EXPECT_FALSE(app->isRecording());
    EXPECT_TRUE(app->isBusy()) << "what was said is recognised";
    const auto balloons = [&] {
        return std::count_if(calls.begin(), calls.end(), [](const ShellCall& c) { return (c.data.uFlags & NIF_INFO) != 0; });
    };
    const auto balloonsBefore = balloons();
    ASSERT_TRUE(pumpUntil([&] { return !app->isBusy(); }, 30s));
    EXPECT_EQ(clipboardText(), kModelTextW);
    EXPECT_EQ(app->lastDictatedText(), kModelTextW);
    EXPECT_FALSE(overlayShown()) << "no strip left on the lock screen";
    EXPECT_EQ(balloons(), balloonsBefore) << "no balloon while locked";
    SendMessageW(app->window(), WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0);
    const ShellCall* balloon = lastBalloon();
    ASSERT_NE(balloon, nullptr);
    EXPECT_STREQ(balloon->data.szInfoTitle, L"Matn clipboard'da");
    EXPECT_EQ(target.waitFor(kModelTextW, 500), L"") << "nothing typed, not even after the unlock";
    pumpMessagesFor(1000ms);
    EXPECT_EQ(clipboardText(), kModelTextW) << "not restored";
}

TEST_F(AppStory, TextReadyWhileAnotherWindowIsInFrontWaitsOnTheClipboard) {
    if (!haveAudioHarness()) GTEST_SKIP() << "needs tests/harness/session.sh --audio --display";
    TargetWindow dictatedInto, switchedTo;
    ASSERT_EQ(dictatedInto.problem(), "");
    ASSERT_EQ(switchedTo.problem(), "");
    ASSERT_TRUE(dictatedInto.focus());
    ASSERT_NO_FATAL_FAILURE(startTake());
    speak();
    SendMessageW(app->window(), WM_HOTKEY, HOTKEY_ID, 0);
    ASSERT_TRUE(app->isBusy());
    ASSERT_TRUE(switchedTo.focus());  // the user moves on while the text is recognised
    ASSERT_TRUE(pumpUntil([&] { return !app->isBusy(); }, 30s));
    EXPECT_EQ(clipboardText(), kModelTextW);
    const ShellCall* balloon = lastBalloon();
    ASSERT_NE(balloon, nullptr);
    EXPECT_STREQ(balloon->data.szInfoTitle, L"Matn clipboard'da");
    EXPECT_EQ(switchedTo.waitFor(kModelTextW, 500), L"");
    EXPECT_EQ(dictatedInto.waitFor(kModelTextW, 100), L"");
}

TEST_F(AppStory, ATakeEndsByItselfAtItsLimitAndShowsTheTimeLeft) {
    if (!haveAudioHarness()) GTEST_SKIP() << "needs tests/harness/session.sh --audio --display";
    startApp(3s);
    TargetWindow target;
    ASSERT_EQ(target.problem(), "");
    ASSERT_NO_FATAL_FAILURE(startTake());
    std::thread player([] { playIntoMicrophone("tone-3s"); });
    EXPECT_TRUE(pumpUntil([&] { return overlayText().find(L" s qoldi") != std::wstring::npos; }, 2500ms)) << overlayText();
    EXPECT_TRUE(pumpUntil([&] { return !app->isRecording(); }, 4s)) << "the limit ended the take";
    player.join();
    EXPECT_NE(programLog().find("yozuv eng uzun chegaraga yetdi: to'xtatildi"), std::string::npos);
    expectTextIn(target);
}

TEST_F(AppStory, AMicrophoneLostMidTakeEndsItAndWhatWasSaidIsRecognised) {
    if (!haveAudioHarness()) GTEST_SKIP() << "needs tests/harness/session.sh --audio --display";
    TargetWindow target;
    ASSERT_EQ(target.problem(), "");
    ASSERT_NO_FATAL_FAILURE(startTake());
    ASSERT_TRUE(harnessRequest(L"play-async", "tone-3s"));
    pumpMessagesFor(1500ms);
    ASSERT_TRUE(harnessRequest(L"unplug"));
    const bool ended = pumpUntil([&] { return !app->isRecording(); }, 5s);
    const std::wstring shown = overlayText();
    ASSERT_TRUE(harnessRequest(L"replug"));
    ASSERT_TRUE(ended) << "the take went on without a microphone";
    EXPECT_EQ(shown, L"Mikrofon uzildi \u2014 yozilgani matnga o'girilmoqda\u2026");
    const ShellCall* balloon = lastBalloon();
    ASSERT_NE(balloon, nullptr);
    EXPECT_STREQ(balloon->data.szInfoTitle, L"Mikrofon uzildi");
    expectTextIn(target);
}

TEST_F(AppStory, SleepDuringATakeEndsItAndRecognisesIt) {
    if (!haveAudioHarness()) GTEST_SKIP() << "needs tests/harness/session.sh --audio --display";
    TargetWindow target;
    ASSERT_EQ(target.problem(), "");
    ASSERT_NO_FATAL_FAILURE(startTake());
    speak("tone-3s");
    SendMessageW(app->window(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    EXPECT_FALSE(app->isRecording());
    EXPECT_NE(programLog().find("kompyuter uyquga ketmoqda: yozuv to'xtatildi"), std::string::npos);
    expectTextIn(target);
}

// The user hears of a model that does not load when the program starts, not
// after speaking; the tip says so until the model loads.
TEST_F(AppStory, AModelThatDoesNotLoadIsToldAtStartAndTheTipSaysSoUntilItLoads) {
    static std::atomic<bool> modelThere;
    modelThere = false;
    app.reset();
    service = std::make_unique<TranscriptionService>(ServiceSurroundings{
        [] { return modelThere ? std::wstring(L"fake-model.bin") : std::wstring(); }, nullptr, 2, &fakeengine::engine()});
    startApp();
    ASSERT_TRUE(pumpUntil([&] { return lastBalloon() != nullptr; }));
    EXPECT_STREQ(lastBalloon()->data.szInfoTitle, L"Model yuklanmadi");
    EXPECT_STREQ(lastBalloon()->data.szInfo, kModelMissingText);
    EXPECT_EQ(lastTip(), kModelProblemTip);

    // The file put in place and the settings saved: the model is checked again.
    modelThere = true;
    SendMessageW(app->window(), WM_COMMAND, ID_SETTINGS, 0);
    ASSERT_TRUE(pumpUntil([&] { return IsWindowVisible(app->settingsForm().handle()) != FALSE; }));
    SendMessageW(GetDlgItem(app->settingsForm().handle(), kSaveButtonId), BM_CLICK, 0, 0);
    EXPECT_TRUE(pumpUntil([&] { return lastTip() == kIdleTip; }));
    EXPECT_TRUE(service->modelIsLoaded());
}

// Cyrillic chosen in the settings: the tray menu, the tooltip and the strip
// (whose window text a screen reader reads) speak it; Latin saved in the
// settings window shows in the very next menu, without a restart.
TEST_F(AppStory, TheInterfaceInCyrillicAndBackToLatinWithoutARestart) {
    if (!haveAudioHarness()) GTEST_SKIP() << "needs tests/harness/session.sh --audio --display";
    restartWith([](Settings& s) { s.interfaceLanguage = InterfaceLanguage::Cyrillic; });
    std::vector<std::wstring> items;
    for (const MenuItem& item : openTrayMenu()) items.push_back(item.text);
    EXPECT_EQ(items, (std::vector<std::wstring>{L"Диктовка  (Ctrl+Alt+D)", L"Охирги матнни нусхалаш", L"Охирги матнлар",
                                                L"", L"Созламалар…", L"Лог файлини очиш…", L"", L"Чиқиш"}));
    startTake();
    EXPECT_EQ(lastTip(), L"Ёзилмоқда…  (Ctrl+Alt+D — тўхтатиш)");
    EXPECT_EQ(overlayText(), L"Ёзилмоқда…  (Ctrl+Alt+D)");
    EXPECT_EQ(windowText(app->statusOverlay().handle()), overlayText());
    SendMessageW(app->window(), WM_HOTKEY, HOTKEY_ID, 0);  // a moment of silence
    EXPECT_TRUE(overlayText() == L"Микрофон жим — сигнал йўқ" || overlayText() == L"Жуда қисқа — камида 1 сония гапиринг")
        << toUtf8(overlayText());

    SettingsWindow& settings = app->settingsForm();
    SendMessageW(app->window(), WM_COMMAND, ID_SETTINGS, 0);
    ASSERT_TRUE(pumpUntil([&] { return IsWindowVisible(settings.handle()) != FALSE; }));
    EXPECT_EQ(windowText(settings.handle()), L"Vornika — Созламалар");
    EXPECT_EQ(windowText(GetDlgItem(settings.handle(), kSaveButtonId)), L"Сақлаш");
    SendMessageW(GetDlgItem(settings.handle(), kLanguageComboId), CB_SETCURSEL, 0, 0);
    SendMessageW(GetDlgItem(settings.handle(), kSaveButtonId), BM_CLICK, 0, 0);
    ASSERT_FALSE(IsWindowVisible(settings.handle()));
    EXPECT_EQ(openTrayMenu().back().text, L"Chiqish");
    EXPECT_EQ(loadSettings().interfaceLanguage, InterfaceLanguage::Latin);
}
