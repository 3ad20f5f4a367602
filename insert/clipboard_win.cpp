#include "insert/clipboard_win.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "diag/scoped_win.h"

namespace {

constexpr int kOpenAttempts = 10;
constexpr auto kRetryPause = std::chrono::milliseconds(20);

// The clipboard open for as long as it lives.
class OpenClipboardScope {
public:
    explicit OpenClipboardScope(HWND owner) {
        for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
            if (OpenClipboard(owner)) {
                open = true;
                return;
            }
            std::this_thread::sleep_for(kRetryPause);
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

UniqueGlobal globalBlock(const void* data, std::size_t bytes) {
    UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!block) return block;
    const GlobalLockScope locked(block.get());
    if (locked.data() == nullptr) return nullptr;
    std::memcpy(locked.data(), data, bytes);
    return block;
}

// On the open clipboard; the system owns the block once it is accepted.
bool setData(UINT format, const void* data, std::size_t bytes) {
    UniqueGlobal block = globalBlock(data, bytes);
    if (!block || SetClipboardData(format, block.get()) == nullptr) return false;
    block.release();
    return true;
}

std::wstring textOnOpenClipboard() {
    const HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (data == nullptr) return {};
    const GlobalLockScope locked(data);
    if (locked.data() == nullptr) return {};
    return textOfClipboardBlock(static_cast<const wchar_t*>(locked.data()), GlobalSize(data));
}

// Keeps what the program puts on the clipboard (a dictation, a restored
// earlier text, a card number) out of clipboard history and the cloud
// clipboard. Systems without these formats ignore them.
void markPrivate() {
    static const UINT exclude = RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing");
    static const UINT history = RegisterClipboardFormatW(L"CanIncludeInClipboardHistory");
    static const UINT cloud = RegisterClipboardFormatW(L"CanUploadToCloudClipboard");
    const DWORD no = 0;
    if (exclude != 0) setData(exclude, &no, sizeof(no));
    if (history != 0) setData(history, &no, sizeof(no));
    if (cloud != 0) setData(cloud, &no, sizeof(no));
}

bool replaceOnOpenClipboard(const std::wstring& text) {
    if (!EmptyClipboard()) return false;
    if (!setData(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t))) return false;
    markPrivate();
    return true;
}

}  // namespace

std::wstring textOfClipboardBlock(const wchar_t* data, std::size_t bytes) {
    if (data == nullptr) return {};
    const std::size_t limit = bytes / sizeof(wchar_t);
    std::size_t length = 0;
    while (length < limit && data[length] != L'\0') ++length;
    return std::wstring(data, length);
}

std::wstring readClipboardText(HWND owner) {
    const OpenClipboardScope clipboard(owner);
    return clipboard.isOpen() ? textOnOpenClipboard() : std::wstring();
}

bool writeClipboardText(HWND owner, const std::wstring& text) {
    const OpenClipboardScope clipboard(owner);
    return clipboard.isOpen() && replaceOnOpenClipboard(text);
}

bool replaceClipboardTextIf(HWND owner, const std::wstring& expected, const std::wstring& replacement) {
    const OpenClipboardScope clipboard(owner);
    return clipboard.isOpen() && textOnOpenClipboard() == expected && replaceOnOpenClipboard(replacement);
}
