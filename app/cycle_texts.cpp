#include "app/cycle_texts.h"

#include <string_view>

#include <climits>
#include <algorithm>
#include <cmath>
#include <cwchar>

namespace {

// Cuts toward zero into 32 bits; values a double cannot hold as such end at the limits.
std::int32_t cutToInt32(double value) {
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(INT32_MAX)) return INT32_MAX;
    if (value <= static_cast<double>(INT32_MIN)) return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

std::wstring sixDecimals(double value) {
    wchar_t text[64];
    std::swprintf(text, 64, L"%f", value);
    return text;
}

}  // namespace

std::wstring fitTrayTip(const std::wstring& text) { return text.substr(0, kTrayTipLimit); }

std::wstring recordingTip(const std::wstring& label) {
    return L"Yozilmoqda\u2026  (" + label + L" \u2014 to'xtatish)";
}

std::wstring recordingOverlayText(const std::wstring& label) { return L"Yozilmoqda\u2026  (" + label + L")"; }

std::wstring toggleMenuItem(const std::wstring& label, bool recording) {
    return (recording ? L"Yozishni to'xtatish  (" : L"Diktovka  (") + label + L")";
}

std::wstring busyHotkeyText(const std::wstring& label, const std::wstring& settingsPath, HotkeyRefusal why) {
    const std::wstring reason = why == HotkeyRefusal::Taken ? L") boshqa dastur tomonidan band qilingan.\n\n"
                                                            : L") Windows tomonidan ruxsat etilmaydi.\n\n";
    return L"Diktovka tugmasi (" + label + reason + L"Sozlamalar faylidan boshqa tugma tanlang:\n" + settingsPath;
}

std::wstring hotkeyChangeRefusedText(const std::wstring& wanted, HotkeyRefusal why, const std::wstring& working) {
    std::wstring text = L"Yangi diktovka tugmasi (" + wanted + L") ishlamadi: " +
                        (why == HotkeyRefusal::Taken ? L"uni boshqa dastur yoki Windows ishlatmoqda."
                                                     : L"Windows bu birikmani dasturlarga bermaydi.");
    if (working.empty())
        return text + L"\n\nHozir hech qaysi diktovka tugmasi ishlamaydi: boshqa birikma tanlang "
                      L"yoki tray menyusidagi \"Diktovka\"dan foydalaning.";
    return text + L"\n\nAvvalgi tugma ishlayveradi: " + working + L".";
}

std::wstring hotkeyRefusedLogLine(const std::wstring& label, HotkeyRefusal why) {
    return (why == HotkeyRefusal::Taken ? L"XATO: hotkey band \u2014 " : L"XATO: hotkey ruxsat etilmadi \u2014 ") + label;
}

Notices startFailureNotices(const std::wstring& errorText) {
    return {L"XATO: yozish boshlanmadi \u2014 " + errorText,
            OverlayNotice{OverlayKind::Warning, L"Mikrofon ochilmadi", 4000},
            BalloonNotice{L"Mikrofon ochilmadi", errorText, BalloonIcon::Error}};
}

Notices modelProblemNotices(const std::wstring& errorText) {
    return {L"", std::nullopt, BalloonNotice{L"Model yuklanmadi", errorText, BalloonIcon::Error}};
}

std::wstring modelFileText(const std::wstring& path, std::uint64_t bytes, const std::wstring& kind) {
    if (path.empty()) return L"Model topilmadi";
    // Megabytes as Uzbek writes them: a decimal comma, tenths below ten.
    const double megabytes = static_cast<double>(bytes) / 1048576.0;
    const long long tenths = std::llround(megabytes * 10);
    const std::wstring size = megabytes < 9.95 ? std::to_wstring(tenths / 10) + L"," + std::to_wstring(tenths % 10)
                                               : std::to_wstring(std::llround(megabytes));
    return path + L" (" + (kind.empty() ? L"" : kind + L", ") + size + L" MB)";
}

std::wstring audioStartLogLine(double milliseconds) {
    return L"ovoz tugma bosilgandan " + std::to_wstring(std::llround(std::max(0.0, milliseconds))) +
           L" ms keyin yozila boshladi";
}

std::wstring takeLogLine(const TakeAnalysis& take) {
    const double tenths = cutToInt32(static_cast<double>(take.seconds) * 10) / 10.0;
    return L"yozish tugadi: " + sixDecimals(tenths) + L"s, peak=" + sixDecimals(static_cast<double>(take.peak));
}

