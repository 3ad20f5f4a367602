#include "insert/clipboard_win.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <thread>

#include "diag/scoped_win.h"
#include "insert/clipboard_plan.h"

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
    if (!block || bytes == 0) return block;  // an empty block cannot be locked
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

std::wstring formatName(UINT format) {
    wchar_t name[128] = {};
    if (format >= kFormatRegisteredFirst && GetClipboardFormatNameW(format, name, 128) > 0) return name;
    wchar_t number[16];
    std::swprintf(number, 16, L"0x%04X", format);
    return number;
}

// The size of a format's data on the open clipboard; nullopt when it
// cannot be had (a delayed format its owner did not render).
std::optional<std::uint64_t> sizeOf(UINT format) {
    // A handle is not copied, so not asked for (an owner-display format gives none).
    if (formatData(format) == FormatData::Handle) return 0;
    const HANDLE data = GetClipboardData(format);
    if (data == nullptr) return std::nullopt;
    if (formatData(format) == FormatData::EnhancedMetafile)
        return GetEnhMetaFileBits(static_cast<HENHMETAFILE>(data), 0, nullptr);
    return GlobalSize(data);
}

bool copyOf(UINT format, std::string& bytes) {
    const HANDLE data = GetClipboardData(format);
    if (data == nullptr) return false;
    if (formatData(format) == FormatData::EnhancedMetafile) {
        const auto metafile = static_cast<HENHMETAFILE>(data);
        bytes.resize(GetEnhMetaFileBits(metafile, 0, nullptr));
        return GetEnhMetaFileBits(metafile, static_cast<UINT>(bytes.size()), reinterpret_cast<BYTE*>(bytes.data())) ==
               bytes.size();
    }
    const GlobalLockScope locked(data);
    if (locked.data() == nullptr && GlobalSize(data) != 0) return false;
    bytes.assign(static_cast<const char*>(locked.data()), GlobalSize(data));
    return true;
}

bool putBack(const ClipboardSnapshot::Format& saved) {
    if (formatData(saved.format) != FormatData::EnhancedMetafile) return setData(saved.format, saved.bytes.data(), saved.bytes.size());
    UniqueEnhMetaFile metafile(SetEnhMetaFileBits(static_cast<UINT>(saved.bytes.size()),
                                                  reinterpret_cast<const BYTE*>(saved.bytes.data())));
    if (!metafile || SetClipboardData(saved.format, metafile.get()) == nullptr) return false;
    metafile.release();
    return true;
}

bool replaceOnOpenClipboard(const std::wstring& text) {
    if (!EmptyClipboard() || !renderClipboardText(text)) return false;
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

ClipboardSnapshot saveClipboard(HWND owner) {
    ClipboardSnapshot snapshot;
    const OpenClipboardScope clipboard(owner);
    if (!clipboard.isOpen()) {
        snapshot.busy = true;
        return snapshot;
    }
    std::vector<ClipboardFormat> formats;
    for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
        // A format whose owner renders nothing is not there to be lost.
        if (const std::optional<std::uint64_t> bytes = sizeOf(format)) formats.push_back({format, *bytes});
    }
    const ClipboardSavePlan plan = planClipboardSave(formats);
    if (plan.unsaved) {
        snapshot.notWhole = L"format " + formatName(*plan.unsaved) + L" nusxalab bo'lmaydi";
        return snapshot;
    }
    if (plan.tooLarge) {
        snapshot.notWhole = L"64 MB dan katta";
        return snapshot;
    }
    for (const std::uint32_t format : plan.save) {
        ClipboardSnapshot::Format saved{format, {}};
        if (!copyOf(format, saved.bytes)) {
            snapshot.formats.clear();
            snapshot.notWhole = L"format " + formatName(format) + L" o'qilmadi";
            return snapshot;
        }
        snapshot.formats.push_back(std::move(saved));
    }
    return snapshot;
}

bool offerClipboardText(HWND owner) {
    const OpenClipboardScope clipboard(owner);
    if (!clipboard.isOpen() || !EmptyClipboard()) return false;
    // A null handle: the data is rendered when a program first asks for it.
    SetClipboardData(CF_UNICODETEXT, nullptr);
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) return false;
    markPrivate();
    return true;
}

bool renderClipboardText(const std::wstring& text) {
    return setData(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

void renderOfferedTextForGood(HWND owner, const std::wstring& text) {
    const OpenClipboardScope clipboard(owner);
    if (clipboard.isOpen() && GetClipboardOwner() == owner) renderClipboardText(text);
}

bool restoreClipboardIf(HWND owner, const std::wstring& expected, const ClipboardSnapshot& snapshot) {
    const OpenClipboardScope clipboard(owner);
    if (!clipboard.isOpen() || GetClipboardOwner() != owner || textOnOpenClipboard() != expected) return false;
    if (!EmptyClipboard()) return false;
    bool all = true;
    for (const ClipboardSnapshot::Format& saved : snapshot.formats) all = putBack(saved) && all;
    markPrivate();
    return all;
}
