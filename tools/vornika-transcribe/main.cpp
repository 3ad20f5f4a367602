// vornika-transcribe: runs a WAV file through the same path a dictation takes
// (recorder conversion, take check, levelling, the engine with the program's
// fixed parameters) and prints the recognised text.
//   vornika-transcribe --model MODEL [--save-take OUT.wav] [--verbose] FILE.wav
// stdout: the text (UTF-8, one line). stderr: verdict, peak, seconds, timings.
// Exit codes: 0 text printed, 2 bad input file, 3 model or engine failure,
// 4 take rejected (silent or too short).

#include <chrono>
#include <cstdio>
#include <limits>
#include <string>
#include <thread>

#include "engine/velto.h"
#include "tools/common/console.h"
#include "tools/common/recorder_path.h"
#include "tools/common/wav_file.h"

namespace {

constexpr int kExitBadInput = 2;
constexpr int kExitEngine = 3;
constexpr int kExitRejected = 4;

bool verbose = false;

void engineLog(const char* text) {
    if (verbose) std::fputs(text, stderr);
}

const char* verdictName(TakeVerdict verdict) {
    switch (verdict) {
    case TakeVerdict::Ok: return "ok";
    case TakeVerdict::TooShort: return "too short";
    case TakeVerdict::Silent: return "silent";
    }
    return "?";
}

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

int usage() {
    std::fputs("usage: vornika-transcribe --model MODEL [--save-take OUT.wav] [--verbose] FILE.wav\n", stderr);
    return kExitBadInput;
}

}  // namespace

int main(int argc, char** argv) {
    std::string model, input, saveTake;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--model" && i + 1 < argc)
            model = argv[++i];
        else if (arg == "--save-take" && i + 1 < argc)
            saveTake = argv[++i];
        else if (arg == "--verbose")
            verbose = true;
        else if (!arg.empty() && arg[0] != '-' && input.empty())
            input = arg;
        else
            return usage();
    }
    if (model.empty() || input.empty()) return usage();
    useBinaryStdout();

    WavAudio audio;
    if (const std::string fault = readWavFile(input, audio); !fault.empty()) {
        std::fprintf(stderr, "vornika-transcribe: %s: %s\n", input.c_str(), fault.c_str());
        return kExitBadInput;
    }
    const std::vector<float> take = convertLikeRecorder(audio);
    const TakeAnalysis analysis = analyzeTake(take);
    std::fprintf(stderr, "input: %u Hz, %u channels, %u-bit %s\n", audio.rate, unsigned(audio.format.channels),
                 unsigned(audio.format.bitsPerSample), audio.format.isFloat ? "float" : "integer");
    std::fprintf(stderr, "verdict: %s\npeak: %.5f\nseconds: %.3f\n", verdictName(analysis.verdict), analysis.peak,
                 analysis.seconds);
    if (analysis.verdict != TakeVerdict::Ok) return kExitRejected;

    if (take.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        std::fprintf(stderr, "vornika-transcribe: %s: too long for one recognition\n", input.c_str());
        return kExitBadInput;
    }
    const std::vector<float> levelled = normalizeLevel(take);
    if (!saveTake.empty() && !writeFloatWav(saveTake, levelled, kEngineRate)) {
        std::fprintf(stderr, "vornika-transcribe: cannot write %s\n", saveTake.c_str());
        return kExitBadInput;
    }

    velto_set_log_callback(engineLog);
    const auto loadStart = std::chrono::steady_clock::now();
    // Graphics card first, processor as fallback, as the program loads it.
    int rc = velto_load(model.c_str(), 1);
    if (rc != 0) {
        std::fprintf(stderr, "GPU load failed (%s), trying the CPU\n", velto_last_error());
        rc = velto_load(model.c_str(), 0);
    }
    if (rc != 0) {
        std::fprintf(stderr, "vornika-transcribe: model load failed: %s\n", velto_last_error());
        return kExitEngine;
    }
    std::fprintf(stderr, "load: %.0f ms (%s)\n", millisecondsSince(loadStart), velto_backend());

    const int threads = recognitionThreadCount(std::thread::hardware_concurrency());
    const auto start = std::chrono::steady_clock::now();
    char* text = velto_transcribe(levelled.data(), static_cast<int>(levelled.size()), threads);
    const double elapsed = millisecondsSince(start);
    if (text == nullptr) {
        std::fprintf(stderr, "vornika-transcribe: recognition failed: %s\n", velto_last_error());
        velto_unload();
        return kExitEngine;
    }
    const std::string result = trimBlanks(text);
    velto_free_text(text);
    velto_unload();
    std::fprintf(stderr, "transcribe: %.0f ms, %d threads, %.2fx real time\n", elapsed, threads,
                 analysis.seconds * 1000.0 / elapsed);
    std::printf("%s\n", result.c_str());
    return 0;
}
