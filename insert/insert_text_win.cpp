#include "insert/insert_text.h"

#include <atomic>
#include <chrono>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include <windows.h>

#include "diag/log.h"
#include "diag/scoped_win.h"
#include "insert/clipboard_win.h"
#include "insert/key_events.h"

namespace {

constexpr auto kPauseBeforePaste = std::chrono::milliseconds(40);
constexpr auto kRestoreDelay = std::chrono::milliseconds(700);
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

// Puts the user's earlier text back, but only while the clipboard still holds
// what the paste put there: anything copied since is the user's and stays.
void restoreClipboardLater(HWND owner, std::wstring saved, std::wstring pasted, unsigned copiesAtPaste) {
    std::this_thread::sleep_for(kRestoreDelay);
    if (clipboardCopies.load() != copiesAtPaste) return;
    try {
        replaceClipboardTextIf(owner, pasted, saved);
    } catch (const std::exception&) {  // out of memory: the dictation stays on the clipboard
        logLine(L"XATO: clipboard qaytarilmadi");
    }
}

// One thread per paste; without one the earlier text is not given back.
void startRestore(HWND owner, std::wstring saved, const std::wstring& pasted) {
    try {
        std::thread(restoreClipboardLater, owner, std::move(saved), pasted, clipboardCopies.load()).detach();
    } catch (const std::exception&) {  // no thread, or no memory for its copy of the texts
        logLine(L"XATO: clipboard qaytarilmaydi (oqim ochilmadi)");
    }
}

// The process of the foreground window; 0 when there is none.
DWORD foregroundProcess() {
    const HWND window = GetForegroundWindow();
    DWORD process = 0;
    if (window != nullptr) GetWindowThreadProcessId(window, &process);
    return process;
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
    std::wstring saved = readClipboardText(clipboardOwner);
    if (!writeClipboardText(clipboardOwner, text)) {
        outcome.message = kClipboardBusyMessage;
        return outcome;
    }
    std::this_thread::sleep_for(kPauseBeforePaste);
    if (!sendCtrlV()) {
        outcome.message = kPasteFailedMessage;
        return outcome;
    }
    if (!saved.empty()) startRestore(clipboardOwner, std::move(saved), text);
    outcome.inserted = true;
    return outcome;
}

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
