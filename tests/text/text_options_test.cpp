// The text options of the command-line tools.

#include "text/text_options.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

using Args = std::vector<std::string>;

// A style that differs from the default, to see what an option changed.
TextStyle before() {
    TextStyle style;
    style.apostrophe = ApostropheChoice::Standard;
    return style;
}

}  // namespace

TEST(TextOptions, EachOptionItsValueAndHowManyArgumentsItUsed) {
    // arguments, position, used, script, apostrophe, trailing space, spoken breaks
    using S = ScriptChoice;
    using A = ApostropheChoice;
    const std::vector<std::tuple<Args, std::size_t, int, S, A, bool, bool>> cases = {
        {{"--script", "latin"}, 0, 2, S::Latin, A::Standard, false, false},
        {{"--script=cyrillic"}, 0, 1, S::Cyrillic, A::Standard, false, false},
        {{"--apostrophe", "ascii"}, 0, 2, S::AsRecognised, A::Ascii, false, false},
        {{"--apostrophe=asis"}, 0, 1, S::AsRecognised, A::AsRecognised, false, false},
        {{"--trailing-space"}, 0, 1, S::AsRecognised, A::Standard, true, false},
        {{"--spoken-breaks"}, 0, 1, S::AsRecognised, A::Standard, false, true},
        {{"vornika-transcribe", "--threads", "2", "--script", "latin", "x.wav"}, 3, 2, S::Latin, A::Standard, false,
         false},
        // Not text options: nothing used.
        {{"--model", "x.bin"}, 0, 0, S::AsRecognised, A::Standard, false, false},
        {{"--scripts", "latin"}, 0, 0, S::AsRecognised, A::Standard, false, false},
        {{"--script", "latin"}, 2, 0, S::AsRecognised, A::Standard, false, false},
        // Text options with a missing or bad value: the style left as it was.
        {{"--script"}, 0, -1, S::AsRecognised, A::Standard, false, false},
        {{"--script", "greek"}, 0, -1, S::AsRecognised, A::Standard, false, false},
        {{"--script="}, 0, -1, S::AsRecognised, A::Standard, false, false},
        {{"--apostrophe", "Standard"}, 0, -1, S::AsRecognised, A::Standard, false, false},
        {{"--trailing-space=yes"}, 0, -1, S::AsRecognised, A::Standard, false, false},
    };
    for (const auto& [args, position, used, script, apostrophe, trailingSpace, spokenBreaks] : cases) {
        TextStyle style = before();
        EXPECT_EQ(parseTextOption(args, position, style), used) << args[position < args.size() ? position : 0];
        EXPECT_EQ(style.script, script) << args[0];
        EXPECT_EQ(style.apostrophe, apostrophe) << args[0];
        EXPECT_EQ(style.trailingSpace, trailingSpace) << args[0];
        EXPECT_EQ(style.spokenBreaks, spokenBreaks) << args[0];
    }
}
