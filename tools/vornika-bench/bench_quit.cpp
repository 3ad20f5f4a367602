// vornika-bench --only quit: quitting while a two-minute take is being
// recognised on a base-size model. The program abandons the running
// recognition (abandonWork, then shutdown); for comparison the same quit
// that waits for it. One service per run, in this process.

#include <algorithm>
#include <chrono>
#include <thread>

#include "diag/encoding.h"
#include "diag/folders.h"
#include "engine/transcription_service.h"
#include "engine/velto.h"
#include "tools/vornika-bench/bench.h"

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds from the quit to the service's end, with the take's
// recognition under way; negative when the model did not load.
double quitDuringRecognition(const std::wstring& model, const std::vector<float>& take, bool abandon) {
    TranscriptionService service({[model] { return fileExists(model) ? model : std::wstring(); }, nullptr, 0, &veltoEngine()});
    velto_set_log_callback(nullptr);
    service.requestPreload();
    const auto limit = Clock::now() + std::chrono::seconds(60);
    while (!service.modelIsLoaded()) {
        if (Clock::now() > limit) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    service.submit(take, nullptr);
    // Past the warm-up, into the take's recognition.
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    const auto quitting = Clock::now();
    if (abandon) service.abandonWork();
    service.shutdown();
    return std::chrono::duration<double, std::milli>(Clock::now() - quitting).count();
}

}  // namespace

void benchQuit(const EngineBenchOptions& o) {
    if (!ensureModel(o, "base", WeightType::F16)) return;
    const std::wstring model = fromUtf8(modelFile(o, "base", WeightType::F16));
    const std::vector<float> take = benchTake(120);
    std::vector<double> abandoned, waited;
    for (int run = 0; run < o.runs; ++run) {
        abandoned.push_back(quitDuringRecognition(model, take, true));
        waited.push_back(quitDuringRecognition(model, take, false));
    }
    const double quick = median(abandoned), slow = median(waited);
    figure("quit_120s_take_abandoned_median", quick, "ms");
    figure("quit_120s_take_abandoned_max", *std::max_element(abandoned.begin(), abandoned.end()), "ms");
    figure("quit_120s_take_waited_median", slow, "ms");
    if (quick > 0) figure("quit_waited_over_abandoned", slow / quick, "x");
}
