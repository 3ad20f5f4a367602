#include "diag/encoding.h"

#include <cstdio>

#include <gtest/gtest.h>

#include "diag/folders.h"
#include "diag/text_trim.h"
#include "tests/support/temp_folder.h"

namespace {

// "Oʻzbek — Ўзбек 😀": U+02BB, an em dash, Cyrillic and a character beyond
// the BMP (a surrogate pair on Windows).
const std::wstring kWide = L"O\u02BBzbek \u2014 \u040E\u0437\u0431\u0435\u043A \U0001F600";
const std::string kUtf8 = "O\xCA\xBBzbek \xE2\x80\x94 \xD0\x8E\xD0\xB7\xD0\xB1\xD0\xB5\xD0\xBA \xF0\x9F\x98\x80";

}  // namespace

TEST(Encoding, ConvertsBothWaysWithoutATerminator) {
    EXPECT_EQ(toUtf8(kWide), kUtf8);
    EXPECT_EQ(fromUtf8(kUtf8), kWide);
    EXPECT_EQ(toUtf8(L""), "");
    EXPECT_EQ(fromUtf8(""), L"");
    // Embedded zeros are text like any other: the explicit length is used.
    EXPECT_EQ(toUtf8(std::wstring(L"a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(fromUtf8(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
}

TEST(Encoding, BrokenInputIsReplacedNotRejected) {
    std::wstring unpaired = L"a";
    unpaired += static_cast<wchar_t>(0xD800);
    unpaired += L"b";
    EXPECT_EQ(toUtf8(unpaired), "a\xEF\xBF\xBD" "b");

    EXPECT_EQ(fromUtf8("a\xFF" "b"), L"a\uFFFDb");
    EXPECT_EQ(fromUtf8("\x80"), L"\uFFFD");
    EXPECT_EQ(fromUtf8("ok\xC3"), L"ok\uFFFD");  // cut off at the end
    const std::wstring mixed = fromUtf8("\xE2\x80" "x");  // a cut three-byte sequence
    EXPECT_NE(mixed.find(L'\uFFFD'), std::wstring::npos);
    EXPECT_EQ(mixed.back(), L'x');
}

TEST(Encoding, ByteOrderMarkStaysAsText) {
    EXPECT_EQ(fromUtf8("\xEF\xBB\xBFSalom"), L"\uFEFFSalom");
    EXPECT_EQ(toUtf8(L"\uFEFFSalom"), "\xEF\xBB\xBFSalom");
}

TEST(AsciiPath, AsciiPathsPassUnchangedEvenWhenMissing) {
    const std::wstring path = L"C:\\Program Files\\Vornika\\models\\ggml-veltostt.bin";
    EXPECT_EQ(toAsciiPath(path), "C:\\Program Files\\Vornika\\models\\ggml-veltostt.bin");
    EXPECT_EQ(toAsciiPath(L""), "");
}

TEST(AsciiPath, MissingNonAsciiPathHasNoForm) {
    TempFolder temp;
    EXPECT_EQ(toAsciiPath(temp / L"\u041F\u0440\u043E\u0433\u0440\u0430\u043C\u043C\u0430\\nothing.bin"), "");
    EXPECT_EQ(toAsciiPath(temp / L"yo\u02BBq.bin"), "");
}

TEST(AsciiPath, ExistingCyrillicPath) {
    TempFolder temp;
    const std::wstring folder = temp / L"\u041F\u0440\u043E\u0433\u0440\u0430\u043C\u043C\u0430 \u0442\u0435\u0441\u0442";
    const std::wstring file = folder + kPathSeparator + L"ggml-veltostt.bin";
    ASSERT_TRUE(writeFile(file, "model"));
    const std::string ascii = toAsciiPath(file);
#ifdef _WIN32
    // The volume keeps short names: the 8.3 form names the same file.
    ASSERT_FALSE(ascii.empty());
    EXPECT_TRUE(isAsciiText(fromUtf8(ascii))) << ascii;
    std::FILE* opened = std::fopen(ascii.c_str(), "rb");
    ASSERT_NE(opened, nullptr) << ascii;
    char content[6] = {};
    EXPECT_EQ(std::fread(content, 1, 5, opened), 5u);
    std::fclose(opened);
    EXPECT_STREQ(content, "model");
#else
    // No short names on POSIX file systems.
    EXPECT_EQ(ascii, "");
#endif
}

TEST(TrimBlanks, OnlyTheFourBlanksAtTheEnds) {
    EXPECT_EQ(trimBlanks(L" \t Salom dunyo\r\n"), L"Salom dunyo");
    EXPECT_EQ(trimBlanks(L" \r\n\t "), L"");
    EXPECT_EQ(trimBlanks(L"a \n b"), L"a \n b");
    EXPECT_EQ(trimBlanks(L"\u00A0x\u3000"), L"\u00A0x\u3000");
}