Notices takeNotices(const TakeAnalysis& take) {
    switch (take.verdict) {
    case TakeVerdict::Silent:
        return {L"", OverlayNotice{OverlayKind::Warning, L"Mikrofon jim \u2014 signal yo'q", 4000},
                BalloonNotice{L"Mikrofon jim",
                              L"Signal aniqlanmadi. Mikrofon ulanganini va Windows\n"
                              L"maxfiylik sozlamalarida ruxsat berilganini tekshiring.",
                              BalloonIcon::Warning}};
    case TakeVerdict::TooShort:
        return {L"", OverlayNotice{OverlayKind::Warning, L"Juda qisqa \u2014 kamida 1 soniya gapiring", 3000},
                std::nullopt};
    case TakeVerdict::Ok:
        break;
    }
    return {};
}

Notices cancelledNotices(bool whileRecognising) {
    return {whileRecognising ? L"matnga o'girish bekor qilindi (Esc): natija kiritilmaydi"
                             : L"yozuv bekor qilindi (Esc): tashlab yuborildi",
            OverlayNotice{OverlayKind::Warning, kCancelledText, 1500}, std::nullopt};
}

ResultAction resultAction(const TranscribeResult& result) {
    if (!result.error.empty()) return ResultAction::ShowError;
    if (result.text.empty()) return ResultAction::ShowNoWords;
    return ResultAction::Insert;
}

Notices resultNotices(const TranscribeResult& result) {
    switch (resultAction(result)) {
    case ResultAction::ShowError:
        return {L"XATO: " + result.error, OverlayNotice{OverlayKind::Warning, result.error, 5000},
                BalloonNotice{L"Xatolik", result.error, BalloonIcon::Error}};
    case ResultAction::ShowNoWords:
        return {L"", OverlayNotice{OverlayKind::Warning, L"Ovoz aniqlanmadi \u2014 balandroq gapiring", 3500},
                std::nullopt};
    case ResultAction::Insert:
        break;
    }
    return {resultLogLine(result.text.size(), result.seconds), std::nullopt, std::nullopt};
}

std::wstring resultLogLine(std::size_t characters, double seconds) {
    return L"natija (" + std::to_wstring(characters) + L" belgi, " + std::to_wstring(cutToInt32(seconds * 1000)) +
           L" ms)";
}

namespace {

constexpr wchar_t kOnClipboardOverlay[] = L"Matn clipboard'da \u2014 Ctrl+V bosing";
constexpr wchar_t kNotInsertedTitle[] = L"Matn joylanmadi";
constexpr wchar_t kCopyFromTrayOverlay[] = L"Matn joylanmadi \u2014 tray menyusidan nusxalang";
constexpr wchar_t kCopyFromTrayText[] = L"Matnni tray menyusidagi \"Oxirgi matnni nusxalash\" bilan olish mumkin.";
// The elevated window's explanation without its last line (which promises the clipboard).
constexpr std::wstring_view kElevatedReason(kElevatedWindowText, std::wstring_view(kElevatedWindowText).rfind(L'\n'));

}  // namespace

Notices insertFailureNotices(const std::wstring& reason, bool foregroundElevated, bool textOnClipboard) {
    if (textOnClipboard) {
        const std::wstring message = foregroundElevated ? std::wstring(kElevatedWindowText) : reason;
        return {L"matn joylanmadi: " + message, OverlayNotice{OverlayKind::Warning, kOnClipboardOverlay, 5000},
                BalloonNotice{kNotInsertedTitle, message, BalloonIcon::Warning}};
    }
    const std::wstring why = foregroundElevated ? std::wstring(kElevatedReason) : reason;
    const std::wstring message = why + L"\n" + kCopyFromTrayText;
    return {L"matn joylanmadi, clipboard'ga ham qo'yilmadi: " + why,
            OverlayNotice{OverlayKind::Warning, kCopyFromTrayOverlay, 5000},
            BalloonNotice{kNotInsertedTitle, message, BalloonIcon::Warning}};
}

Notices clipboardOnlyNotices(bool textOnClipboard) {
    if (!textOnClipboard) {
        return {L"matn joylanmadi: faol oyna yo'q, clipboard band",
                OverlayNotice{OverlayKind::Warning, kCopyFromTrayOverlay, 5000},
                BalloonNotice{kNotInsertedTitle, kCopyFromTrayText, BalloonIcon::Warning}};
    }
    return {L"matn clipboard'ga qo'yildi: faol oyna Vornika'niki yoki yo'q",
            OverlayNotice{OverlayKind::Warning, L"Matn clipboard'da \u2014 kerakli joyga Ctrl+V bosing", 5000},
            std::nullopt};
}

