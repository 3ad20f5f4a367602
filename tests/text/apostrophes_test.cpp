// The apostrophes of Latin words written one way; quotation marks, Cyrillic
// words and addresses left alone.

#include "text/apostrophes.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "text/utf32.h"

namespace {

std::string styled(const std::string& text, ApostropheChoice choice) {
    return utf32ToUtf8(styleApostrophes(utf8ToUtf32(text), choice));
}

}  // namespace

TEST(Apostrophes, EveryVariantBecomesTheChosenOne) {
    for (const std::string mark : {"'", "`", "\u2018", "\u2019", "\u02BB", "\u02BC", "\u00B4"}) {
        const std::string text = "O" + mark + "zbekiston, g" + mark + "alaba, ma" + mark + "no, bog" + mark;
        EXPECT_EQ(styled(text, ApostropheChoice::Standard), "Oʻzbekiston, gʻalaba, maʼno, bogʻ") << mark;
        EXPECT_EQ(styled(text, ApostropheChoice::Ascii), "O'zbekiston, g'alaba, ma'no, bog'") << mark;
        EXPECT_EQ(styled(text, ApostropheChoice::AsRecognised), text) << mark;
    }
}

TEST(Apostrophes, QuotationMarksCyrillicAndAddressesStay) {
    // text, Standard, Ascii
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"'salom' dedi", "'salom' dedi", "'salom' dedi"},
        {"\u2018so\u2018z\u2019", "\u2018soʻz\u2019", "\u2018so'z\u2019"},
        {"'Kino' filmi", "'Kino' filmi", "'Kino' filmi"},
        {"U 'bog'' dedi", "U 'bogʻ' dedi", "U 'bog'' dedi"},
        {"\u201cKitob\u201d", "\u201cKitob\u201d", "\u201cKitob\u201d"},
        {"ма'но va ma'no", "ма'но va maʼno", "ма'но va ma'no"},
        {"https://x.uz/it's ta`lim", "https://x.uz/it's taʼlim", "https://x.uz/it's ta'lim"},
        {"mo\u02BB\u02BCjiza", "mo\u02BB\u02BCjiza", "mo''jiza"},
        {"O'ZBEKISTON", "OʻZBEKISTON", "O'ZBEKISTON"},
        // A quotation left open on an earlier line does not take a later oʻ/gʻ.
        {"'salom\nbog' yaxshi", "'salom\nbogʻ yaxshi", "'salom\nbog' yaxshi"},
        {"' ` ''", "' ` ''", "' ` ''"},
        {"", "", ""},
    };
    for (const auto& [text, standard, ascii] : cases) {
        EXPECT_EQ(styled(text, ApostropheChoice::Standard), standard) << text;
        EXPECT_EQ(styled(text, ApostropheChoice::Ascii), ascii) << text;
    }
}
