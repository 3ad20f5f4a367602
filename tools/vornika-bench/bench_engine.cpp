#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>

#include <ggml-backend.h>
#include <whisper.h>

#include "diag/encoding.h"
#include "diag/folders.h"
#include "engine/model_file_check.h"
#include "engine/recognition_engine.h"
#include "engine/recognition_threads.h"
#include "engine/velto.h"
#include "engine/velto_params.h"
#include "tools/testmodel/test_model.h"
#include "tools/vornika-bench/bench.h"

namespace {

constexpr int kBenchThreads = 2;

double msSince(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

void quietLog(ggml_log_level, const char*, void*) {}
void quietVelto(const char*) {}

struct ChildFigures {
    double loadMs = 0;
    double firstMs = 0;  // the first recognition after a load, without warm-up
    std::vector<double> runMs;
    double peakMb = 0;
    std::string text;
    // service children
    double readyMs = 0, firstS = 0;
    std::vector<double> laterS, overheadMs, emptyMs;
};

void readList(std::istringstream& words, std::vector<double>& into) {
    for (double v; words >> v;) into.push_back(v);
}

ChildFigures parseChild(const std::string& output) {
    ChildFigures f;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string key;
        words >> key;
        if (key == "load_ms") words >> f.loadMs;
        else if (key == "peak_rss_mb") words >> f.peakMb;
        else if (key == "run_ms") readList(words, f.runMs);
        else if (key == "first_ms") words >> f.firstMs;
        else if (key == "ready_ms") words >> f.readyMs;
        else if (key == "first_s") words >> f.firstS;
        else if (key == "later_s") readList(words, f.laterS);
        else if (key == "overhead_ms") readList(words, f.overheadMs);
        else if (key == "empty_ms") readList(words, f.emptyMs);
        else if (key == "text") std::getline(words, f.text);
    }
    return f;
}

// Service children recognise with kBenchThreads like the other sides, so
// the figures compare; --program-threads adds the program's own count.
void reportService(const std::string& p, const std::vector<ChildFigures>& children) {
    std::vector<double> ready, first, later, overhead, empty;
    for (const ChildFigures& f : children) {
        if (f.text.empty()) continue;  // a failed child
        ready.push_back(f.readyMs);
        first.push_back(f.firstS);
        later.insert(later.end(), f.laterS.begin(), f.laterS.end());
        overhead.insert(overhead.end(), f.overheadMs.begin(), f.overheadMs.end());
        empty.insert(empty.end(), f.emptyMs.begin(), f.emptyMs.end());
    }
    if (ready.empty()) {
        std::fprintf(stderr, "vornika-bench: no service figures for %s\n", p.c_str());
        return;
    }
    figure(p + "_service_preload_to_ready_median", median(ready), "ms");
    figure(p + "_service_first_job_recognition_median", median(first), "s");
    figure(p + "_service_later_job_recognition_median", median(later), "s");
    figure(p + "_service_first_to_later_ratio", median(later) > 0 ? median(first) / median(later) : 0, "x");
    figure(p + "_service_overhead_per_job_median", median(overhead), "ms");
    figure(p + "_service_overhead_per_job_max", *std::max_element(overhead.begin(), overhead.end()), "ms");
    figure(p + "_service_empty_job_round_trip_median", median(empty), "ms");
}

}  // namespace

std::vector<float> benchTake(double seconds) {
    std::vector<float> samples(static_cast<std::size_t>(kRecognitionRate * seconds));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = 0.3f * std::sin(static_cast<float>(i) * 0.05f) * std::sin(static_cast<float>(i) * 0.0007f);
    return samples;
}

whisper_context* loadDirectly(const std::string& model, bool flashAttention) {
    ggml_backend_load_all_from_path(toUtf8(exeDirectory()).c_str());
    whisper_context_params params = whisper_context_default_params();
    params.use_gpu = false;
    params.flash_attn = flashAttention;
    return whisper_init_from_file_with_params(model.c_str(), params);
}

