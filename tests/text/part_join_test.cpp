// A take recognised in parts reads as one text.

#include "text/part_join.h"

#include <gtest/gtest.h>

TEST(PartJoin, PartsJoinWithOneSpaceAndNoneBeforeClosingPunctuation) {
    const struct {
        std::vector<std::string> parts;
        const char* joined;
    } cases[] = {
        {{}, ""},
        {{" Salom dunyo."}, "Salom dunyo."},
        {{" Birinchi gap.", " Ikkinchi gap. "}, "Birinchi gap. Ikkinchi gap."},
        {{"Birinchi gap. ", "  ", "", " Ikkinchi gap."}, "Birinchi gap. Ikkinchi gap."},  // empty parts add nothing
        {{" Men bordim", ", lekin u yo'q edi", "."}, "Men bordim, lekin u yo'q edi."},
        {{"Uning aytishicha", "\xE2\x80\xA6 keyin", "\xC2\xBB dedi."}, "Uning aytishicha\xE2\x80\xA6 keyin\xC2\xBB dedi."},
        {{"Birinchi qator\r\n", "\r\nikkinchi"}, "Birinchi qator ikkinchi"},
        {{"\xD0\x91\xD0\xB8\xD1\x80", "\xD0\xB8\xD0\xBA\xD0\xBA\xD0\xB8"}, "\xD0\x91\xD0\xB8\xD1\x80 \xD0\xB8\xD0\xBA\xD0\xBA\xD0\xB8"},
    };
    for (const auto& c : cases) EXPECT_EQ(joinRecognisedParts(c.parts), c.joined) << c.joined;
}
