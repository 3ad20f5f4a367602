// libFuzzer target for the settings file's text grammar. Every input is
// read twice: as the bytes of a hand-edited settings.ini (the parser must
// survive anything and always hand back a repaired record), and as the
// description of a record that is written and read back, which must give
// the same record except where the file format itself loses something:
// blanks at the ends of strings, line breaks and other control characters
// inside them, characters that are not Unicode scalar values, and the four
// repairs.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "diag/encoding.h"
#include "diag/text_trim.h"
#include "settings/settings_text.h"

namespace {

void fail(const char* what) {
    std::fprintf(stderr, "settings grammar: %s\n", what);
    std::abort();
}

std::wstring someText(FuzzedDataProvider& in) {
    const std::size_t length = in.ConsumeIntegralInRange<std::size_t>(0, 48);
    std::wstring text;
    for (std::size_t i = 0; i < length && in.remaining_bytes() > 0; ++i) {
        // Mostly the characters that matter to the grammar, sometimes anything.
        static const wchar_t kInteresting[] = L" \t\r=#;-+0123456789abcDTtype\u00A0\uFEFF\u2014\u02BB";
        const bool interesting = in.ConsumeBool();
        char32_t c = interesting ? kInteresting[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kInteresting) - 2)]
                                 : in.ConsumeIntegralInRange<char32_t>(0, 0x10FFFF);
        if (c == U'\n' || (c >= 0xD800 && c <= 0xDFFF)) c = U'?';
        text += static_cast<wchar_t>(c);
    }
    return text;
}

Settings someRecord(FuzzedDataProvider& in) {
    Settings s;
    s.vk = in.ConsumeIntegral<std::uint32_t>();
    s.modifiers = in.ConsumeIntegral<std::uint32_t>();
    s.label = someText(in);
    s.deviceId = someText(in);
    s.deviceName = someText(in);
    s.insertMode = in.ConsumeBool() ? InsertMode::Type : InsertMode::Paste;
    s.autoStart = in.ConsumeBool();
    s.useGpu = in.ConsumeBool();
    s.idleUnloadSeconds = in.ConsumeIntegral<std::int32_t>();
    s.didOnboard = in.ConsumeBool();
    return s;
}

// What reading back is allowed to change.
Settings afterReading(Settings s) {
    // Every text is written on one line: breaks become ", ", other control
    // characters spaces.
    s.label = trimBlanks(oneLineValue(s.label));
    s.deviceId = trimBlanks(oneLineValue(s.deviceId));
    s.deviceName = trimBlanks(oneLineValue(s.deviceName));
    if (s.modifiers == 0) s.modifiers = 3;
    if (s.vk == 0) s.vk = 68;
    if (s.label.empty()) s.label = L"D";
    if (s.idleUnloadSeconds < 10) s.idleUnloadSeconds = 180;
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Settings read = parseSettingsText(fromUtf8(std::string(reinterpret_cast<const char*>(data), size)));
    if (read.modifiers == 0 || read.vk == 0 || read.label.empty() || read.idleUnloadSeconds < 10)
        fail("a parsed record escaped the repairs");

    FuzzedDataProvider in(data, size);
    const Settings written = someRecord(in);
    const Settings back = parseSettingsText(fromUtf8(toUtf8(composeSettingsText(written))));
    if (!(back == afterReading(written))) fail("a saved record did not load back");
    return 0;
}
