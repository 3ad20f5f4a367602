#include "app/text_choice.h"

#include "diag/encoding.h"

TextStyle textStyleOf(const Settings& settings) {
    TextStyle style;
    style.script = static_cast<ScriptChoice>(settings.textScript);
    style.apostrophe = static_cast<ApostropheChoice>(settings.textApostrophe);
    style.trailingSpace = settings.textTrailingSpace;
    style.spokenBreaks = settings.textSpokenBreaks;
    return style;
}

namespace {

std::wstring windowsLineEnds(const std::wstring& text) {
    std::wstring lines;
    lines.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) lines += L'\r';
        lines += text[i];
    }
    return lines;
}

}  // namespace

std::wstring deliveredText(const std::wstring& recognised, const Settings& settings) {
    if (recognised.empty()) return recognised;
    return windowsLineEnds(fromUtf8(styleText(toUtf8(recognised), textStyleOf(settings))));
}

std::wstring textExample(const Settings& settings) {
    // As a model might write it: ASCII apostrophes, a spoken line break.
    static const std::wstring kSample = L"Yanvarda o'qish boshlandi. Yangi qator. Ma'lumot kompyuterda.";
    const std::wstring styled = fromUtf8(styleText(toUtf8(kSample), textStyleOf(settings)));
    return L"Namuna: \u00AB" + styled + L"\u00BB";
}
