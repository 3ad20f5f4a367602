#pragma once
// vornika-bench: figures, one per line, as "name value unit".

#include <cstdio>
#include <string>
#include <vector>

#include "model/quantize.h"

inline void figure(const std::string& name, double value, const char* unit) {
    std::printf("%s %.6g %s\n", name.c_str(), value, unit);
    std::fflush(stdout);
}

double median(std::vector<double> values);

// 25 tokens, a realistic sentence length for a 5 s dictation.
inline constexpr const char* kBenchScript =
    "Bugun ertalab biz doʻstlarimiz bilan shahar markazidagi katta bogʻda uchrashdik va kelgusi hafta "
    "boʻladigan yigʻilish rejasini batafsil muhokama qildik, hammasi yaxshi";
// A take of this length: a tone whose loudness rises and falls like speech.
std::vector<float> benchTake(double seconds);

// The library alone, without the engine: a model on the processor with flash
// attention on or off (null when it does not load), and the text of the last
// recognition, its segments joined.
struct whisper_context;
whisper_context* loadDirectly(const std::string& model, bool flashAttention);
std::string segmentsText(whisper_context* context);

void benchConversion(double secondsPerCase);

struct EngineBenchOptions {
    std::string self;       // this executable, to start measuring children
    std::string modelDir;   // where the scripted models are written (and reused)
    std::vector<std::string> presets{"tiny", "base"};
    int children = 3;       // child processes per side
    int runs = 3;           // recognitions per child after one warm-up
    bool programThreads = false;  // also one service child with the program's thread count
};
void benchEngine(const EngineBenchOptions& options);

// A measuring child: loads MODEL through velto ("velto") or the library
// directly ("direct") and prints load_ms, run_ms and peak_rss_mb lines, or
// runs jobs through the transcription service ("service").
int engineChild(const std::string& mode, const std::string& model, int runs);
// threads 0: the program's own count (recognitionThreads).
int serviceChild(const std::string& model, int runs, const std::vector<float>& samples, int threads);

// Recognition through the program's own path on scripted models at real
// dimensions: take lengths, weight types, thread counts, flash attention.
void benchRecognition(const EngineBenchOptions& options);
// Its measuring children; each returns the process's exit code.
int recognitionChild(const std::string& model, int threads, int runs, const std::vector<int>& takeSeconds);
int flashChild(const std::string& model, bool flash, int threads, int runs, int takeSeconds);
int writeModelChild(const std::string& preset, const std::string& type, const std::string& path);

// The scripted model of a preset and weight type in the options' folder,
// written by a child when it is missing; false when it could not be.
std::string modelFile(const EngineBenchOptions& o, const std::string& preset, WeightType type);
bool ensureModel(const EngineBenchOptions& o, const std::string& preset, WeightType type);
// How long quitting takes while a two-minute take is being recognised: the
// running recognition abandoned (the program's way) against waited for.
void benchQuit(const EngineBenchOptions& options);
// Stop-to-text of 10, 60 and 120 s takes on a base-size model: recognised
// whole against recognised in parts while spoken (paced in real time).
void benchLive(const EngineBenchOptions& options);
// Start-to-first-sample delays, CPU while recording and the memory of a
// take of the given length (Windows build; needs a microphone).
void benchCapture(int longTakeSeconds, bool prepared);

// The whole program under the harness: overhead from the stop press to the
// text in a window (recognition excluded), start to warm model, memory.
void benchProgram(int rounds);

// A checkpoint folder of the preset (random F32 weights, written once into
// the options' folder) converted to q8_0 by a child: seconds and peak memory.
void benchCheckpoint(const EngineBenchOptions& options, const std::string& preset);
int convertChild(const std::string& folder, const std::string& output, const std::string& type);

// Styling a 1,000-word dictation: Latin to Cyrillic and back (microseconds).
void benchText();

// Platform parts.
std::string runAndCapture(const std::string& commandLine);
double peakResidentMegabytes();

// A checkpoint downloaded from the hub at `hub` (repo, and cutRepo whose
// storage cuts each file once at a random point): speed, peak memory, the
// cut's cost and a stop's delay.
void benchDownload(const std::string& hub, const std::string& repo, const std::string& cutRepo, int runs);
