// vornika-bench --only recognition: what a dictation waits for, through the
// program's own path (the transcription service with its thread rule, model
// load and warm-up) on scripted models at real dimensions:
//   - seconds and real-time factor for takes of 3, 10 and 30 s, with the
//     library's own split of that time (mel, sampling, encoder, decoder,
//     batched decoder, prompt), for f16, q8_0 and q5_0 weights;
//   - the program's thread count (through its rule) against 1, 2 and 4
//     threads, 5 s takes;
//   - flash attention on against off, through the library directly (the
//     program keeps it on), 10 s takes.
// Every configuration runs in child processes of its own, interleaved, so a
// drift in the machine's load hits all of them alike; figures are medians.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <future>
#include <map>
#include <mutex>
#include <sstream>

#include <whisper.h>

#include "diag/encoding.h"
#include "diag/folders.h"
#include "engine/recognition_threads.h"
#include "engine/transcription_service.h"
#include "engine/velto.h"
#include "engine/velto_internal.h"
#include "engine/velto_params.h"
#include "model/quantize.h"
#include "tools/testmodel/test_model.h"
#include "tools/vornika-bench/bench.h"

namespace {

using Clock = std::chrono::steady_clock;

// The library's account of one recognition, in milliseconds.
struct Split {
    double mel = 0, sample = 0, encode = 0, decode = 0, batchd = 0, prompt = 0;
};

std::mutex capturedMutex;
std::string captured;

void captureText(const char* text) {
    const std::lock_guard lock(capturedMutex);
    captured += text;
}
void captureLibraryLog(ggml_log_level, const char* text, void*) {
    if (text != nullptr) captureText(text);
}

double numberAfter(const std::string& text, const std::string& key) {
    const std::size_t at = text.find(key);
    return at == std::string::npos ? 0 : std::atof(text.c_str() + at + key.size());
}

// whisper_print_timings, read back from the log it writes to.
Split librarySplit(whisper_context* context) {
    {
        const std::lock_guard lock(capturedMutex);
        captured.clear();
    }
    if (context != nullptr) whisper_print_timings(context);
    const std::lock_guard lock(capturedMutex);
    return {numberAfter(captured, "mel time = "),    numberAfter(captured, "sample time = "),
            numberAfter(captured, "encode time = "), numberAfter(captured, "decode time = "),
            numberAfter(captured, "batchd time = "), numberAfter(captured, "prompt time = ")};
}

void printTake(int seconds, double wall, const Split& s) {
    std::printf("take %d %.6f %.3f %.3f %.3f %.3f %.3f %.3f\n", seconds, wall, s.mel, s.sample, s.encode, s.decode,
                s.batchd, s.prompt);
}

struct TakeFigures {
    int seconds = 0;
    double wall = 0;
    Split split;
};

struct ChildOutput {
    std::vector<TakeFigures> takes;
    double peakMb = 0;
    int threads = 0;
    std::string text;
    bool ok = false;
};

ChildOutput parseOutput(const std::string& output) {
    ChildOutput out;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();  // a Windows child's text-mode output
        std::istringstream words(line);
        std::string key;
        words >> key;
        if (key == "take") {
            TakeFigures t;
            Split& s = t.split;
            if (words >> t.seconds >> t.wall >> s.mel >> s.sample >> s.encode >> s.decode >> s.batchd >> s.prompt)
                out.takes.push_back(t);
        } else if (key == "peak_rss_mb") {
            words >> out.peakMb;
        } else if (key == "threads") {
            words >> out.threads;
        } else if (key == "text") {
            std::getline(words, out.text);
            if (!out.text.empty() && out.text[0] == ' ') out.text.erase(0, 1);
            out.ok = true;
        }
    }
    return out;
}

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

ChildOutput runChild(const EngineBenchOptions& o, const std::string& arguments) {
    return parseOutput(runAndCapture(quoted(o.self) + " " + arguments));
}

std::string takeList(const std::vector<int>& takes) {
    std::string list;
    for (int t : takes) {
        if (!list.empty()) list += ',';
        list += std::to_string(t);
    }
    return list;
}

// Every figure of one configuration, over all its children.
struct Collected {
    std::map<int, std::vector<TakeFigures>> byTake;
    std::vector<double> peaks;
    std::vector<std::string> texts;
    int threads = 0;