std::wstring takeEndingOverlayText(const std::wstring& label, int secondsLeft) {
    return recordingOverlayText(label) + L" \u2014 " + std::to_wstring(secondsLeft < 0 ? 0 : secondsLeft) + L" s qoldi";
}

Notices interruptedTakeNotices(TakeInterruption why, TakeVerdict verdict) {
    const bool recognising = verdict == TakeVerdict::Ok;
    const std::wstring notRecognised =
        std::wstring(L"yozuv bekor qilindi (") + (verdict == TakeVerdict::Silent ? L"jim)" : L"juda qisqa)");
    switch (why) {
    case TakeInterruption::Lock:
        return {recognising ? L"ekran qulflandi: yozuv to'xtatildi va matnga o'girilmoqda"
                            : L"ekran qulflandi: " + notRecognised,
                std::nullopt, std::nullopt};
    case TakeInterruption::Sleep:
        return {recognising ? L"kompyuter uyquga ketmoqda: yozuv to'xtatildi"
                            : L"kompyuter uyquga ketmoqda: " + notRecognised,
                std::nullopt, std::nullopt};
    case TakeInterruption::MicrophoneLost:
        break;
    }
    if (recognising) {
        return {L"XATO: mikrofon yozish paytida uzildi \u2014 yozilgani matnga o'girilmoqda",
                OverlayNotice{OverlayKind::Working, L"Mikrofon uzildi \u2014 yozilgani matnga o'girilmoqda\u2026", 0},
                BalloonNotice{L"Mikrofon uzildi", L"Yozuv to'xtadi; shu paytgacha aytilgani matnga o'girilmoqda.",
                              BalloonIcon::Warning}};
    }
    return {L"XATO: mikrofon yozish paytida uzildi",
            OverlayNotice{OverlayKind::Warning, L"Mikrofon uzildi", 4000},
            BalloonNotice{L"Mikrofon uzildi", L"Mikrofon ulanganini tekshiring va qayta urinib ko'ring.",
                          BalloonIcon::Error}};
}

Notices lockedResultNotices(bool textOnClipboard) {
    if (!textOnClipboard) {
        return {L"matn qulflangan ekranga yozilmadi, clipboard band", std::nullopt,
                BalloonNotice{L"Matn joylanmadi", kCopyFromTrayText, BalloonIcon::Warning}};
    }
    return {L"matn qulflangan ekranga yozilmadi: clipboard'ga qo'yildi", std::nullopt,
            BalloonNotice{L"Matn clipboard'da",
                          L"Ekran qulflangani uchun matn kiritilmadi \u2014 kerakli joyga Ctrl+V bosing.",
                          BalloonIcon::Warning}};
}

Notices windowChangedNotices(bool textOnClipboard) {
    constexpr wchar_t kWindowChanged[] = L"Siz diktovka qilgan oyna endi faol emas \u2014 matn unga kiritilmadi.";
    if (!textOnClipboard) {
        return {L"matn joylanmadi: diktovka qilingan oyna endi oldinda emas, clipboard band",
                OverlayNotice{OverlayKind::Warning, kCopyFromTrayOverlay, 5000},
                BalloonNotice{kNotInsertedTitle, std::wstring(kWindowChanged) + L"\n" + kCopyFromTrayText,
                              BalloonIcon::Warning}};
    }
    return {L"matn clipboard'ga qo'yildi: diktovka qilingan oyna endi oldinda emas",
            OverlayNotice{OverlayKind::Warning, kOnClipboardOverlay, 5000},
            BalloonNotice{L"Matn clipboard'da", std::wstring(kWindowChanged) + L"\nKerakli joyga Ctrl+V bosing.",
                          BalloonIcon::Warning}};
}

Notices withRestFailed(Notices told, const std::wstring& error) {
    if (told.balloon) {
        told.balloon->text += std::wstring(L"\n") + kRestFailedText;
    } else {
        told.balloon = BalloonNotice{L"Matn to'liq emas", std::wstring(kRestFailedText) + L"\n" + error,
                                     BalloonIcon::Warning};
    }
    if (!told.overlay) told.overlay = OverlayNotice{OverlayKind::Warning, L"Matnning bir qismi o'girilmadi", 5000};
    return told;
}

std::wstring restFailedLogLine(const std::wstring& error) {
    return L"XATO: yozuvning bir qismi o'girilmadi (" + error + L"): o'girilgan qismi saqlandi";
}
