#include "insert/insert_text.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include <windows.h>

#include "diag/log.h"
#include "diag/scoped_win.h"
#include "insert/clipboard_plan.h"
#include "insert/clipboard_win.h"
#include "insert/key_events.h"

namespace {

constexpr auto kPauseBeforePaste = std::chrono::milliseconds(40);
constexpr auto kPauseBetweenBursts = std::chrono::milliseconds(1);

bool keyIsDown(std::uint16_t vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; }

bool send(const std::vector<KeyEvent>& events) {
    std::vector<INPUT> inputs(events.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = events[i].vk;
        inputs[i].ki.wScan = events[i].scan;
        inputs[i].ki.dwFlags = events[i].flags;
        inputs[i].ki.time = 0;
        inputs[i].ki.dwExtraInfo = 0;
    }
    const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    return sent == inputs.size();
}

bool sendCtrlV() { return send(pasteKeystroke(keyIsDown)); }

// The process of the foreground window; 0 when there is none.
DWORD foregroundProcess() {
    const HWND window = GetForegroundWindow();
    DWORD process = 0;
    if (window != nullptr) GetWindowThreadProcessId(window, &process);
    return process;
}

bool typeText(const std::wstring& text) {
    const std::vector<KeyEvent> prelude = typingPrelude(keyIsDown);
    if (!prelude.empty() && !send(prelude)) return false;
    for (const std::vector<KeyEvent>& burst : typingBursts(text)) {
        if (!send(burst)) return false;
        if (burst.size() >= kTypingBurst) std::this_thread::sleep_for(kPauseBetweenBursts);
    }
    return true;
}

// Counts the copies made for the user; a restore started before one is dropped.
std::atomic<unsigned> clipboardCopies{0};

// The paste whose text the clipboard offers. Set by insertText, read by the
// owner's WM_RENDERFORMAT and restore timer (on the owner's thread): only
// under pasteMutex, and never held across a clipboard call, which may send
// the owner a message.
struct Paste {
    HWND owner = nullptr;
    std::wstring text;
    DWORD targetProcess = 0;
    PasteRestoreTiming timing;
    ClipboardSnapshot saved;      // the user's clipboard, put back once...
    bool restorePending = false;  // ...the timing says so
    unsigned copiesAtPaste = 0;
};
std::mutex pasteMutex;
std::optional<Paste> currentPaste;

constexpr UINT_PTR kRestoreTimer = 0x7A57E;
const UINT kScheduleRestoreMessage = RegisterWindowMessageW(L"VornikaPasteRestore");

// On the owner's thread: the timer for the restore's time as it is now.
void scheduleRestore(HWND owner) {
    PasteRestoreTiming::Clock::time_point at;
    {
        const std::lock_guard lock(pasteMutex);
        if (!currentPaste || currentPaste->owner != owner || !currentPaste->restorePending) return;
        at = currentPaste->timing.restoreAt();
    }
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(at - PasteRestoreTiming::Clock::now()).count();
    SetTimer(owner, kRestoreTimer, static_cast<UINT>(std::max<long long>(wait, USER_TIMER_MINIMUM)), nullptr);
}

long long millisecondsBetween(PasteRestoreTiming::Clock::time_point from, PasteRestoreTiming::Clock::time_point to) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count();
}

// Puts the user's clipboard back, but only while it still holds what the
// paste put there: anything copied since is the user's and stays. now: at
// once, whatever the timing says (the program is ending).
void restoreWhenDue(HWND owner, bool now) {
    std::wstring text;
    ClipboardSnapshot saved;
    unsigned copies = 0;
    std::wstring when;
    {
        const std::lock_guard lock(pasteMutex);
        if (!currentPaste || currentPaste->owner != owner || !currentPaste->restorePending) return;
        const auto at = currentPaste->timing.restoreAt();
        const auto clock = PasteRestoreTiming::Clock::now();
        if (!now && clock < at) return;  // a read moved it later; the timer is set again
        currentPaste->restorePending = false;
        text = currentPaste->text;
        saved = std::move(currentPaste->saved);
        copies = currentPaste->copiesAtPaste;
        when = L"Ctrl+V dan " + std::to_wstring(millisecondsBetween(currentPaste->timing.ctrlVAt(), clock)) + L" ms";
        if (const auto read = currentPaste->timing.targetReadAt())
            when += L", o'qilgandan " + std::to_wstring(millisecondsBetween(*read, clock)) + L" ms";
    }
    if (clipboardCopies.load() != copies) return;
    try {
        if (restoreClipboardIf(owner, text, saved))
            logLine(L"clipboard qaytarildi (" + std::to_wstring(saved.formats.size()) + L" format, " + when + L" keyin)");
    } catch (const std::exception&) {  // out of memory: the dictation stays on the clipboard
        logLine(L"XATO: clipboard qaytarilmadi");
    }
}

// The user's clipboard, for a paste: an earlier paste's still waiting to go
// back when the clipboard holds that paste's text (so a second dictation
// never saves the first as the user's), else what the clipboard holds now.
ClipboardSnapshot userClipboard(HWND owner) {
    std::optional<std::wstring> earlierText;
    {
        const std::lock_guard lock(pasteMutex);
        if (currentPaste && currentPaste->restorePending && currentPaste->owner == owner &&
            currentPaste->copiesAtPaste == clipboardCopies.load())
            earlierText = currentPaste->text;
    }
    // Read outside the lock: an unrendered text is rendered by the owner.
    if (earlierText && readClipboardText(owner) == *earlierText) {
        const std::lock_guard lock(pasteMutex);
        if (currentPaste && currentPaste->restorePending && currentPaste->text == *earlierText) {
            currentPaste->restorePending = false;
            return std::move(currentPaste->saved);
        }
    }
    return saveClipboard(owner);
}

