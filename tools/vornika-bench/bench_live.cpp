// vornika-bench --only live: how long the user waits from the stop to the
// text, for takes of 10, 60 and 120 s on a base-size model, recognised whole
// (one job at the stop) and in parts while spoken (the program's way). The
// live takes are handed over a second at a time at the pace of speech, so the
// parts are recognised while the "user" talks, as they would be; the 120 s
// take alone takes two minutes. One service in this process, model loaded.

#include <chrono>
#include <cmath>
#include <future>
#include <thread>

#include "app/live_take.h"
#include "diag/encoding.h"
#include "diag/folders.h"
#include "engine/velto.h"
#include "settings/settings.h"
#include "tools/vornika-bench/bench.h"

namespace {

using Clock = std::chrono::steady_clock;

// Speech-like spans of 3.2 s (benchTake's tone) with pauses of 0.8 s of
// faint noise: a part is cut at the first pause after the threshold.
std::vector<float> takeWithPauses(int seconds) {
    std::vector<float> samples = benchTake(seconds);
    std::uint32_t noise = 1;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (i % 64000 < 51200) continue;
        noise = noise * 1664525u + 1013904223u;
        samples[i] = static_cast<float>(noise >> 8) / static_cast<float>(1u << 24) * 0.002f - 0.001f;
    }
    return samples;
}

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// From the stop to the result, in seconds; negative on a failed recognition.
double wholeTake(TranscriptionService& service, const std::vector<float>& take) {
    std::promise<bool> done;
    const auto stop = Clock::now();
    service.submit(normalizeLevel(take), [&done](TranscribeResult r) { done.set_value(r.error.empty()); });
    const bool ok = done.get_future().get();
    return ok ? secondsSince(stop) : -1;
}

double liveTake(TranscriptionService& service, const std::vector<float>& take, std::uint64_t id, std::size_t& parts) {
    LiveTake live(service, {static_cast<double>(kDefaultLiveAfterSeconds), "", id});
    const auto started = Clock::now();
    for (std::size_t at = 0, second = 1; at < take.size(); at += kEngineRate, ++second) {
        std::this_thread::sleep_until(started + std::chrono::seconds(second));
        live.add(std::vector<float>(take.begin() + static_cast<std::ptrdiff_t>(at),
                                    take.begin() + static_cast<std::ptrdiff_t>(std::min(at + kEngineRate, take.size()))));
    }
    parts = live.partsSubmitted();
    std::promise<bool> done;
    const auto stop = Clock::now();
    live.finish([&done](TranscribeResult r) { done.set_value(r.error.empty()); });
    const bool ok = done.get_future().get();
    return ok ? secondsSince(stop) : -1;
}

}  // namespace

void benchLive(const EngineBenchOptions& o) {
    if (!ensureModel(o, "base", WeightType::F16)) return;
    const std::wstring model = fromUtf8(modelFile(o, "base", WeightType::F16));
    TranscriptionService service({[model] { return fileExists(model) ? model : std::wstring(); }, nullptr, 0, &veltoEngine()});
    velto_set_log_callback(nullptr);
    service.setIdleUnloadSeconds(3600);
    std::promise<std::wstring> loaded;
    service.requestPreload([&loaded](std::wstring error) { loaded.set_value(error); });
    if (const std::wstring error = loaded.get_future().get(); !error.empty()) {
        std::fprintf(stderr, "the model did not load: %s\n", toUtf8(error).c_str());
        return;
    }
    std::uint64_t id = 0;
    double liveShort = 0, wholeShort = 0;
    for (const int seconds : {10, 60, 120}) {
        const std::vector<float> take = takeWithPauses(seconds);
        std::vector<double> whole, live;
        std::size_t parts = 0;
        for (int run = 0; run < o.runs; ++run) {
            whole.push_back(wholeTake(service, take));
            live.push_back(liveTake(service, take, ++id, parts));
        }
        const std::string name = std::to_string(seconds) + "s";
        const double wholeMedian = median(whole), liveMedian = median(live);
        figure("whole_stop_to_text_" + name + "_median", wholeMedian * 1000, "ms");
        figure("live_stop_to_text_" + name + "_median", liveMedian * 1000, "ms");
        figure("live_parts_before_stop_" + name, static_cast<double>(parts), "parts");
        if (seconds == 10) {
            wholeShort = wholeMedian;
            liveShort = liveMedian;
        } else if (liveShort > 0 && wholeShort > 0) {
            figure("whole_stop_to_text_ratio_" + name, wholeMedian / wholeShort, "x");
            figure("live_stop_to_text_ratio_" + name, liveMedian / liveShort, "x");
        }
    }
    service.shutdown();
}
