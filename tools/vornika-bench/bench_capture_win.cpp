// Capture figures: how soon a take really records after start returns (the
// first words of a dictation must not be lost), the CPU the capture costs
// while recording, and the memory of a long take. Needs a microphone; the
// tests' audio harness provides one under Wine.
#include <algorithm>
#include <chrono>
#include <thread>

#include <windows.h>

#include "audio/recorder.h"
#include "audio/sample_convert.h"
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

struct TakeStart {
    double startCall = -1;  // ms inside start()
    double lost = -1;       // ms from calling start to the recording time of the first frame
    double delivered = -1;  // ms from start returning until the first sample is in the take
};

// One short take, timed; negative figures when nothing came.
TakeStart timeTakeStart(AudioRecorder& recorder) {
    TakeStart timed;
    std::wstring error;
    const std::int64_t asked = counterNow100ns();
    const auto calling = Clock::now();
    if (!recorder.start(L"", error)) return timed;
    const auto started = Clock::now();
    timed.startCall = std::chrono::duration<double, std::milli>(started - calling).count();
    while (Clock::now() - started < std::chrono::seconds(5)) {
        if (recorder.capturedSampleCount() > 0) {
            timed.delivered = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    recorder.stop();
    if (recorder.firstFrameTime() != 0) timed.lost = static_cast<double>(recorder.firstFrameTime() - asked) / 10000.0;
    return timed;
}

}  // namespace

void benchCapture(int longTakeSeconds, bool prepared) {
    AudioRecorder recorder;
    if (prepared) {
        // As the program does at start: the endpoint opened once ahead of the first take.
        recorder.prepare(L"");
        std::this_thread::sleep_for(std::chrono::seconds(2));
    }
    const TakeStart first = timeTakeStart(recorder);
    if (first.delivered < 0) {
        std::fputs("vornika-bench: no microphone to measure (run it inside tests/harness/audio-session.sh)\n", stderr);
        return;
    }
    figure("capture_first_take_start_call", first.startCall, "ms");
    figure("capture_first_take_audio_lost", first.lost, "ms");
    figure("capture_first_take_first_sample_delay", first.delivered, "ms");
    std::vector<double> calls, lost, delivered;
    for (int take = 0; take < 9; ++take) {
        const TakeStart later = timeTakeStart(recorder);
        calls.push_back(later.startCall);
        lost.push_back(later.lost);
        delivered.push_back(later.delivered);
    }
    figure("capture_later_takes_start_call_median", median(calls), "ms");
    figure("capture_later_takes_audio_lost_median", median(lost), "ms");
    figure("capture_later_takes_audio_lost_max", *std::max_element(lost.begin(), lost.end()), "ms");
    figure("capture_later_takes_first_sample_delay_median", median(delivered), "ms");
    figure("capture_later_takes_first_sample_delay_max", *std::max_element(delivered.begin(), delivered.end()), "ms");

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
    figure("capture_long_take_seconds", static_cast<double>(take.size()) / kEngineRate, "s");
    figure("capture_long_take_peak_rss_while_recording", peakBeforeStop, "MB");
    figure("capture_long_take_peak_rss_after_stop_copy", peakResidentMegabytes(), "MB");
}
