// Uzbek Latin to Cyrillic: the letter rules, the listed loans with their
// suffixes, capitals, apostrophe variants and what stays Latin.

#include "text/latin_to_cyrillic.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "text/utf32.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

std::string toCyrillic(const std::string& latin) { return utf32ToUtf8(latinToCyrillic(utf8ToUtf32(latin))); }

void expectPairs(const Pairs& pairs) {
    for (const auto& [latin, cyrillic] : pairs) EXPECT_EQ(toCyrillic(latin), cyrillic) << latin;
}

}  // namespace

TEST(LatinToCyrillic, EIsEAfterAConsonantAndEElsewhere) {
    expectPairs({{"ekin", "экин"}, {"eshik", "эшик"}, {"ertalab", "эрталаб"}, {"el", "эл"}, {"elektron", "электрон"},
                 {"energiya", "энергия"}, {"aeroport", "аэропорт"}, {"poeziya", "поэзия"}, {"kafe", "кафе"},
                 {"internet", "интернет"}, {"telefon", "телефон"}, {"kelmoq", "келмоқ"}, {"bekat", "бекат"},
                 {"Termiz", "Термиз"}, {"teatr", "театр"}, {"yer", "ер"}, {"yetti", "етти"}, {"poyezd", "поезд"},
                 {"proyekt", "проект"}, {"Yevropa", "Европа"}, {"kliyent", "клиент"}, {"Aliyev", "Алиев"},
                 {"Mirziyoyev", "Мирзиёев"}, {"eʼlon", "эълон"}, {"klient", "клиент"}, {"dieta", "диета"}});
}

TEST(LatinToCyrillic, OgMarksDigraphsAndIotatedVowels) {
    expectPairs({{"oʻzbek", "ўзбек"}, {"gʻalaba", "ғалаба"}, {"oʻgʻil", "ўғил"}, {"bogʻ", "боғ"}, {"togʻ", "тоғ"},
                 {"yoʻl", "йўл"}, {"yoʻq", "йўқ"}, {"boʻyoq", "бўёқ"}, {"yongʻoq", "ёнғоқ"}, {"yongʻin", "ёнғин"},
                 {"dengiz", "денгиз"}, {"tong", "тонг"}, {"ming", "минг"}, {"singil", "сингил"}, {"dunyo", "дунё"},
                 {"tayyor", "тайёр"}, {"qiyomat", "қиёмат"}, {"yangi", "янги"}, {"yaxshi", "яхши"},
                 {"yulduz", "юлдуз"}, {"oyoq", "оёқ"}, {"shahar", "шаҳар"}, {"choy", "чой"}, {"bosh", "бош"},
                 {"kuch", "куч"}, {"mashhur", "машҳур"}, {"Isʼhoq", "Исҳоқ"}, {"Is'hoq", "Исҳоқ"}, {"Ishoq", "Исҳоқ"},
                 {"qalam", "қалам"}, {"hamma", "ҳамма"}, {"xat", "хат"}, {"xohish", "хоҳиш"}, {"jahon", "жаҳон"},
                 {"aktyor", "актёр"}, {"byudjet", "бюджет"}, {"samolyot", "самолёт"}});
}

TEST(LatinToCyrillic, TheTutuqIsAHardSign) {
    expectPairs({{"maʼno", "маъно"}, {"taʼlim", "таълим"}, {"sanʼat", "санъат"}, {"qatʼiy", "қатъий"},
                 {"masʼul", "масъул"}, {"MAʼNO", "МАЪНО"}, {"moʻʼjiza", "мўъжиза"}, {"moʻjiza", "мўъжиза"},
                 {"shoʻba", "шўъба"}});
}

TEST(LatinToCyrillic, TsAndTheLettersOfTse) {
    expectPairs({{"ketsa", "кетса"}, {"aytsa", "айтса"}, {"tutsa", "тутса"}, {"tsunami", "цунами"},
                 {"tsement", "цемент"}, {"sement", "цемент"}, {"tsirk", "цирк"}, {"sirk", "цирк"},
                 {"sirka", "сирка"}, {"litsey", "лицей"}, {"konsert", "концерт"}, {"kontsert", "концерт"},
                 {"militsiya", "милиция"}, {"stansiya", "станция"}, {"protsent", "процент"}, {"pitsa", "пицца"},
                 {"operatsiya", "операция"}, {"operatsiyalar", "операциялар"}, {"operatsion", "операцион"},
                 {"informatsiya", "информация"}, {"konstitutsiyaviy", "конституциявий"}, {"Gretsiya", "Греция"},
                 {"aksiya", "акция"}, {"funksiyasi", "функцияси"}, {"aksiyadorlik", "акциядорлик"},
                 {"versiya", "версия"}, {"pensiya", "пенсия"}, {"Fransiya", "Франция"}});
}

