#pragma once
// What a paste keeps of the user's clipboard, and when it gives it back, as
// plain values: which of the formats on the clipboard are saved, and whether
// the clipboard can be saved whole (else the text is typed and nothing of the
// user's is replaced); and the restore's time, from the Ctrl+V and the first
// read of the pasted text after it. The platform reads and writes the data.

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

// Windows' CF_* values for the formats the plan names.
inline constexpr std::uint32_t kFormatText = 1, kFormatBitmap = 2, kFormatMetafilePicture = 3, kFormatOemText = 7,
                               kFormatDib = 8, kFormatPalette = 9, kFormatUnicodeText = 13,
                               kFormatEnhancedMetafile = 14, kFormatFileList = 15, kFormatLocale = 16,
                               kFormatDibV5 = 17, kFormatOwnerDisplay = 0x80, kFormatPrivateFirst = 0x200,
                               kFormatGdiObjectFirst = 0x300, kFormatRegisteredFirst = 0xC000;

// The most a paste copies of the user's clipboard; a larger one is not
// replaced (the text is typed instead).
inline constexpr std::uint64_t kLargestSavedClipboard = 64ull << 20;

enum class FormatData {
    Memory,              // a global memory block: its bytes are the data
    EnhancedMetafile,    // a handle whose bytes GetEnhMetaFileBits gives
    Handle,              // any other handle (bitmaps, palettes, private and GDI formats): cannot be copied
};
FormatData formatData(std::uint32_t format);

struct ClipboardFormat {
    std::uint32_t format = 0;
    std::uint64_t bytes = 0;  // the data's size, as the platform measured it
};

struct ClipboardSavePlan {
    std::vector<std::uint32_t> save;  // in the clipboard's order
    // What keeps the clipboard from being saved whole: its first handle
    // format, or more data than kLargestSavedClipboard.
    std::optional<std::uint32_t> unsaved;
    bool tooLarge = false;
    bool whole() const { return !unsaved && !tooLarge; }
};

// Every format is saved but those Windows makes from another one on the
// clipboard (CF_TEXT, CF_OEMTEXT and CF_LOCALE beside CF_UNICODETEXT; CF_BITMAP
// and CF_PALETTE beside a DIB; the metafile picture beside the enhanced
// metafile). A handle format left, or more than kLargestSavedClipboard in
// all, and nothing can be saved whole.
ClipboardSavePlan planClipboardSave(const std::vector<ClipboardFormat>& formats);

// When the user's clipboard comes back after a paste. A read of the pasted
// text counts when it comes after the Ctrl+V from the target's process (or
// one that cannot be told): earlier reads and other processes' are clipboard
// watchers. The restore follows the read shortly, never before kLeast; with
// no read it waits kMost (a watcher's read renders the text for good, so a
// later read by the target cannot be seen).
class PasteRestoreTiming {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kLeast{700}, kAfterRead{150}, kMost{4000};

    void ctrlVSent(Clock::time_point at);
    void read(Clock::time_point at, bool byTarget);
    Clock::time_point restoreAt() const;
    Clock::time_point ctrlVAt() const { return ctrlV; }
    std::optional<Clock::time_point> targetReadAt() const { return targetRead; }

private:
    Clock::time_point ctrlV{};
    bool sent = false;
    std::optional<Clock::time_point> targetRead;
};
