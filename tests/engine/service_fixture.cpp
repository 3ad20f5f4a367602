#include "tests/engine/service_fixture.h"

#include <algorithm>
#include <cwctype>

#include "diag/encoding.h"
#include "diag/folders.h"
#include "diag/log.h"
#include "engine/model_location.h"
#include "tests/support/logged_lines.h"

bool ManualClock::waitUntil(std::condition_variable& wake, std::unique_lock<std::mutex>& lock, TimePoint deadline) {
    if (now() >= deadline) return true;
    wake.wait_for(lock, std::chrono::milliseconds(1));
    return now() >= deadline;
}

ResultCallback Collected::callback() {
    return [this](TranscribeResult result) {
        const std::lock_guard lock(mutex);
        results.push_back(std::move(result));
        threads.push_back(std::this_thread::get_id());
    };
}

std::size_t Collected::count() {
    const std::lock_guard lock(mutex);
    return results.size();
}

bool eventually(const std::function<bool()>& condition) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > limit) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void settle() { std::this_thread::sleep_for(std::chrono::milliseconds(40)); }

void ServiceTest::SetUp() {
    fakeengine::reset();
    initLogIn(folder.path());
    installFolder = folder / L"install";
    ASSERT_TRUE(writeFile(modelPath(), "model"));
}

ServiceSurroundings ServiceTest::surroundings() {
    return {[this] { return findModelFileIn(installFolder, L""); }, &clock, 0, &fakeengine::engine()};
}

std::wstring ServiceTest::modelPath() const {
    return installFolder + kPathSeparator + L"models" + kPathSeparator + kModelFileName;
}

std::vector<std::wstring> ServiceTest::logTexts() { return loggedTexts(); }

std::size_t ServiceTest::logCount(const std::wstring& prefix) {
    std::size_t count = 0;
    for (const std::wstring& text : logTexts()) count += startsWith(text, prefix);
    return count;
}

void ServiceTest::preloadAndWait(TranscriptionService& service) {
    service.requestPreload();
    ASSERT_TRUE(eventually([] { return !fakeengine::calls().transcribeCounts.empty(); }));
    // An empty job queued behind the preload is answered only after it.
    Collected after;
    service.submit({}, after.callback());
    ASSERT_TRUE(eventually([&] { return after.count() == 1; }));
}

TranscribeResult ServiceTest::transcribeOnce(std::vector<float> samples) {
    return transcribeOnce(std::move(samples), surroundings());
}

TranscribeResult ServiceTest::transcribeOnce(std::vector<float> samples, ServiceSurroundings with) {
    Collected got;
    {
        TranscriptionService service(std::move(with));
        service.submit(std::move(samples), got.callback());
        EXPECT_TRUE(eventually([&] { return got.count() == 1; }));
    }
    return got.count() == 1 ? std::move(got.results[0]) : TranscribeResult{L"", L"(no callback)", 0};
}

bool startsWith(const std::wstring& text, const std::wstring& prefix) { return text.rfind(prefix, 0) == 0; }

bool isTimedLine(const std::wstring& text, const std::wstring& prefix, const std::wstring& suffix) {
    const std::wstring ending = L" ms" + suffix;
    if (!startsWith(text, prefix) || text.size() < prefix.size() + ending.size() + 1) return false;
    const std::wstring number = text.substr(prefix.size(), text.size() - prefix.size() - ending.size());
    return text.substr(text.size() - ending.size()) == ending && !number.empty() &&
           std::all_of(number.begin(), number.end(), [](wchar_t c) { return std::iswdigit(c); });
}

std::wstring threadsSuffix(int threads) { return L", " + std::to_wstring(threads) + L" oqim"; }
