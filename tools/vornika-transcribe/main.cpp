// vornika-transcribe: runs a WAV file through the same path a dictation takes
// (recorder conversion, take check, levelling, then the transcription service
// with its model load, warm-up and fixed recognition parameters) and prints
// the recognised text.
//   vornika-transcribe --model MODEL [--save-take OUT.wav] [--threads N] [--verbose] [text options] FILE.wav
// --threads replaces the program's own count (processors less two, at least four).
// The text options (--script, --apostrophe, --trailing-space, --spoken-breaks)
// style the text as the program's text settings do.
// stdout: the text (UTF-8, one line unless spoken breaks made more). stderr: verdict, peak, seconds, timings,
// and the program's own error text when the service reports one.
// Exit codes: 0 text printed, 2 bad input file, 3 model or engine failure,
// 4 take rejected (silent or too short).

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <limits>
#include <string>

#include "diag/encoding.h"
#include "diag/folders.h"
#include "engine/recognition_threads.h"
#include "engine/transcription_service.h"
#include "engine/velto.h"
#include "text/text_options.h"
#include "tools/common/console.h"
#include "tools/common/recorder_path.h"
#include "tools/common/wav_file.h"

namespace {

constexpr int kExitBadInput = 2;
constexpr int kExitEngine = 3;
constexpr int kExitRejected = 4;

bool verbose = false;

void engineLog(const char* text) { std::fputs(text, stderr); }

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
    std::fprintf(stderr, "usage: vornika-transcribe --model MODEL [--save-take OUT.wav] [--threads N] [--verbose]\n"
                         "                          %s FILE.wav\n", kTextOptionsUsage);
    return kExitBadInput;
}

}  // namespace

int main(int argc, char** argv) {
    std::string model, input, saveTake;
    int threads = 0;
    TextStyle style;
    const std::vector<std::string> args(argv, argv + argc);
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const int textArguments = parseTextOption(args, static_cast<std::size_t>(i), style);
        if (textArguments < 0) return usage();
        if (textArguments > 0)
            i += textArguments - 1;
        else if (arg == "--model" && i + 1 < argc)
            model = argv[++i];
        else if (arg == "--save-take" && i + 1 < argc)
            saveTake = argv[++i];
        else if (arg == "--threads" && i + 1 < argc && std::atoi(argv[i + 1]) > 0)
            threads = std::atoi(argv[++i]);
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

    // The model named on the command line stands in for the program's search.
    const std::wstring modelPath = fromUtf8(model);
    TranscriptionService service(
        {[modelPath] { return fileExists(modelPath) ? modelPath : std::wstring(); }, nullptr, threads, &veltoEngine()});
    // The library's messages would otherwise reach the log's debug output.
    velto_set_log_callback(verbose ? engineLog : nullptr);

    std::promise<TranscribeResult> delivered;
    const auto submitted = std::chrono::steady_clock::now();
    service.submit(levelled, [&delivered](TranscribeResult result) { delivered.set_value(std::move(result)); });
    const TranscribeResult result = delivered.get_future().get();
    const double total = millisecondsSince(submitted);
    service.shutdown();
    if (!result.error.empty()) {
        std::fprintf(stderr, "vornika-transcribe: %s\n", toUtf8(result.error).c_str());
        return kExitEngine;
    }
    const double recognition = result.seconds * 1000.0;
    std::fprintf(stderr, "service: %.0f ms from submit to result (load and warm-up included)\n", total);
    std::fprintf(stderr, "transcribe: %.0f ms, %d threads, %.2fx real time\n", recognition, threads > 0 ? threads : recognitionThreads(),
                 recognition > 0 ? analysis.seconds * 1000.0 / recognition : 0.0);
    std::printf("%s\n", styleText(toUtf8(result.text), style).c_str());
    return 0;
}
