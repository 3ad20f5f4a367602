// The interface in Cyrillic: the reviewed table held to the program's
// converter, the phrases replaced only where they stand as a whole, and the
// program's texts left with no Uzbek Latin word behind.

#include "ui/interface_script.h"

#include <algorithm>
#include <cwctype>
#include <set>

#include <gtest/gtest.h>

#include "app/cycle_texts.h"
#include "audio/microphones.h"
#include "diag/encoding.h"
#include "engine/gpu_verdict.h"
#include "engine/model_location.h"
#include "engine/transcription_service.h"
#include "audio/recorder.h"
#include "text/latin_to_cyrillic.h"
#include "text/utf32.h"
#include "ui/donation.h"
#include "ui/settings_form.h"

namespace {

std::wstring converted(std::wstring_view latin) {
    return fromUtf8(utf32ToUtf8(latinToCyrillic(utf8ToUtf32(toUtf8(std::wstring(latin))))));
}

// The Latin words (ASCII letters, with the apostrophes of oʻ, gʻ and the
// tutuq) left in a Cyrillic text that should not be: those the converter
// would write in Cyrillic, unless a deliberate phrase keeps them or the test
// passed them in (a hotkey, a path, a device).
std::vector<std::wstring> latinWords(const std::wstring& text) {
    std::vector<std::wstring> words;
    std::wstring word;
    for (const wchar_t c : text + L" ") {
        if ((c < 0x80 && std::iswalpha(c)) || ((c == L'\'' || c == L'\u02BB' || c == L'\u02BC') && !word.empty())) {
            word += c;
        } else if (!word.empty()) {
            while (!std::iswalpha(word.back())) word.pop_back();
            words.push_back(word);
            word.clear();
        }
    }
    return words;
}

std::vector<std::wstring> latinWordsLeft(const std::wstring& text) {
    static const std::set<std::wstring> kept = [] {
        std::set<std::wstring> words = {L"Ctrl", L"Alt", L"D", L"settings", L"ini", L"models", L"ggml", L"veltostt",
                                        L"bin", L"small", L"q8_0", L"Mic", L"NVIDIA", L"GeForce", L"RTX", L"X"};
        for (const ScriptPhrase& phrase : cyrillicPhrases()) {
            const auto deliberate = deliberateCyrillic();
            if (std::find(deliberate.begin(), deliberate.end(), phrase.latin) == deliberate.end()) continue;
            for (const std::wstring& word : latinWords(std::wstring(phrase.cyrillic))) words.insert(word);
        }
        return words;
    }();
    std::vector<std::wstring> left;
    for (const std::wstring& word : latinWords(text)) {
        if (!kept.contains(word) && converted(word) != word) left.push_back(word);
    }
    return left;
}

}  // namespace

TEST(CyrillicInterface, EachPhraseIsTheConvertersOrADeliberateException) {
    const auto deliberate = deliberateCyrillic();
    std::set<std::wstring_view> latin;
    for (const ScriptPhrase& phrase : cyrillicPhrases()) {
        EXPECT_TRUE(latin.insert(phrase.latin).second) << "twice: " << toUtf8(std::wstring(phrase.latin));
        const bool exception = std::find(deliberate.begin(), deliberate.end(), phrase.latin) != deliberate.end();
        const std::wstring fromConverter = converted(phrase.latin);
        if (exception) {
            EXPECT_NE(std::wstring(phrase.cyrillic), fromConverter) << "no longer an exception: "
                                                                    << toUtf8(std::wstring(phrase.latin));
        } else {
            EXPECT_EQ(std::wstring(phrase.cyrillic), fromConverter) << toUtf8(std::wstring(phrase.latin));
        }
    }
    for (const std::wstring_view exception : deliberate)
        EXPECT_TRUE(latin.contains(exception)) << "not in the table: " << toUtf8(std::wstring(exception));
}

