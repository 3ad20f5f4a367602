// insert-bench: how long an insertion takes, from insertText's entry to the
// text being in the target control (read back through the control's own
// periodic write-out, about 10 ms resolution), and how long insertText
// keeps the GUI thread. Paste and type, 20, 200 and 2000 characters.
// Needs a display: tests/harness/session.sh --display scripts/wine-run insert-bench.exe
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "diag/encoding.h"
#include "insert/insert_text.h"
#include "tests/insert/target_window.h"
#include "tests/ui/window_driving.h"

namespace {

using Clock = std::chrono::steady_clock;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

std::wstring textOf(std::size_t length) {
    const std::wstring words = L"Salom dunyo, o\u02BBzbek tilida gapiryapman. ";
    std::wstring text;
    while (text.size() < length) text += words;
    text.resize(length);
    if (text.back() == L' ') text.back() = L'.';
    return text;
}

void clearClipboard() {
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
}

}  // namespace

int main() {
    for (const InsertMode mode : {InsertMode::Paste, InsertMode::Type}) {
        const char* name = mode == InsertMode::Paste ? "paste" : "type";
        for (const std::size_t length : {20u, 200u, 2000u}) {
            TargetWindow target;
            if (!target.problem().empty()) {
                std::fprintf(stderr, "insert-bench: %s\n", target.problem().c_str());
                return 1;
            }
            std::vector<double> returned, arrived;
            std::wstring expected;
            for (int run = 0; run < 5; ++run) {
                const std::wstring text = textOf(length);
                expected += text;
                clearClipboard();  // nothing to restore: runs do not overlap
                const auto start = Clock::now();
                const InsertOutcome outcome = insertText({text, L"", 1.0}, mode, testClipboardOwner());
                returned.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
                if (!outcome.inserted || target.waitFor(expected, 10000) != expected) {
                    std::fprintf(stderr, "insert-bench: %s of %zu characters did not arrive\n", name, length);
                    return 1;
                }
                arrived.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            }
            std::printf("insert_%s_%zu_returns_median %.1f ms\n", name, length, median(returned));
            std::printf("insert_%s_%zu_arrives_median %.1f ms\n", name, length, median(arrived));
        }
    }
    return 0;
}
