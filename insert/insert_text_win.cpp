#include "insert/insert_text.h"

#include <chrono>
#include <cstring>
#include <memory>
#include <thread>

#include <windows.h>

#include "insert/key_events.h"

namespace {

constexpr int kClipboardAttempts = 10;
constexpr auto kClipboardRetryPause = std::chrono::milliseconds(20);
constexpr auto kPauseBeforePaste = std::chrono::milliseconds(40);
constexpr auto kRestoreDelay = std::chrono::milliseconds(700);
constexpr auto kPauseBetweenBursts = std::chrono::milliseconds(1);

struct GlobalFreer {
    void operator()(HGLOBAL block) const { GlobalFree(block); }
};
using UniqueGlobal = std::unique_ptr<void, GlobalFreer>;

// Open for as long as it lives; no owner window.
class OpenClipboardScope {
public:
    OpenClipboardScope() {
        for (int attempt = 0; attempt < kClipboardAttempts; ++attempt) {
            if (OpenClipboard(nullptr)) {
                open = true;
                return;
            }
            std::this_thread::sleep_for(kClipboardRetryPause);
        }
    }
    ~OpenClipboardScope() {
        if (open) CloseClipboard();
    }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    bool isOpen() const { return open; }

private:
    bool open = false;
};

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

// The clipboard's Unicode text; it must be open.
std::wstring textOnOpenClipboard() {
    const HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (data == nullptr) return {};
    const auto* text = static_cast<const wchar_t*>(GlobalLock(data));
    if (text == nullptr) return {};
    std::wstring copy = text;
    GlobalUnlock(data);
    return copy;
}

UniqueGlobal textBlock(const std::wstring& text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!block) return block;
    void* memory = GlobalLock(block.get());
    if (memory == nullptr) return nullptr;
    std::memcpy(memory, text.c_str(), bytes);
    GlobalUnlock(block.get());
    return block;
}

// Replaces the open clipboard's contents; the system owns the block afterwards.
bool putOnOpenClipboard(UniqueGlobal block) {
    EmptyClipboard();
    if (SetClipboardData(CF_UNICODETEXT, block.get()) == nullptr) return false;
    block.release();
    return true;
}

std::wstring readClipboardText() {
    const OpenClipboardScope clipboard;
    return clipboard.isOpen() ? textOnOpenClipboard() : std::wstring();
}

bool setClipboardText(const std::wstring& text) {
    UniqueGlobal block = textBlock(text);
    if (!block) return false;
    const OpenClipboardScope clipboard;
    return clipboard.isOpen() && putOnOpenClipboard(std::move(block));
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

// Puts the user's earlier text back, but only while the clipboard still holds
// what the paste put there: anything copied since is the user's and stays.
// The check and the restore happen in one opening of the clipboard.
void restoreClipboardLater(std::wstring saved, std::wstring pasted) {
    std::this_thread::sleep_for(kRestoreDelay);
    UniqueGlobal block = textBlock(saved);
    if (!block) return;
    const OpenClipboardScope clipboard;
    if (clipboard.isOpen() && textOnOpenClipboard() == pasted) putOnOpenClipboard(std::move(block));
}

}  // namespace

InsertOutcome insertText(const TranscribeResult& result, InsertMode mode) {
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
    std::wstring saved = readClipboardText();
    if (!setClipboardText(text)) {
        outcome.message = kClipboardBusyMessage;
        return outcome;
    }
    std::this_thread::sleep_for(kPauseBeforePaste);
    if (!sendCtrlV()) {
        outcome.message = kPasteFailedMessage;
        return outcome;
    }
    if (!saved.empty()) std::thread(restoreClipboardLater, std::move(saved), text).detach();
    outcome.inserted = true;
    return outcome;
}

bool isForegroundElevated() {
    const HWND window = GetForegroundWindow();
    if (window == nullptr) return false;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == 0) return false;
    const HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
    if (handle == nullptr) return true;
    CloseHandle(handle);
    return false;
}
