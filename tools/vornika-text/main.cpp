// vornika-text: a recognised text (UTF-8 on standard input) written the way
// the program writes it with the given style, on standard output.
//   vornika-text [--script asis|latin|cyrillic] [--apostrophe asis|standard|ascii] [--trailing-space] [--spoken-breaks]
// Exit codes: 0 text written, 2 bad option.

#include <cstdio>
#include <string>
#include <vector>

#include "text/text_options.h"
#include "text/text_style.h"
#include "tools/common/console.h"

namespace {

constexpr int kExitBadOption = 2;

std::string readAllInput() {
    useBinaryStdin();
    std::string text;
    char buffer[65536];
    std::size_t read = 0;
    while ((read = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) text.append(buffer, read);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args = utf8Arguments(argc, argv);
    TextStyle style;
    for (std::size_t i = 1; i < args.size();) {
        const int used = parseTextOption(args, i, style);
        if (used <= 0) {
            std::fprintf(stderr, "usage: vornika-text %s\n", kTextOptionsUsage);
            return kExitBadOption;
        }
        i += static_cast<std::size_t>(used);
    }
    const std::string text = styleText(readAllInput(), style);
    useBinaryStdout();
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
    return 0;
}
