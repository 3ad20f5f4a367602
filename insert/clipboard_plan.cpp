#include "insert/clipboard_plan.h"

#include <algorithm>

namespace {

bool holds(const std::vector<ClipboardFormat>& formats, std::uint32_t format) {
    return std::any_of(formats.begin(), formats.end(), [format](const ClipboardFormat& f) { return f.format == format; });
}

// Made by Windows from another format on the clipboard, and made again from
// it after the restore.
bool madeFromAnother(std::uint32_t format, const std::vector<ClipboardFormat>& formats) {
    switch (format) {
    case kFormatText:
    case kFormatOemText:
    case kFormatLocale:
        return holds(formats, kFormatUnicodeText);
    case kFormatBitmap:
    case kFormatPalette:
        return holds(formats, kFormatDib) || holds(formats, kFormatDibV5);
    case kFormatMetafilePicture:
        return holds(formats, kFormatEnhancedMetafile);
    default:
        return false;
    }
}

}  // namespace

FormatData formatData(std::uint32_t format) {
    if (format >= kFormatRegisteredFirst) return FormatData::Memory;  // registered formats are global memory
    switch (format) {
    case kFormatText: case 4 /* SYLK */: case 5 /* DIF */: case 6 /* TIFF */: case kFormatOemText: case kFormatDib:
    case 10 /* PENDATA */: case 11 /* RIFF */: case 12 /* WAVE */: case kFormatUnicodeText: case kFormatFileList:
    case kFormatLocale: case kFormatDibV5: case 0x81 /* DSPTEXT */:
        return FormatData::Memory;
    case kFormatEnhancedMetafile:
        return FormatData::EnhancedMetafile;
    default:  // bitmaps, palettes, metafile pictures, display, private and GDI formats, and unknown ones
        return FormatData::Handle;
    }
}

ClipboardSavePlan planClipboardSave(const std::vector<ClipboardFormat>& formats) {
    ClipboardSavePlan plan;
    std::uint64_t total = 0;
    for (const ClipboardFormat& f : formats) {
        if (madeFromAnother(f.format, formats)) continue;
        if (formatData(f.format) == FormatData::Handle) {
            if (!plan.unsaved) plan.unsaved = f.format;
            continue;
        }
        total += std::min(f.bytes, kLargestSavedClipboard + 1);
        plan.save.push_back(f.format);
    }
    plan.tooLarge = total > kLargestSavedClipboard;
    if (!plan.whole()) plan.save.clear();
    return plan;
}

void PasteRestoreTiming::ctrlVSent(Clock::time_point at) {
    ctrlV = at;
    sent = true;
}

void PasteRestoreTiming::read(Clock::time_point at, bool byTarget) {
    if (sent && byTarget && !targetRead) targetRead = at;
}

PasteRestoreTiming::Clock::time_point PasteRestoreTiming::restoreAt() const {
    if (!targetRead) return ctrlV + kMost;
    return std::max(ctrlV + kLeast, *targetRead + kAfterRead);
}
