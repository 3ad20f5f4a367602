#pragma once
// What the service tests share: a clock moved by hand, a model file in a
// private install folder, the log pointed at that folder, and results
// collected from the worker thread.

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "engine/transcription_service.h"
#include "tests/engine/fake_engine.h"
#include "tests/support/temp_folder.h"

class ManualClock final : public ServiceClock {
public:
    TimePoint now() override { return TimePoint(std::chrono::nanoseconds(nanoseconds.load())); }
    void advance(std::chrono::nanoseconds by) { nanoseconds += by.count(); }
    // Waits a millisecond at a time, so a move of the hand is noticed at once.
    bool waitUntil(std::condition_variable& wake, std::unique_lock<std::mutex>& lock, TimePoint deadline) override;

private:
    std::atomic<std::int64_t> nanoseconds{1'000'000'000'000};
};

struct Collected {
    std::mutex mutex;
    std::vector<TranscribeResult> results;
    std::vector<std::thread::id> threads;
    ResultCallback callback();
    std::size_t count();
};

// Polls the condition for up to ten seconds.
bool eventually(const std::function<bool()>& condition);
// Gives the worker time to do something it should not.
void settle();

class ServiceTest : public ::testing::Test {
protected:
    void SetUp() override;
    ServiceSurroundings surroundings();
    std::wstring modelPath() const;
    // The texts of the log lines written so far, without time stamps.
    std::vector<std::wstring> logTexts();
    std::size_t logCount(const std::wstring& prefix);
    // Preloads and returns once the worker has finished with the preload
    // (its last-used time written), so moving the clock afterwards counts.
    void preloadAndWait(TranscriptionService& service);
    // One job through a service of its own, which is shut down afterwards.
    TranscribeResult transcribeOnce(std::vector<float> samples);
    TranscribeResult transcribeOnce(std::vector<float> samples, ServiceSurroundings with);

    TempFolder folder;
    std::wstring installFolder;
    ManualClock clock;
};

bool startsWith(const std::wstring& text, const std::wstring& prefix);
// "prefix" + digits + " ms" + "suffix"
bool isTimedLine(const std::wstring& text, const std::wstring& prefix, const std::wstring& suffix = L"");
// The load line's ending: the threads each recognition of this model uses.
std::wstring threadsSuffix(int threads);