TEST(LatinToCyrillic, ListedLoansKeepWorkingWithSuffixes) {
    expectPairs({{"yanvar", "январь"}, {"fevral", "февраль"}, {"mart", "март"}, {"aprel", "апрель"}, {"may", "май"},
                 {"iyun", "июнь"}, {"iyul", "июль"}, {"avgust", "август"}, {"sentabr", "сентябрь"},
                 {"oktabr", "октябрь"}, {"noyabr", "ноябрь"}, {"dekabr", "декабрь"}, {"sentyabr", "сентябрь"},
                 {"yanvarda", "январда"}, {"sentabrdan", "сентябрдан"}, {"apreldagi", "апрелдаги"},
                 {"kompyuterlar", "компьютерлар"}, {"kompyuterlashtirish", "компьютерлаштириш"},
                 {"obyektni", "объектни"}, {"subyekt", "субъект"}, {"pyesani", "пьесани"},
                 {"filmlar", "фильмлар"}, {"avtomobillarimizda", "автомобилларимизда"},
                 {"militsiyaga", "милицияга"}, {"stansiyada", "станцияда"}, {"konsertga", "концертга"},
                 {"sirkka", "циркка"}, {"litseyda", "лицейда"}, {"intervyular", "интервьюлар"},
                 {"rayonda", "районда"}, {"festivalda", "фестивалда"}, {"rolni", "ролни"}, {"rolik", "ролик"},
                 {"pullar", "пуллар"}, {"pultlar", "пультлар"}, {"premyera", "премьера"}, {"premyer", "премьер"},
                 {"podyezdda", "подъездда"}, {"yogʻ", "ёғ"}, {"yoga", "йога"}});
}

TEST(LatinToCyrillic, CapitalsFollowTheSource) {
    expectPairs({{"OʻZBEKISTON", "ЎЗБЕКИСТОН"}, {"Oʻzbekiston", "Ўзбекистон"}, {"GʻALABA", "ҒАЛАБА"},
                 {"YOʻL", "ЙЎЛ"}, {"SHAHAR", "ШАҲАР"}, {"Shahar", "Шаҳар"}, {"AQSH", "АҚШ"}, {"AQSh", "АҚШ"},
                 {"Sh. Mirziyoyev", "Ш. Мирзиёев"}, {"CHOY", "ЧОЙ"}, {"Choy", "Чой"}, {"EKIN", "ЭКИН"},
                 {"YER", "ЕР"}, {"Yanvar", "Январь"}, {"YANVAR", "ЯНВАРЬ"}, {"Kompyuter", "Компьютер"},
                 {"KOMPYUTER", "КОМПЬЮТЕР"}, {"KOMPYUTERLAR", "КОМПЬЮТЕРЛАР"}, {"Yanvarda", "Январда"},
                 {"TSEMENT", "ЦЕМЕНТ"}, {"OPERATSIYA", "ОПЕРАЦИЯ"}, {"DIL", "ДИЛ"}});
}

TEST(LatinToCyrillic, EveryApostropheVariantMakesTheSameLetters) {
    for (const std::string mark : {"'", "`", "\u2018", "\u2019", "\u02BB", "\u02BC", "\u00B4"}) {
        EXPECT_EQ(toCyrillic("o" + mark + "zbek"), "ўзбек") << mark;
        EXPECT_EQ(toCyrillic("G" + mark + "ALABA"), "ҒАЛАБА") << mark;
        EXPECT_EQ(toCyrillic("ma" + mark + "no"), "маъно") << mark;
        EXPECT_EQ(toCyrillic("bog" + mark + " yo" + mark + "li"), "боғ йўли") << mark;
    }
}

TEST(LatinToCyrillic, QuotationMarksStay) {
    expectPairs({{"'Kino' filmi", "'Кино' фильми"}, {"\u2018so\u2018z\u2019", "\u2018сўз\u2019"},
                 {"'salom' dedi", "'салом' деди"}, {"\u201cKitob\u201d", "\u201cКитоб\u201d"},
                 {"U 'bog'' dedi", "У 'боғ' деди"}, {"kino'", "кинў"}});
}

TEST(LatinToCyrillic, WhatIsNotUzbekLatinStays) {
    expectPairs({{"Men Windows 11 da ishlayman.", "Мен Windows 11 да ишлайман."},
                 {"WhatsApp va Facebook orqali", "WhatsApp ва Facebook орқали"},
                 {"Sayt: https://x.uz/a manzilida.", "Сайт: https://x.uz/a манзилида."},
                 {"Xat: info@kun.uz.", "Хат: info@kun.uz."}, {"kun.uz saytida", "kun.uz сайтида"},
                 {"www.gov.uz/uz", "www.gov.uz/uz"}, {"@vornika_bot ga yozing", "@vornika_bot га ёзинг"},
                 {"XXI asr, IV bob", "XXI аср, IV боб"}, {"Müller keldi", "Müller келди"},
                 {"YouTube, iPhone, OʻzMUda, ToshDU", "YouTube, iPhone, ЎзМУда, ТошДУ"},
                 {"Salom, дўстим! Bugun", "Салом, дўстим! Бугун"}, {"2024-yil, 15:30da", "2024-йил, 15:30да"},
                 {"Sankt-Peterburg", "Санкт-Петербург"}, {"(1) «Oʻzbekiston»!", "(1) «Ўзбекистон»!"},
                 {"", ""}, {"  \n", "  \n"}});
}