std::string segmentsText(whisper_context* context) {
    std::string text;
    for (int i = 0; i < whisper_full_n_segments(context); ++i) text += whisper_full_get_segment_text(context, i);
    return text;
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

int engineChild(const std::string& mode, const std::string& model, int runs) {
    const std::vector<float> samples = benchTake(5);
    if (mode == "service") return serviceChild(model, runs, samples, kBenchThreads);
    if (mode == "service-program") return serviceChild(model, runs, samples, 0);
    std::vector<double> times;
    std::string text;
    if (mode == "velto") {
        velto_set_log_callback(quietVelto);
        const auto t = std::chrono::steady_clock::now();
        if (velto_load(model.c_str(), 0) != 0) {
            std::fprintf(stderr, "velto_load: %s\n", velto_last_error());
            return 3;
        }
        std::printf("load_ms %.3f\n", msSince(t));
        for (int i = 0; i <= runs; ++i) {
            const auto s = std::chrono::steady_clock::now();
            char* result = velto_transcribe(samples.data(), static_cast<int>(samples.size()), kBenchThreads);
            if (i > 0) times.push_back(msSince(s));  // the first call pays the one-time costs
            else std::printf("first_ms %.3f\n", msSince(s));
            if (result == nullptr) return 3;
            text = result;
            velto_free_text(result);
        }
    } else {
        whisper_log_set(quietLog, nullptr);
        const auto t = std::chrono::steady_clock::now();
        whisper_context* ctx = loadDirectly(model, true);
        if (ctx == nullptr) return 3;
        std::printf("load_ms %.3f\n", msSince(t));
        const whisper_full_params params = veltoRecognitionParams(kBenchThreads);
        for (int i = 0; i <= runs; ++i) {
            const auto s = std::chrono::steady_clock::now();
            if (whisper_full(ctx, params, samples.data(), static_cast<int>(samples.size())) != 0) return 3;
            text = segmentsText(ctx);
            if (i > 0) times.push_back(msSince(s));
        }
        whisper_free(ctx);
    }
    std::printf("run_ms");
    for (double v : times) std::printf(" %.3f", v);
    std::printf("\npeak_rss_mb %.1f\ntext %s\n", peakResidentMegabytes(), text.c_str());
    return 0;
}

void benchEngine(const EngineBenchOptions& o) {
    std::filesystem::create_directories(o.modelDir);
    for (const std::string& preset : o.presets) {
        ModelHeader header;
        if (!presetHeader(preset, header)) continue;
        const std::string model = (std::filesystem::path(o.modelDir) / ("scripted-" + preset + ".bin")).string();
        if (!std::filesystem::exists(model)) {
            const std::string error = writeScriptedModel(model, header, kBenchScript);
            if (!error.empty()) {
                std::fprintf(stderr, "vornika-bench: %s\n", error.c_str());
                continue;
            }
        }
        std::vector<double> checks;
        for (int i = 0; i < 5; ++i) {
            const auto t = std::chrono::steady_clock::now();
            (void)checkModelFile(model.c_str());
            checks.push_back(msSince(t));
        }
        std::map<std::string, std::vector<ChildFigures>> sides;
        for (int c = 0; c < o.children; ++c) {
            for (const char* mode : {"velto", "direct", "service"}) {  // interleaved, so load drifts hit both sides
                const std::string cmd = "\"" + o.self + "\" --child " + mode + " \"" + model + "\" " +
                                        std::to_string(o.runs);
                sides[mode].push_back(parseChild(runAndCapture(cmd)));
            }
        }
        auto collect = [&](const std::string& mode, auto member) {
            std::vector<double> all;
            for (const ChildFigures& f : sides[mode]) member(f, all);
            return all;
        };
        auto runs = [](const ChildFigures& f, std::vector<double>& all) { all.insert(all.end(), f.runMs.begin(), f.runMs.end()); };
        auto loads = [](const ChildFigures& f, std::vector<double>& all) { all.push_back(f.loadMs); };
        auto peaks = [](const ChildFigures& f, std::vector<double>& all) { all.push_back(f.peakMb); };
        const double veltoRun = median(collect("velto", runs)), directRun = median(collect("direct", runs));
        const double veltoPeak = median(collect("velto", peaks)), directPeak = median(collect("direct", peaks));
        const std::string p = "engine_" + preset;
        figure(p + "_velto_transcribe_5s_median", veltoRun / 1000.0, "s");
        figure(p + "_whisper_full_5s_median", directRun / 1000.0, "s");
        figure(p + "_transcribe_ratio", directRun > 0 ? veltoRun / directRun : 0, "x");
        figure(p + "_velto_load_median", median(collect("velto", loads)), "ms");
        figure(p + "_model_check_median", median(checks), "ms");
        figure(p + "_whisper_init_median", median(collect("direct", loads)), "ms");
        figure(p + "_velto_peak_rss", veltoPeak, "MB");
        figure(p + "_whisper_peak_rss", directPeak, "MB");
        figure(p + "_peak_rss_ratio", directPeak > 0 ? veltoPeak / directPeak : 0, "x");
        auto firsts = [](const ChildFigures& f, std::vector<double>& all) { all.push_back(f.firstMs); };
        figure(p + "_velto_first_transcribe_unwarmed_median", median(collect("velto", firsts)) / 1000.0, "s");
        reportService(p, sides["service"]);
        if (o.programThreads) {
            const std::string cmd = "\"" + o.self + "\" --child service-program \"" + model + "\" 1";
            const ChildFigures f = parseChild(runAndCapture(cmd));
            figure(p + "_service_program_threads", recognitionThreads(), "threads");
            figure(p + "_service_program_threads_later_job_recognition", f.laterS.empty() ? 0 : f.laterS[0], "s");
        }
        const bool same = !sides["velto"].empty() && !sides["direct"].empty() &&
                          sides["velto"][0].text == sides["direct"][0].text && !sides["velto"][0].text.empty();
        figure(p + "_same_text", same ? 1 : 0, "bool");
    }
}
