#pragma once
// What the dictation cycle says and shows, as pure functions: tooltips, menu
// items, log lines, and the notices for each way a take or a result can end.
// The controller only carries these out.

#include <cstdint>
#include <optional>
#include <string>

#include "audio/sample_convert.h"
#include "engine/transcription_service.h"
#include "ui/overlay_layout.h"

inline constexpr wchar_t kIdleTip[] = L"Vornika";
inline constexpr wchar_t kWorkingText[] = L"Matnga o'girilmoqda\u2026";
inline constexpr wchar_t kSettingsMenuItem[] = L"Sozlamalar\u2026";
inline constexpr wchar_t kOpenLogMenuItem[] = L"Log faylini ochish\u2026";
inline constexpr wchar_t kExitMenuItem[] = L"Chiqish";
inline constexpr wchar_t kCopyLastTextMenuItem[] = L"Oxirgi matnni nusxalash";
inline constexpr wchar_t kHistoryMenuItem[] = L"Oxirgi matnlar";
inline constexpr wchar_t kCancelledText[] = L"Bekor qilindi";
// The hotkey pressed while a take is still being recognised: shown this long,
// then the strip says it is working again.
inline constexpr wchar_t kStillWorkingText[] = L"Hali matnga o'girilmoqda\u2026";
inline constexpr int kStillWorkingMilliseconds = 1500;
inline constexpr wchar_t kStartedLogLine[] = L"--- ilova ishga tushdi ---";
inline constexpr wchar_t kClosedLogLine[] = L"--- ilova yopildi ---";
inline constexpr wchar_t kAlreadyRunningText[] =
    L"Vornika allaqachon ishlayapti.\nSozlamalar uchun vazifalar panelidagi \U0001F399 ikonkasini bosing.";
inline constexpr wchar_t kStartFailedText[] = L"Ilova ishga tushmadi. Log faylini tekshiring.";
inline constexpr wchar_t kElevatedWindowText[] =
    L"Faol oyna administrator huquqi bilan ishlayapti \u2014\nWindows unga matn yuborishga ruxsat bermaydi.\n"
    L"Matn clipboard'da: Ctrl+V bosing.";

// The tray tooltip holds 127 units and its terminator.
inline constexpr std::size_t kTrayTipLimit = 127;
std::wstring fitTrayTip(const std::wstring& text);

std::wstring recordingTip(const std::wstring& label);
std::wstring recordingOverlayText(const std::wstring& label);
// The tray menu's first item: stop while recording, otherwise start.
std::wstring toggleMenuItem(const std::wstring& label, bool recording);
// Why Windows did not give a hotkey: another program (or Windows itself)
// holds it, or it is one Windows keeps from programs.
enum class HotkeyRefusal { Taken, NotAllowed };
// The box shown at the start when the saved hotkey cannot be had.
std::wstring busyHotkeyText(const std::wstring& label, const std::wstring& settingsPath,
                            HotkeyRefusal why = HotkeyRefusal::Taken);
// The box shown when a hotkey chosen in the settings window cannot be had:
// why, and which hotkey works now (working empty: none does).
std::wstring hotkeyChangeRefusedText(const std::wstring& wanted, HotkeyRefusal why, const std::wstring& working);
// The log line for a hotkey that could not be had.
std::wstring hotkeyRefusedLogLine(const std::wstring& label, HotkeyRefusal why);

enum class BalloonIcon : std::uint32_t { Warning = 2, Error = 3 };  // NIIF_WARNING, NIIF_ERROR

struct OverlayNotice {
    OverlayKind kind = OverlayKind::Warning;
    std::wstring text;
    int timeoutMilliseconds = 0;
    bool operator==(const OverlayNotice&) const = default;
};

struct BalloonNotice {
    std::wstring title;
    std::wstring text;
    BalloonIcon icon = BalloonIcon::Warning;
    bool operator==(const BalloonNotice&) const = default;
};

// What the user is told; an empty part is not shown (or not logged).
struct Notices {
    std::wstring logLine;
    std::optional<OverlayNotice> overlay;
    std::optional<BalloonNotice> balloon;
    bool operator==(const Notices&) const = default;
};

// Esc during a take (its samples are thrown away) or during its recognition
// (the text, when it comes, goes to the history only).
Notices cancelledNotices(bool whileRecognising);
// A result that is the own-words prompt talking, not the user: no words.
inline constexpr wchar_t kPromptEchoLogLine[] = L"natija faqat o'z so'zlar ro'yxatini takrorladi: nutq yo'q deb olindi";

// A take that could not start.
Notices startFailureNotices(const std::wstring& errorText);

// The model could not be loaded at start or after the settings were saved
// (the service has logged why): said at once, before the user speaks. The
// tray tip says so until a recognition succeeds.
inline constexpr wchar_t kModelProblemTip[] = L"Vornika \u2014 model yuklanmadi";
Notices modelProblemNotices(const std::wstring& errorText);
// The settings window's line for the model file: its path, what it is
// ("medium, q8_0"; empty when unknown) and its size, or that none was found.
std::wstring modelFileText(const std::wstring& path, std::uint64_t bytes, const std::wstring& kind);

// How long after the press the take's first sound was recorded: what the
// start of a dictation lost.
std::wstring audioStartLogLine(double milliseconds);

// "yozish tugadi: 2.300000s, peak=0.410000": the length cut to tenths.
std::wstring takeLogLine(const TakeAnalysis& take);
// A finished take: silent and too short takes end here with a warning; an
// Ok take gets no notices and goes to recognition.
Notices takeNotices(const TakeAnalysis& take);

enum class ResultAction { ShowError, ShowNoWords, Insert };
ResultAction resultAction(const TranscribeResult& result);
// The notices for an error or for no words; for Insert, its log line.
Notices resultNotices(const TranscribeResult& result);
// "natija (42 belgi, 1234 ms)".
std::wstring resultLogLine(std::size_t characters, double seconds);
// Text that could not be inserted: the insertion's reason, or why an
// elevated window refuses it. It points to the clipboard only when the text
// was put there; otherwise to the tray menu's last text.
Notices insertFailureNotices(const std::wstring& reason, bool foregroundElevated, bool textOnClipboard);
// The strip in a take's last half minute: "Yozilmoqda…  (Ctrl+Alt+D) — 12 s qoldi".
std::wstring takeEndingOverlayText(const std::wstring& label, int secondsLeft);
inline constexpr int kTakeEndingWarningSeconds = 30;

// The take ended without the user: the microphone went away, the computer
// goes to sleep or the session was locked. The take passes the same checks
// as one the user ended; verdict Ok: it is being recognised.
enum class TakeInterruption { MicrophoneLost, Sleep, Lock };
Notices interruptedTakeNotices(TakeInterruption why, TakeVerdict verdict);

// A text that was not typed because the session was locked when it came, or
// when its take ended: on the clipboard (or not). Told after the unlock.
Notices lockedResultNotices(bool textOnClipboard);

// Text kept from every window (the foreground is one of Vornika's own, or
// there is none): put on the clipboard for the user to paste where they want.
Notices clipboardOnlyNotices(bool textOnClipboard);

// The text was ready while another window than the one the user dictated
// into was in front: nothing typed, the text on the clipboard (or not).
Notices windowChangedNotices(bool textOnClipboard);

// A take whose later part failed after earlier parts were recognised: what
// tells where the text went, and that part of the take is missing.
inline constexpr wchar_t kRestFailedText[] = L"Yozuvning bir qismi matnga o'girilmadi.";
Notices withRestFailed(Notices told, const std::wstring& error);
std::wstring restFailedLogLine(const std::wstring& error);
