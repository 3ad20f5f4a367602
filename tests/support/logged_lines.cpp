#include "tests/support/logged_lines.h"

#include "diag/encoding.h"
#include "diag/log.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr std::size_t kStampAndSpace = 20;  // "YYYY-MM-DD hh:mm:ss "

}  // namespace

std::vector<std::wstring> loggedTexts() {
    const std::string content = readFile(logFilePath());
    std::vector<std::wstring> texts;
    std::size_t start = 0;
    for (std::size_t end; (end = content.find("\r\n", start)) != std::string::npos; start = end + 2)
        texts.push_back(fromUtf8(content.substr(start + kStampAndSpace, end - start - kStampAndSpace)));
    return texts;
}