TEST(CyrillicInterface, PhrasesAreReplacedWhereTheyStandAsAWhole) {
    const struct {
        const wchar_t* text;
        const wchar_t* cyrillic;
    } cases[] = {
        {L"Sozlamalar\u2026", L"Созламалар\u2026"},
        {L"Yozilmoqda\u2026  (Ctrl+Alt+D)", L"Ёзилмоқда\u2026  (Ctrl+Alt+D)"},
        {L"Matn clipboard'da", L"Матн clipboard'da"},  // the longer phrase, not "Matn" alone
        {L"C:\\Model\\Mikrofon.bin (7,7 MB)", L"C:\\Model\\Mikrofon.bin (7,7 МБ)"},  // a path stays
        {L"Modellar Matnlari", L"Modellar Matnlari"},                            // no phrase inside a word
        {L"Vornika", L"Vornika"},
        {L"Namuna: \u00ABYanvarda o'qish\u00BB", L"Намуна: \u00ABYanvarda o'qish\u00BB"},  // the sample stays as styled
        {L"", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(inScript(c.text, InterfaceLanguage::Cyrillic), c.cyrillic) << toUtf8(c.text);
        EXPECT_EQ(inScript(c.text, InterfaceLanguage::Latin), c.text);
    }
    setInterfaceLanguage(InterfaceLanguage::Cyrillic);
    EXPECT_EQ(shown(L"Chiqish"), L"Чиқиш");
    setInterfaceLanguage(InterfaceLanguage::Latin);
    EXPECT_EQ(shown(L"Chiqish"), L"Chiqish");
}

// Every text the program shows, as its own functions and tables make it,
// leaves no Uzbek Latin word in Cyrillic: a text added without its phrases
// fails here with the converter's form to add to the table.
TEST(CyrillicInterface, TheProgramsTextsHaveNoLatinWordLeft) {
    std::vector<std::wstring> texts = {kIdleTip, kWorkingText, kSettingsMenuItem, kOpenLogMenuItem, kExitMenuItem,
                                       kCopyLastTextMenuItem, kHistoryMenuItem, kCancelledText, kStillWorkingText,
                                       kAlreadyRunningText, kStartFailedText, kElevatedWindowText, kModelProblemTip,
                                       kRestFailedText, kSettingsTitle, kSettingsCaption, kSystemDefaultMicItem,
                                       kHotkeyRejectedText, kSettingsNotSavedText, kModelCaption, kGpuRecheckingText,
                                       kNoModelPlaceText, kDonateTitle, kDonateHeading, kDonateNote, kDonateNoCardsNote,
                                       kDonateMissingNumber, kDonateMissingHolder, kDonateHolderLabel, kCopyButtonText,
                                       kCopiedButtonText, kCloseButtonText, kModelMissingText, kModelPathUnusableText,
                                       kNoSamplesText, kModelLoadFailedText, kRecognitionFailedText,
                                       kGpuUnusableBalloonTitle, kGpuUnusableBalloonText, kAlreadyRecordingText,
                                       kMicrophoneFailedText};
    for (const SettingsControl& control : kSettingsControls) {
        texts.push_back(control.text);
        if (control.id != kLanguageComboId) texts.insert(texts.end(), control.items.begin(), control.items.end());
    }
    for (const wchar_t* page : kPageNames) texts.push_back(page);
    const std::wstring label = L"Ctrl+Alt+D";
    texts.insert(texts.end(), {recordingTip(label), recordingOverlayText(label), toggleMenuItem(label, true),
                               toggleMenuItem(label, false), takeEndingOverlayText(label, 12),
                               busyHotkeyText(label, L"C:\\settings.ini", HotkeyRefusal::Taken),
                               busyHotkeyText(label, L"C:\\settings.ini", HotkeyRefusal::NotAllowed),
                               hotkeyChangeRefusedText(label, HotkeyRefusal::Taken, L""),
                               hotkeyChangeRefusedText(label, HotkeyRefusal::NotAllowed, L"Ctrl+Alt+D"),
                               modelFileText(L"", 0, L""), modelFileText(L"C:\\models\\ggml-veltostt.bin", 1 << 20, L"small, q8_0")});
    std::vector<Notices> notices = {cancelledNotices(true), cancelledNotices(false), startFailureNotices(L"X"),
                                    modelProblemNotices(L"X"), clipboardOnlyNotices(true), clipboardOnlyNotices(false),
                                    windowChangedNotices(true), windowChangedNotices(false), lockedResultNotices(true),
                                    lockedResultNotices(false),
                                    insertFailureNotices(L"X", true, true), insertFailureNotices(L"X", false, true),
                                    insertFailureNotices(L"X", false, false)};
    for (const TakeVerdict verdict : {TakeVerdict::Ok, TakeVerdict::Silent, TakeVerdict::TooShort}) {
        for (const TakeInterruption why : {TakeInterruption::MicrophoneLost, TakeInterruption::Sleep, TakeInterruption::Lock})
            notices.push_back(interruptedTakeNotices(why, verdict));
    }
    notices.push_back(takeNotices(analyzeTake(std::vector<float>(kEngineRate * 2, 0.0f))));
    notices.push_back(takeNotices(analyzeTake(std::vector<float>(1000, 0.3f))));
    notices.push_back(resultNotices({L"", L"X", 1.0}));
    notices.push_back(resultNotices({L"", L"", 1.0}));
    notices.push_back(withRestFailed(clipboardOnlyNotices(true), L"X"));
    notices.push_back(withRestFailed(Notices{}, L"X"));
    for (const Notices& told : notices) {
        if (told.overlay) texts.push_back(told.overlay->text);
        if (told.balloon) {
            texts.push_back(told.balloon->title);
            texts.push_back(told.balloon->text);
        }
    }
    for (const MicKind kind : {MicKind::Loopback, MicKind::Headset, MicKind::Virtual}) {
        const MicDevice device{L"{x}", L"Mic", kind, true};
        texts.push_back(warningText(device));
        texts.push_back(microphoneItemText(device));
    }
    for (const int exitCode : {2, 3}) {
        for (const char* detail : {".safetensors files instead", "config.json: cannot be read", "config.json",
                                   "no model.safetensors", "vocab.json", "not a whisper model file", "all-F32", "other"})
        {
            // The tool's own words end it, in English for whoever helps.
            const std::wstring text = modelImportFailureText(exitCode, detail);
            texts.push_back(text.substr(0, text.rfind(L"Tafsilot: ")));
        }
    }
    // The card's verdicts, with each reason a check can give.
    const auto run = [](GpuCheckRun::End end, std::uint32_t exitCode, const wchar_t* report) {
        return GpuCheckRun{end, exitCode, report, kGpuCheckLimitSeconds};
    };
    const GpuCheckRun runs[] = {run(GpuCheckRun::End::NotStarted, 0, L""), run(GpuCheckRun::End::Crashed, 0xC0000005, L""),
                                run(GpuCheckRun::End::TimedOut, 0, L""), run(GpuCheckRun::End::Exited, kGpuCheckFailed, L""),
                                run(GpuCheckRun::End::Exited, kGpuCheckNoDevice, L"error=Vulkan kutubxonasi yuklanmadi")};
    for (const GpuCheckRun& checked : runs) {
        GpuVerdict verdict = judgeGpuCheck(checked, "print");
        verdict.device = L"NVIDIA GeForce RTX";
        texts.push_back(recognitionDeviceText(true, verdict));
        texts.push_back(recognitionDeviceText(false, verdict));
    }
    for (const std::wstring& text : texts) {
        const std::wstring cyrillic = inScript(text, InterfaceLanguage::Cyrillic);
        const std::vector<std::wstring> left = latinWordsLeft(cyrillic);
        EXPECT_TRUE(left.empty()) << toUtf8(text) << "\n  -> " << toUtf8(cyrillic) << "\n  left: " << toUtf8(left.front())
                                  << "\n  the converter: " << toUtf8(converted(text));
    }
}
