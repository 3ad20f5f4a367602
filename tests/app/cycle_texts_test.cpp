// What the dictation cycle says: tooltips, menu items, log lines and the
// notices for each way a take or a result ends.

#include "app/cycle_texts.h"

#include <gtest/gtest.h>

TEST(CycleTexts, TooltipsMenuItemsAndTheBusyHotkeyBox) {
    EXPECT_EQ(recordingTip(L"Ctrl+Alt+D"), L"Yozilmoqda\u2026  (Ctrl+Alt+D \u2014 to'xtatish)");
    EXPECT_EQ(recordingOverlayText(L"Ctrl+Alt+D"), L"Yozilmoqda\u2026  (Ctrl+Alt+D)");
    EXPECT_EQ(toggleMenuItem(L"Ctrl+Alt+D", true), L"Yozishni to'xtatish  (Ctrl+Alt+D)");
    EXPECT_EQ(toggleMenuItem(L"Shift+F9", false), L"Diktovka  (Shift+F9)");
    EXPECT_EQ(busyHotkeyText(L"Ctrl+Alt+D", L"C:\\Users\\u\\AppData\\Roaming\\Vornika\\settings.ini"),
              L"Diktovka tugmasi (Ctrl+Alt+D) boshqa dastur tomonidan band qilingan.\n\n"
              L"Sozlamalar faylidan boshqa tugma tanlang:\nC:\\Users\\u\\AppData\\Roaming\\Vornika\\settings.ini");

    // A hotkey chosen in the settings window that Windows does not give.
    const struct {
        HotkeyRefusal why;
        const wchar_t* working;
        const wchar_t* says;
    } refusals[] = {
        {HotkeyRefusal::Taken, L"Ctrl+Alt+D", L"ishlatmoqda.\n\nAvvalgi tugma ishlayveradi: Ctrl+Alt+D."},
        {HotkeyRefusal::NotAllowed, L"Win+Alt+D", L"bermaydi.\n\nAvvalgi tugma ishlayveradi: Win+Alt+D."},
        {HotkeyRefusal::NotAllowed, L"", L"bermaydi.\n\nHozir hech qaysi diktovka tugmasi ishlamaydi"},
    };
    for (const auto& c : refusals) {
        const std::wstring text = hotkeyChangeRefusedText(L"Ctrl+F12", c.why, c.working);
        EXPECT_EQ(text.rfind(L"Yangi diktovka tugmasi (Ctrl+F12) ishlamadi: ", 0), 0u) << text;
        EXPECT_NE(text.find(c.says), std::wstring::npos) << text;
    }
    EXPECT_NE(busyHotkeyText(L"Ctrl+F12", L"s.ini", HotkeyRefusal::NotAllowed).find(L"Windows tomonidan ruxsat etilmaydi"),
              std::wstring::npos);

    // A label long enough to push the tooltip past 127 units is cut there.
    const std::wstring longTip = recordingTip(std::wstring(150, L'K'));
    EXPECT_EQ(fitTrayTip(longTip).size(), 127u);
    EXPECT_EQ(fitTrayTip(longTip), longTip.substr(0, 127));
    EXPECT_EQ(fitTrayTip(L"Vornika"), L"Vornika");
    EXPECT_NE(std::wstring(kAlreadyRunningText).find(L"panelidagi \U0001F399 ikonkasini"), std::wstring::npos);
}

TEST(CycleTexts, ATakeIsLoggedCutToTenthsAndJudged) {
    EXPECT_EQ(takeLogLine({TakeVerdict::Ok, 0.41f, 2.37f}), L"yozish tugadi: 2.300000s, peak=0.410000");
    EXPECT_EQ(takeLogLine({TakeVerdict::Silent, 0.0f, 0.0f}), L"yozish tugadi: 0.000000s, peak=0.000000");
    EXPECT_EQ(takeLogLine({TakeVerdict::TooShort, 0.5f, 0.99f}), L"yozish tugadi: 0.900000s, peak=0.500000");

    EXPECT_EQ(takeNotices({TakeVerdict::Ok, 0.4f, 3.0f}), Notices{});
    const Notices shortTake = takeNotices({TakeVerdict::TooShort, 0.4f, 0.9f});
    EXPECT_EQ(shortTake.overlay, (OverlayNotice{OverlayKind::Warning, L"Juda qisqa \u2014 kamida 1 soniya gapiring", 3000}));
    EXPECT_FALSE(shortTake.balloon.has_value());
    const Notices silent = takeNotices({TakeVerdict::Silent, 0.001f, 5.0f});
    EXPECT_EQ(silent.overlay, (OverlayNotice{OverlayKind::Warning, L"Mikrofon jim \u2014 signal yo'q", 4000}));
    ASSERT_TRUE(silent.balloon.has_value());
    EXPECT_EQ(silent.balloon->title, L"Mikrofon jim");
    EXPECT_EQ(silent.balloon->icon, BalloonIcon::Warning);
    EXPECT_NE(silent.balloon->text.find(L"Windows\nmaxfiylik"), std::wstring::npos);

    const Notices start = startFailureNotices(L"Mikrofon topilmadi");
    EXPECT_EQ(start.logLine, L"XATO: yozish boshlanmadi \u2014 Mikrofon topilmadi");
    EXPECT_EQ(start.overlay, (OverlayNotice{OverlayKind::Warning, L"Mikrofon ochilmadi", 4000}));
    EXPECT_EQ(start.balloon, (BalloonNotice{L"Mikrofon ochilmadi", L"Mikrofon topilmadi", BalloonIcon::Error}));
}