    void add(const ChildOutput& out) {
        if (!out.ok) return;
        for (const TakeFigures& t : out.takes) byTake[t.seconds].push_back(t);
        peaks.push_back(out.peakMb);
        texts.push_back(out.text);
        threads = out.threads;
    }
    double wallMedian(int seconds) const {
        std::vector<double> v;
        if (const auto it = byTake.find(seconds); it != byTake.end())
            for (const TakeFigures& t : it->second) v.push_back(t.wall);
        return median(v);
    }
    double splitMedian(int seconds, double Split::*part) const {
        std::vector<double> v;
        if (const auto it = byTake.find(seconds); it != byTake.end())
            for (const TakeFigures& t : it->second) v.push_back(t.split.*part);
        return median(v);
    }
    bool allSay(const std::string& text) const {
        if (texts.empty()) return false;
        for (const std::string& t : texts)
            if (t != text) return false;
        return true;
    }
};

void reportTakes(const std::string& prefix, const Collected& c, const std::vector<int>& takes) {
    for (int seconds : takes) {
        const std::string p = prefix + "_" + std::to_string(seconds) + "s";
        const double wall = c.wallMedian(seconds);
        figure(p + "_median", wall, "s");
        figure(p + "_realtime_factor", wall / seconds, "x");
        figure(p + "_mel_median", c.splitMedian(seconds, &Split::mel), "ms");
        figure(p + "_sampling_median", c.splitMedian(seconds, &Split::sample), "ms");
        figure(p + "_encode_median", c.splitMedian(seconds, &Split::encode), "ms");
        figure(p + "_decode_median", c.splitMedian(seconds, &Split::decode), "ms");
        figure(p + "_batched_decode_median", c.splitMedian(seconds, &Split::batchd), "ms");
        figure(p + "_prompt_median", c.splitMedian(seconds, &Split::prompt), "ms");
    }
}


}  // namespace

std::string modelFile(const EngineBenchOptions& o, const std::string& preset, WeightType type) {
    return (std::filesystem::path(o.modelDir) / ("scripted-" + preset + "-" + weightTypeName(type) + ".bin")).string();
}

// Written by a child: the library's quantizer prints on standard output,
// which here carries the figures.
bool ensureModel(const EngineBenchOptions& o, const std::string& preset, WeightType type) {
    const std::string path = modelFile(o, preset, type);
    if (std::filesystem::exists(path)) return true;
    std::error_code ignored;  // a folder that cannot be made shows as the file missing
    std::filesystem::create_directories(o.modelDir, ignored);
    runAndCapture(quoted(o.self) + " --child-write-model " + preset + " " + weightTypeName(type) + " " + quoted(path));
    if (std::filesystem::exists(path)) return true;
    std::fprintf(stderr, "vornika-bench: could not write %s\n", path.c_str());
    return false;
}

int writeModelChild(const std::string& preset, const std::string& typeName, const std::string& path) {
    ModelHeader header;
    WeightType type = WeightType::F16;
    if (!presetHeader(preset, header) || !parseWeightType(typeName, type)) return 2;
    const std::string error =
        writeModelAs(path, type, [&](const std::string& f16) { return writeScriptedModel(f16, header, kBenchScript); });
    if (error.empty()) return 0;
    std::fprintf(stderr, "vornika-bench: %s\n", error.c_str());
    return 1;
}

int recognitionChild(const std::string& model, int threads, int runs, const std::vector<int>& takeSeconds) {
    const std::wstring path = fromUtf8(model);
    TranscriptionService service({[path] { return fileExists(path) ? path : std::wstring(); }, nullptr, threads, &veltoEngine()});
    velto_set_log_callback(captureText);  // after the service's own: the library's timings come here
    service.requestPreload();
    std::wstring text;
    for (int seconds : takeSeconds) {
        const std::vector<float> samples = benchTake(seconds);
        for (int run = 0; run < runs; ++run) {
            std::promise<std::pair<TranscribeResult, Split>> done;
            service.submit(samples, [&done](TranscribeResult result) {
                // The worker's thread: the engine may be asked here.
                done.set_value({std::move(result), librarySplit(veltoContext())});
            });
            auto [result, split] = done.get_future().get();
            if (!result.error.empty()) {
                std::fprintf(stderr, "recognition: %s\n", toUtf8(result.error).c_str());
                return 3;
            }
            printTake(seconds, result.seconds, split);
            text = result.text;
        }
    }
    service.shutdown();
    std::printf("threads %d\npeak_rss_mb %.1f\ntext %s\n", threads > 0 ? threads : recognitionThreads(),
                peakResidentMegabytes(), toUtf8(text).c_str());
    return 0;
}

