// A measuring child for the transcription service: what a dictation pays on
// top of the recognition itself, and what a preload buys the first one.
#include <chrono>
#include <cstdio>
#include <future>

#include "diag/encoding.h"
#include "diag/folders.h"
#include "engine/transcription_service.h"
#include "engine/velto.h"
#include "tools/vornika-bench/bench.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Timed {
    TranscribeResult result;
    double roundTripMs = 0;  // submit to the callback's start
};

Timed submitAndWait(TranscriptionService& service, std::vector<float> samples, Clock::time_point start) {
    std::promise<Timed> done;
    service.submit(std::move(samples), [&done, start](TranscribeResult result) {
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        done.set_value({std::move(result), ms});
    });
    return done.get_future().get();
}

void printList(const char* key, const std::vector<double>& values) {
    std::printf("%s", key);
    for (double v : values) std::printf(" %.4f", v);
    std::printf("\n");
}

}  // namespace

int serviceChild(const std::string& model, int runs, const std::vector<float>& samples, int threads) {
    const std::wstring path = fromUtf8(model);
    TranscriptionService service({[path] { return fileExists(path) ? path : std::wstring(); }, nullptr, threads, &veltoEngine()});
    velto_set_log_callback(nullptr);

    // The App's start: preload, then the first dictation arrives while (or
    // after) the model loads and warms up.
    const auto preloaded = Clock::now();
    service.requestPreload();
    const Timed first = submitAndWait(service, samples, preloaded);
    if (!first.result.error.empty()) {
        std::fprintf(stderr, "service: %s\n", toUtf8(first.result.error).c_str());
        return 3;
    }
    std::printf("ready_ms %.3f\nfirst_s %.6f\n", first.roundTripMs - first.result.seconds * 1000.0,
                first.result.seconds);

    std::vector<double> later, overhead, empty;
    for (int i = 0; i < runs; ++i) {
        const Timed job = submitAndWait(service, samples, Clock::now());
        later.push_back(job.result.seconds);
        overhead.push_back(job.roundTripMs - job.result.seconds * 1000.0);
        empty.push_back(submitAndWait(service, {}, Clock::now()).roundTripMs);
    }
    printList("later_s", later);
    printList("overhead_ms", overhead);
    printList("empty_ms", empty);
    std::printf("text %s\n", toUtf8(first.result.text).c_str());
    return 0;
}
