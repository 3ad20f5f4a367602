#include <gtest/gtest.h>

#include "tools/testmodel/half_float.h"
#include "tools/testmodel/test_model.h"

TEST(ScriptTokens, WordsKeepTheirBlanksAndAstralCharactersSplit) {
    EXPECT_EQ(scriptTokens("Salom  dunyo"), (std::vector<std::string>{"Salom", "  dunyo"}));
    EXPECT_EQ(scriptTokens(" oʻzbek gʻ "), (std::vector<std::string>{" oʻzbek", " gʻ "}));
    EXPECT_EQ(scriptTokens("a😀b"), (std::vector<std::string>{"a", "\xF0\x9F", "\x98\x80", "b"}));
    EXPECT_EQ(scriptTokens("a 😀"), (std::vector<std::string>{"a", " \xF0\x9F", "\x98\x80"}));
    EXPECT_TRUE(scriptTokens("").empty());
    // A text of blanks only is one token, never the bare " " the decoder bans.
    EXPECT_EQ(scriptTokens("   "), (std::vector<std::string>{"   "}));
}

TEST(ScriptedModelWriter, RefusesWhatCannotBeScripted) {
    ModelHeader h;
    ASSERT_TRUE(presetHeader("micro", h));
    EXPECT_EQ(scriptCapacity(h), 61);
    std::string longText;
    for (int i = 0; i < 62; ++i) longText += " w";
    EXPECT_NE(writeScriptedModel("unused.bin", h, longText).find("too long"), std::string::npos);
    EXPECT_NE(writeScriptedModel("unused.bin", h, std::string("a\0b", 3)).find("NUL"), std::string::npos);
    EXPECT_NE(writeScriptedModel("unused.bin", h, "").find("empty"), std::string::npos);
    ASSERT_TRUE(presetHeader("tiny", h));
    EXPECT_EQ(scriptCapacity(h), 253);
    EXPECT_FALSE(presetHeader("huge", h));
}

TEST(HalfFloat, RoundsToNearestEven) {
    EXPECT_EQ(toHalf(0.0f), 0x0000);
    EXPECT_EQ(toHalf(-0.0f), 0x8000);
    EXPECT_EQ(toHalf(1.0f), 0x3C00);
    EXPECT_EQ(toHalf(-2.0f), 0xC000);
    EXPECT_EQ(toHalf(0.0625f), 0x2C00);
    EXPECT_EQ(toHalf(65504.0f), 0x7BFF);
    EXPECT_EQ(toHalf(1e6f), 0x7C00);
    EXPECT_EQ(toHalf(1.0f + 1.0f / 2048), 0x3C00);  // halfway, even stays
    EXPECT_EQ(toHalf(1.0f + 3.0f / 2048), 0x3C02);  // halfway, odd rounds up
    EXPECT_EQ(toHalf(5.9604645e-08f), 0x0001);      // smallest subnormal
    EXPECT_EQ(toHalf(6.1035156e-05f), 0x0400);      // smallest normal
}
