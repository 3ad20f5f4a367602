// Capture figures: how soon a take really records after start returns (the
// first words of a dictation must not be lost), the CPU the capture costs
// while recording, and the memory of a long take. Needs a microphone; the
// tests' audio harness provides one under Wine.
#include <algorithm>
#include <chrono>
#include <thread>

#include <windows.h>

#include "audio/recorder.h"
#include "tools/vornika-bench/bench.h"

namespace {

using Clock = std::chrono::steady_clock;

double processCpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return static_cast<double>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

// Milliseconds from start returning until the first sample is in the take; -1 when none came.
double firstSampleDelay(AudioRecorder& recorder) {
    std::wstring error;
    if (!recorder.start(L"", error)) return -1;
    const auto started = Clock::now();
    double delay = -1;
    while (Clock::now() - started < std::chrono::seconds(5)) {
        if (recorder.capturedSampleCount() > 0) {
            delay = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    recorder.stop();
    return delay;
}

}  // namespace

void benchCapture(int longTakeSeconds) {
    AudioRecorder recorder;
    const double first = firstSampleDelay(recorder);
    if (first < 0) {
        std::fputs("vornika-bench: no microphone to measure (run it inside tests/harness/audio-session.sh)\n", stderr);
        return;
    }
    figure("capture_first_take_first_sample_delay", first, "ms");
    std::vector<double> later;
    for (int take = 0; take < 9; ++take) later.push_back(firstSampleDelay(recorder));
    figure("capture_later_takes_first_sample_delay_median", median(later), "ms");
    figure("capture_later_takes_first_sample_delay_max", *std::max_element(later.begin(), later.end()), "ms");

    // The main thread sleeps: what the process spends is the capture's.
    std::wstring error;
    recorder.start(L"", error);
    const double cpuBefore = processCpuSeconds();
    const auto started = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(longTakeSeconds));
    const double wall = std::chrono::duration<double>(Clock::now() - started).count();
    const double cpu = processCpuSeconds() - cpuBefore;
    const double peakBeforeStop = peakResidentMegabytes();
    const std::vector<float> take = recorder.stop();
    const double thread = recorder.lastCaptureCpuSeconds();
    figure("capture_thread_cpu_per_audio_second", thread / wall * 1000.0, "ms");
    figure("capture_thread_cpu_share_of_one_core", thread / wall * 100.0, "%");
    // Under Wine the sound server's client thread lives in the process too.
    figure("capture_process_cpu_share_of_one_core", cpu / wall * 100.0, "%");
    figure("capture_long_take_seconds", static_cast<double>(take.size()) / 16000.0, "s");
    figure("capture_long_take_peak_rss_while_recording", peakBeforeStop, "MB");
    figure("capture_long_take_peak_rss_after_stop_copy", peakResidentMegabytes(), "MB");
}