int flashChild(const std::string& model, bool flash, int threads, int runs, int takeSeconds) {
    whisper_log_set(captureLibraryLog, nullptr);
    whisper_context* context = loadDirectly(model, flash);
    if (context == nullptr) return 3;
    const whisper_full_params params = veltoRecognitionParams(threads);
    const std::vector<float> samples = benchTake(takeSeconds);
    std::string text;
    for (int run = 0; run <= runs; ++run) {  // the first pays the one-time costs, as the warm-up would
        whisper_reset_timings(context);
        const auto start = Clock::now();
        if (whisper_full(context, params, samples.data(), static_cast<int>(samples.size())) != 0) return 3;
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        if (run > 0) printTake(takeSeconds, wall, librarySplit(context));
        text = segmentsText(context);
    }
    whisper_free(context);
    std::printf("threads %d\npeak_rss_mb %.1f\ntext %s\n", threads, peakResidentMegabytes(), text.c_str());
    return 0;
}

void benchRecognition(const EngineBenchOptions& o) {
    std::filesystem::create_directories(o.modelDir);
    const WeightType types[] = {WeightType::F16, WeightType::Q8_0, WeightType::Q5_0};
    const std::vector<int> takes{3, 10, 30};
    const int programThreads = recognitionThreads();
    const std::string runs = std::to_string(o.runs);
    const std::string expected = kBenchScript;

    for (const std::string& preset : o.presets) {
        ModelHeader header;
        if (!presetHeader(preset, header)) continue;
        bool haveAll = true;
        for (WeightType type : types) haveAll = ensureModel(o, preset, type) && haveAll;
        if (!haveAll) continue;
        const std::string p = "recognition_" + preset;
        figure(p + "_program_threads", programThreads, "threads");

        // Weight types through the program's path, with its own thread count.
        std::map<WeightType, Collected> byType;
        for (int child = 0; child < o.children; ++child)
            for (WeightType type : types)
                byType[type].add(runChild(o, "--child-recognition " + quoted(modelFile(o, preset, type)) + " 0 " + runs +
                                                 " " + takeList(takes)));
        for (WeightType type : types) {
            const Collected& c = byType[type];
            const std::string t = p + "_" + weightTypeName(type);
            reportTakes(t, c, takes);
            figure(t + "_peak_rss_median", median(c.peaks), "MB");
            figure(t + "_file", std::filesystem::file_size(modelFile(o, preset, type)) / 1048576.0, "MB");
            figure(t + "_exact_text", c.allSay(expected) ? 1 : 0, "bool");
            const double f16 = byType[WeightType::F16].wallMedian(10);
            figure(t + "_to_f16_10s_ratio", f16 > 0 ? c.wallMedian(10) / f16 : 0, "x");
        }

        // The program's thread count against fixed ones, f16, 5 s takes; the
        // program's own count runs through its rule (threads 0).
        std::vector<int> counts{1, 2, 4};
        if (std::find(counts.begin(), counts.end(), programThreads) == counts.end()) counts.push_back(programThreads);
        std::sort(counts.begin(), counts.end());
        std::map<int, Collected> byThreads;
        for (int child = 0; child < o.children; ++child)
            for (int threads : counts)
                byThreads[threads].add(runChild(o, "--child-recognition " + quoted(modelFile(o, preset, WeightType::F16)) +
                                                       " " + std::to_string(threads == programThreads ? 0 : threads) +
                                                       " " + runs + " 5"));
        double fastest = 0;
        for (int threads : counts) {
            const double wall = byThreads[threads].wallMedian(5);
            figure(p + "_threads_" + std::to_string(threads) + "_5s_median", wall, "s");
            if (wall > 0 && (fastest == 0 || wall < fastest)) fastest = wall;
        }
        figure(p + "_program_threads_5s_median", byThreads[programThreads].wallMedian(5), "s");
        figure(p + "_program_threads_to_fastest_ratio",
               fastest > 0 ? byThreads[programThreads].wallMedian(5) / fastest : 0, "x");

        // Flash attention, through the library directly with the program's parameters.
        std::map<bool, Collected> byFlash;
        for (int child = 0; child < o.children; ++child)
            for (bool flash : {true, false})
                byFlash[flash].add(runChild(o, "--child-flash " + quoted(modelFile(o, preset, WeightType::F16)) + " " +
                                                   (flash ? "1 " : "0 ") + std::to_string(programThreads) + " " + runs +
                                                   " 10"));
        const double on = byFlash[true].wallMedian(10), off = byFlash[false].wallMedian(10);
        figure(p + "_flash_on_10s_median", on, "s");
        figure(p + "_flash_off_10s_median", off, "s");
        figure(p + "_flash_off_to_on_ratio", on > 0 ? off / on : 0, "x");
        figure(p + "_flash_same_text", byFlash[true].allSay(expected) && byFlash[false].allSay(expected) ? 1 : 0,
               "bool");
    }
}