TEST(CycleTexts, EachResultHasItsOutcome) {
    // An error wins over a text that came with it.
    const TranscribeResult failed{L"matn", L"Model topilmadi", 0};
    EXPECT_EQ(resultAction(failed), ResultAction::ShowError);
    EXPECT_EQ(resultNotices(failed),
              (Notices{L"XATO: Model topilmadi", OverlayNotice{OverlayKind::Warning, L"Model topilmadi", 5000},
                       BalloonNotice{L"Xatolik", L"Model topilmadi", BalloonIcon::Error}}));

    const TranscribeResult nothing{L"", L"", 0.8};
    EXPECT_EQ(resultAction(nothing), ResultAction::ShowNoWords);
    EXPECT_EQ(resultNotices(nothing),
              (Notices{L"", OverlayNotice{OverlayKind::Warning, L"Ovoz aniqlanmadi \u2014 balandroq gapiring", 3500},
                       std::nullopt}));

    const TranscribeResult text{std::wstring(42, L'a'), L"", 1.2345};
    EXPECT_EQ(resultAction(text), ResultAction::Insert);
    EXPECT_EQ(resultNotices(text), (Notices{L"natija (42 belgi, 1234 ms)", std::nullopt, std::nullopt}));
    EXPECT_EQ(resultLogLine(3, -0.0019), L"natija (3 belgi, -1 ms)");
    EXPECT_EQ(resultLogLine(3, 1e12), L"natija (3 belgi, 2147483647 ms)") << "cut at the 32-bit limit";

    const Notices notInserted = insertFailureNotices(L"Clipboard band", false, true);
    EXPECT_EQ(notInserted.logLine, L"matn joylanmadi: Clipboard band");
    EXPECT_EQ(notInserted.overlay, (OverlayNotice{OverlayKind::Warning, L"Matn clipboard'da \u2014 Ctrl+V bosing", 5000}));
    EXPECT_EQ(notInserted.balloon, (BalloonNotice{L"Matn joylanmadi", L"Clipboard band", BalloonIcon::Warning}));
    const Notices elevated = insertFailureNotices(L"Clipboard band", true, true);
    EXPECT_EQ(elevated.balloon->text, kElevatedWindowText);
    EXPECT_EQ(elevated.logLine, std::wstring(L"matn joylanmadi: ") + kElevatedWindowText);
    EXPECT_EQ(elevated.overlay, notInserted.overlay);
}

// The clipboard is named only when the text is really there.
TEST(CycleTexts, NoticesPointToTheClipboardOnlyWhenTheTextIsOnIt) {
    const std::wstring trayHint = L"Matnni tray menyusidagi \"Oxirgi matnni nusxalash\" bilan olish mumkin.";
    const OverlayNotice toTray{OverlayKind::Warning, L"Matn joylanmadi \u2014 tray menyusidan nusxalang", 5000};
    struct Case {
        bool elevated;
        std::wstring why;
    } cases[] = {
        {false, L"Matn kiritilmadi"},
        {true, L"Faol oyna administrator huquqi bilan ishlayapti \u2014\nWindows unga matn yuborishga ruxsat bermaydi."},
    };
    for (const Case& c : cases) {
        const Notices notices = insertFailureNotices(L"Matn kiritilmadi", c.elevated, false);
        EXPECT_EQ(notices.overlay, toTray) << c.elevated;
        EXPECT_EQ(notices.balloon, (BalloonNotice{L"Matn joylanmadi", c.why + L"\n" + trayHint, BalloonIcon::Warning}));
        EXPECT_EQ(notices.logLine, L"matn joylanmadi, clipboard'ga ham qo'yilmadi: " + c.why);
        EXPECT_EQ(notices.balloon->text.find(L"clipboard'da"), std::wstring::npos);
    }

    const Notices kept = clipboardOnlyNotices(true);
    EXPECT_EQ(kept.overlay,
              (OverlayNotice{OverlayKind::Warning, L"Matn clipboard'da \u2014 kerakli joyga Ctrl+V bosing", 5000}));
    EXPECT_FALSE(kept.balloon);
    const Notices lost = clipboardOnlyNotices(false);
    EXPECT_EQ(lost.overlay, toTray);
    EXPECT_EQ(lost.balloon->text, trayHint);
}

