// Uzbek Cyrillic to Latin, and words that go to Cyrillic and back unchanged.

#include "text/cyrillic_to_latin.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "text/latin_to_cyrillic.h"
#include "text/utf32.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

std::string toLatin(const std::string& cyrillic, bool ascii = false) {
    return utf32ToUtf8(cyrillicToLatin(utf8ToUtf32(cyrillic), ascii));
}
std::string toCyrillic(const std::string& latin) { return utf32ToUtf8(latinToCyrillic(utf8ToUtf32(latin))); }

void expectPairs(const Pairs& pairs) {
    for (const auto& [cyrillic, latin] : pairs) EXPECT_EQ(toLatin(cyrillic), latin) << cyrillic;
}

}  // namespace

TEST(CyrillicToLatin, PositionalLetters) {
    expectPairs({{"поезд", "poyezd"}, {"театр", "teatr"}, {"Елена", "Yelena"}, {"ер", "yer"}, {"етти", "yetti"},
                 {"келди", "keldi"}, {"эрталаб", "ertalab"}, {"экин", "ekin"}, {"аэропорт", "aeroport"},
                 {"кварц", "kvars"}, {"акция", "aksiya"}, {"глицерин", "glitserin"},
                 {"конституция", "konstitutsiya"}, {"лицей", "litsey"}, {"цирк", "sirk"}, {"концерт", "konsert"},
                 {"цемент", "sement"}, {"станция", "stansiya"}, {"милиция", "militsiya"}, {"шприц", "shpris"},
                 {"пицца", "pitsa"}, {"община", "obshina"}, {"вымпел", "vimpel"}, {"кетса", "ketsa"}});
}

TEST(CyrillicToLatin, HardAndSoftSigns) {
    expectPairs({{"маъно", "maʼno"}, {"таълим", "taʼlim"}, {"эълон", "eʼlon"}, {"маъюс", "maʼyus"},
                 {"объект", "obyekt"}, {"подъезд", "podyezd"}, {"съезд", "syezd"}, {"субъект", "subyekt"},
                 {"мўъжиза", "moʻjiza"}, {"роль", "rol"}, {"пьеса", "pyesa"}, {"компьютер", "kompyuter"},
                 {"бульон", "bulyon"}, {"павильон", "pavilyon"}, {"интервью", "intervyu"}, {"Вьетнам", "Vyetnam"},
                 {"январь", "yanvar"}, {"февраль", "fevral"}, {"апрель", "aprel"}, {"июнь", "iyun"},
                 {"июль", "iyul"}, {"сентябрь", "sentabr"}, {"октябрь", "oktabr"}, {"ноябрь", "noyabr"},
                 {"декабрь", "dekabr"}, {"сентябрда", "sentabrda"}, {"октябрьда", "oktabrda"},
                 {"январдан", "yanvardan"}, {"компьютерлар", "kompyuterlar"}});
}

TEST(CyrillicToLatin, UzbekLettersAndCapitals) {
    expectPairs({{"ўзбек", "oʻzbek"}, {"ғалаба", "gʻalaba"}, {"йўл", "yoʻl"}, {"ёнғоқ", "yongʻoq"},
                 {"Исҳоқ", "Isʼhoq"}, {"машҳур", "mashhur"}, {"Шаҳар", "Shahar"}, {"ШАҲАР", "SHAHAR"},
                 {"ЎЗБЕКИСТОН", "OʻZBEKISTON"}, {"АҚШ", "AQSH"}, {"Ш. Мирзиёев", "Sh. Mirziyoyev"},
                 {"Ёшлар", "Yoshlar"}, {"ЁШЛАР", "YOSHLAR"}, {"Чой", "Choy"}, {"ЧОЙ", "CHOY"},
                 {"Европа", "Yevropa"}, {"ЕВРОПА", "YEVROPA"}, {"ЦИРК", "SIRK"}, {"ЛИЦЕЙ", "LITSEY"},
                 {"СЕНТЯБРЬ", "SENTABR"}, {"Сентябрь", "Sentabr"}, {"БУЛЬОН", "BULYON"}, {"Щётка", "Shyotka"}});
}

TEST(CyrillicToLatin, OtherTextStays) {
    expectPairs({{"Windows ва Шаҳар", "Windows va Shahar"}, {"2024 йил, 15:30да!", "2024 yil, 15:30da!"},
                 {"https://x.uz/a", "https://x.uz/a"}, {"«Китоб»", "«Kitob»"}, {"", ""}});
}

TEST(CyrillicToLatin, AsciiApostrophesWhenChosen) {
    EXPECT_EQ(toLatin("Ўзбекистон маъноси ғалаба", true), "O'zbekiston ma'nosi g'alaba");
    EXPECT_EQ(toLatin("Исҳоқ мўъжиза", true), "Is'hoq mo'jiza");
}

// Words whose spelling decides the other script both ways.
TEST(CyrillicToLatin, RoundTripsThroughCyrillic) {
    for (const std::string latin :
         {"oʻzbek", "gʻalaba", "yoʻl", "Isʼhoq", "mashhur", "maʼno", "taʼlim", "ekin", "aeroport", "poyezd", "teatr",
          "yer", "obyekt", "pyesa", "kompyuter", "kompyuterlar", "yanvarda", "sentabr", "sentabrda", "oktabr",
          "sirk", "litsey", "konsert", "militsiya", "stansiya", "operatsiya", "aksiya", "ketsa", "shahar",
          "SHAHAR", "AQSH", "OʻZBEKISTON", "Sh. Mirziyoyev", "yongʻoq", "dengiz", "tayyor", "dunyo", "Yevropa",
          "intervyu", "moʻjiza", "rayon", "kliyent",
          "Bugun ertalab doʻstlarimiz bilan shahar markazidagi katta bogʻda uchrashdik."})
        EXPECT_EQ(toLatin(toCyrillic(latin)), latin) << latin;
    for (const std::string cyrillic : {"Ўзбекистон", "объект", "январь", "Исҳоқ", "маъно", "цирк", "поезд",
                                       "эълон", "ЁШЛАР", "Бугун эрталаб ёмғир ёғди."})
        EXPECT_EQ(toCyrillic(toLatin(cyrillic)), cyrillic) << cyrillic;
}