InsertOutcome paste(const std::wstring& text, HWND owner) {
    InsertOutcome outcome;
    ClipboardSnapshot saved = userClipboard(owner);
    if (saved.busy) {
        outcome.message = kClipboardBusyMessage;
        return outcome;
    }
    if (!saved.notWhole.empty()) {
        // Nothing of the user's is replaced: the text is typed instead.
        logLine(L"clipboard saqlanmaydi (" + saved.notWhole + L"): matn tugmalar bilan yoziladi");
        if (typeText(text)) outcome.inserted = true;
        else outcome.message = kTypingFailedMessage;
        return outcome;
    }
    {
        const std::lock_guard lock(pasteMutex);
        currentPaste.emplace();
        currentPaste->owner = owner;
        currentPaste->text = text;
        currentPaste->targetProcess = foregroundProcess();
    }
    if (!offerClipboardText(owner)) {
        const std::lock_guard lock(pasteMutex);
        currentPaste.reset();
        outcome.message = kClipboardBusyMessage;
        return outcome;
    }
    std::this_thread::sleep_for(kPauseBeforePaste);
    {
        // Before the keys go: the target may read before SendInput returns.
        const std::lock_guard lock(pasteMutex);
        currentPaste->timing.ctrlVSent(PasteRestoreTiming::Clock::now());
        currentPaste->copiesAtPaste = clipboardCopies.load();
    }
    if (!sendCtrlV()) {
        outcome.message = kPasteFailedMessage;  // the text stays offered for the user's own Ctrl+V
        return outcome;
    }
    {
        const std::lock_guard lock(pasteMutex);
        currentPaste->restorePending = !saved.formats.empty();
        currentPaste->saved = std::move(saved);
    }
    // The timer is the owner's thread's: set there.
    PostMessageW(owner, kScheduleRestoreMessage, 0, 0);
    outcome.inserted = true;
    return outcome;
}

// The mandatory integrity level of the process's token (its label's last
// sub-authority); none when it cannot be read.
std::optional<DWORD> integrityLevel(HANDLE process) {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &raw)) return std::nullopt;
    const UniqueHandle token(raw);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenIntegrityLevel, nullptr, 0, &size);
    if (size < sizeof(TOKEN_MANDATORY_LABEL)) return std::nullopt;
    std::vector<BYTE> buffer(size);
    if (!GetTokenInformation(token.get(), TokenIntegrityLevel, buffer.data(), size, &size)) return std::nullopt;
    const PSID label = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer.data())->Label.Sid;
    if (label == nullptr || !IsValidSid(label) || *GetSidSubAuthorityCount(label) == 0) return std::nullopt;
    return *GetSidSubAuthority(label, *GetSidSubAuthorityCount(label) - 1u);
}

}  // namespace

InsertOutcome insertText(const TranscribeResult& result, InsertMode mode, HWND clipboardOwner) {
    InsertOutcome outcome;
    const std::wstring& text = result.text;
    if (text.empty()) {
        outcome.message = kEmptyTextMessage;
        return outcome;
    }
    if (mode == InsertMode::Type) {
        if (typeText(text))
            outcome.inserted = true;
        else
            outcome.message = kTypingFailedMessage;
        return outcome;
    }
    return paste(text, clipboardOwner);
}

bool answerClipboardMessage(HWND owner, UINT message, WPARAM wParam) {
    if (message == kScheduleRestoreMessage && kScheduleRestoreMessage != 0) {
        scheduleRestore(owner);
        return true;
    }
    if (message == WM_TIMER && wParam == kRestoreTimer) {
        KillTimer(owner, kRestoreTimer);  // a Win32 timer repeats
        restoreWhenDue(owner, false);
        scheduleRestore(owner);  // set again when a read moved the time on
        return true;
    }
    if (message == WM_RENDERFORMAT && wParam == CF_UNICODETEXT) {
        // Who reads: the window that opened the clipboard, when it named one.
        DWORD reader = 0;
        if (const HWND opener = GetOpenClipboardWindow()) GetWindowThreadProcessId(opener, &reader);
        std::wstring text;
        {
            const std::lock_guard lock(pasteMutex);
            if (!currentPaste || currentPaste->owner != owner) return true;
            text = currentPaste->text;
            const bool byTarget = reader == 0 || reader == currentPaste->targetProcess;
            currentPaste->timing.read(PasteRestoreTiming::Clock::now(), byTarget && reader != GetCurrentProcessId());
        }
        renderClipboardText(text);
        scheduleRestore(owner);
        return true;
    }
    if (message == WM_RENDERALLFORMATS) {
        std::wstring text;
        {
            const std::lock_guard lock(pasteMutex);
            if (!currentPaste || currentPaste->owner != owner) return true;
            text = currentPaste->text;
        }
        renderOfferedTextForGood(owner, text);
        logLine(L"clipboard: o'qilmagan matn dastur oynasi yopilishidan oldin qoldirildi");
        return true;
    }
    return false;
}

void finishPaste(HWND owner) { restoreWhenDue(owner, true); }

void dropPendingClipboardRestores() { ++clipboardCopies; }

bool foregroundIsOwnOrMissing() {
    return GetForegroundWindow() == nullptr || foregroundProcess() == GetCurrentProcessId();
}

bool isForegroundElevated() {
    const DWORD process = foregroundProcess();
    if (process == 0) return false;
    // Any process of the same user may be opened with limited query rights,
    // an elevated one too; what tells is its integrity level.
    const UniqueHandle handle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
    if (!handle) return true;
    const std::optional<DWORD> theirs = integrityLevel(handle.get());
    const std::optional<DWORD> ours = integrityLevel(GetCurrentProcess());
    return !theirs || !ours || *theirs > *ours;
}
