// void benchText();
// How long the text style takes on a long dictation: a 1,000-word Uzbek
// Latin text to Cyrillic with standard apostrophes, and the Cyrillic text
// back to Latin. Each figure is the median of many conversions.

#include <chrono>
#include <string>
#include <vector>

#include "text/text_style.h"
#include "tools/vornika-bench/bench.h"

namespace {

// 50 words; the mix a dictation has: oʻ/gʻ with ASCII apostrophes, sh/ch,
// ye/yo, loans from the word list with suffixes, digits and punctuation.
constexpr const char* kParagraph =
    "Bugun ertalab yanvarda biz do'stlarimiz bilan shahar markazidagi katta bog'da uchrashdik. "
    "Kompyuterlar va telefonlar haqida gaplashdik, keyin 2024-yilgi konsert dasturini ko'rib "
    "chiqdik. Ta'lim vazirligi litseylar uchun yangi obyektlar qurishini ma'lum qildi. "
    "Yo'lda poyezd kechikdi, shuning uchun stansiyada o'n besh daqiqa kutdik. "
    "Ertaga sentabr oyidagi festival haqida yig'ilish bo'ladi. Hammasi yaxshi.";

std::string benchTextOf(int words) {
    std::string text;
    int count = 0;
    while (count < words) {
        if (!text.empty()) text += ' ';
        text += kParagraph;
        count += 50;
    }
    return text;
}

double medianMicroseconds(const std::string& text, const TextStyle& style, int runs) {
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(runs));
    std::size_t sink = 0;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        sink += styleText(text, style).size();
        times.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    if (sink == 0) figure("text_empty_result", 0, "x");
    return median(times);
}

}  // namespace

void benchText() {
    constexpr int kRuns = 300;
    const std::string latin = benchTextOf(1000);
    TextStyle toCyrillic;
    toCyrillic.script = ScriptChoice::Cyrillic;
    toCyrillic.apostrophe = ApostropheChoice::Standard;
    TextStyle toLatin;
    toLatin.script = ScriptChoice::Latin;
    toLatin.apostrophe = ApostropheChoice::Standard;
    const std::string cyrillic = styleText(latin, toCyrillic);
    figure("text_1000_words_to_cyrillic_median", medianMicroseconds(latin, toCyrillic, kRuns), "us");
    figure("text_1000_words_to_latin_median", medianMicroseconds(cyrillic, toLatin, kRuns), "us");
}