TEST(CycleTexts, TakesEndedWithoutTheUser) {
    EXPECT_EQ(takeEndingOverlayText(L"Ctrl+Alt+D", 12), L"Yozilmoqda\u2026  (Ctrl+Alt+D) \u2014 12 s qoldi");
    EXPECT_EQ(takeEndingOverlayText(L"Ctrl+Alt+D", -3), L"Yozilmoqda\u2026  (Ctrl+Alt+D) \u2014 0 s qoldi");

    struct Case {
        TakeInterruption why;
        TakeVerdict verdict;
        std::wstring logLine;
        std::optional<OverlayKind> overlay;
        bool balloon;
    } cases[] = {
        {TakeInterruption::MicrophoneLost, TakeVerdict::Ok,
         L"XATO: mikrofon yozish paytida uzildi \u2014 yozilgani matnga o'girilmoqda", OverlayKind::Working, true},
        {TakeInterruption::MicrophoneLost, TakeVerdict::Silent, L"XATO: mikrofon yozish paytida uzildi",
         OverlayKind::Warning, true},
        {TakeInterruption::Sleep, TakeVerdict::Ok, L"kompyuter uyquga ketmoqda: yozuv to'xtatildi", std::nullopt, false},
        {TakeInterruption::Sleep, TakeVerdict::TooShort, L"kompyuter uyquga ketmoqda: yozuv bekor qilindi (juda qisqa)",
         std::nullopt, false},
        {TakeInterruption::Lock, TakeVerdict::Ok, L"ekran qulflandi: yozuv to'xtatildi va matnga o'girilmoqda",
         std::nullopt, false},
        {TakeInterruption::Lock, TakeVerdict::Silent, L"ekran qulflandi: yozuv bekor qilindi (jim)", std::nullopt, false},
    };
    for (const Case& c : cases) {
        const Notices notices = interruptedTakeNotices(c.why, c.verdict);
        EXPECT_EQ(notices.logLine, c.logLine);
        EXPECT_EQ(notices.overlay.has_value(), c.overlay.has_value()) << notices.logLine;
        if (notices.overlay && c.overlay) {
            EXPECT_EQ(notices.overlay->kind, *c.overlay) << notices.logLine;
        }
        EXPECT_EQ(notices.balloon.has_value(), c.balloon) << notices.logLine;
    }
    EXPECT_EQ(lockedResultNotices(true).balloon->title, L"Matn clipboard'da");
    EXPECT_EQ(lockedResultNotices(false).balloon->title, L"Matn joylanmadi");
    EXPECT_FALSE(lockedResultNotices(true).overlay) << "nothing drawn over the lock screen";
}

TEST(CycleTexts, TheAudioLostAtATakesStartInWholeMilliseconds) {
    EXPECT_EQ(audioStartLogLine(28.7), L"ovoz tugma bosilgandan 29 ms keyin yozila boshladi");
    EXPECT_EQ(audioStartLogLine(-3.0), L"ovoz tugma bosilgandan 0 ms keyin yozila boshladi") << "clocks a little apart";
}

TEST(CycleTexts, TheModelProblemAndTheModelFileLine) {
    const Notices told = modelProblemNotices(L"Model fayli topilmadi. Ilovani qayta o'rnating.");
    EXPECT_EQ(told.logLine, L"") << "the service has logged why";
    EXPECT_FALSE(told.overlay);
    EXPECT_EQ(told.balloon, (BalloonNotice{L"Model yuklanmadi", L"Model fayli topilmadi. Ilovani qayta o'rnating.",
                                           BalloonIcon::Error}));
    const std::wstring path = L"C:\\Vornika\\models\\m.bin";
    const struct {
        std::uint64_t bytes;
        std::wstring shown;
    } sizes[] = {
        {0, L" (0,0 MB)"},         {8043100, L" (7,7 MB)"},          {10380000, L" (9,9 MB)"},
        {10485760, L" (10 MB)"},   {155189248, L" (148 MB)"},        {1624867840, L" (1550 MB)"},
    };
    for (const auto& size : sizes) EXPECT_EQ(modelFileText(path, size.bytes, L""), path + size.shown);
    EXPECT_EQ(modelFileText(path, 823132160, L"medium, q8_0"), path + L" (medium, q8_0, 785 MB)");
    EXPECT_EQ(modelFileText(L"", 0, L""), L"Model topilmadi");
}
