#include "audio/microphones.h"

#include <algorithm>
#include <iterator>

namespace {

struct Keyword {
    const wchar_t* text;
    MicKind kind;
};

// In this order: loopback words win over headset words, those over virtual ones.
constexpr Keyword kKeywords[] = {
    {L"stereo mix", MicKind::Loopback},
    {L"\u0441\u0442\u0435\u0440\u0435\u043E \u043C\u0438\u043A\u0448\u0435\u0440", MicKind::Loopback},
    {L"what u hear", MicKind::Loopback},
    {L"wave out", MicKind::Loopback},
    {L"hands-free", MicKind::Headset},
    {L"handsfree", MicKind::Headset},
    {L"\u0433\u043E\u043B\u043E\u0432\u043D\u043E\u0439 \u0442\u0435\u043B\u0435\u0444\u043E\u043D", MicKind::Headset},
    {L"bluetooth", MicKind::Headset},
    {L"iriun", MicKind::Virtual},
    {L"obs", MicKind::Virtual},
    {L"vb-audio", MicKind::Virtual},
    {L"cable output", MicKind::Virtual},
    {L"voicemeeter", MicKind::Virtual},
    {L"virtual", MicKind::Virtual},
};

int sortRank(MicKind kind) {
    switch (kind) {
    case MicKind::Headset: return 1;
    case MicKind::Virtual: return 2;
    case MicKind::Loopback: return 3;
    default: return 0;  // Normal, and any value outside the four
    }
}

}  // namespace

MicKind classifyLowercaseName(const std::wstring& lowercaseName) {
    for (const Keyword& keyword : kKeywords)
        if (lowercaseName.find(keyword.text) != std::wstring::npos) return keyword.kind;
    return MicKind::Normal;
}

MicKind classifyMicrophone(const std::wstring& name) { return classifyLowercaseName(lowercaseName(name)); }

void sortMicrophones(std::vector<MicDevice>& devices) {
    std::stable_sort(devices.begin(), devices.end(), [](const MicDevice& x, const MicDevice& y) {
        const int rx = sortRank(x.kind), ry = sortRank(y.kind);
        return rx < ry || (rx == ry && x.isDefault && !y.isDefault);
    });
}

std::wstring warningText(const MicDevice& device) {
    switch (device.kind) {
    case MicKind::Loopback:
        return L"Bu mikrofon emas \u2014 u kompyuterdagi ovozni yozadi.\nOvozingiz yozilmaydi. Boshqa qurilma tanlang.";
    case MicKind::Headset:
        return L"Bluetooth quloqchin mikrofoni. Windows uni past sifatga\n(telefon ovozi) o'tkazadi \u2014 matn aniqligi "
               L"pasayadi.\nImkon bo'lsa oddiy mikrofon ishlating.";
    case MicKind::Virtual:
        return L"Virtual mikrofon. Manba ilova ishlamasa ovoz o'rniga\nsukunat yoziladi.";
    default:
        return {};
    }
}
