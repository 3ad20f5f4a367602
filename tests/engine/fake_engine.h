#pragma once
// A stand-in for the speech engine, passed to services under test in place of
// the whisper engine: scripted outcomes, recorded calls, and a gate that
// holds recognitions so tests can line jobs up behind one another.

#include <chrono>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/recognition_engine.h"

namespace fakeengine {

struct Script {
    int gpuLoadResult = 0;  // what load returns with and without the graphics card
    int cpuLoadResult = 0;
    std::string gpuLoadError = "no GPU device";
    std::string cpuLoadError = "invalid model file: header truncated";
    std::string gpuBackend = "Vulkan";
    // The recognised text; nullopt makes transcribe fail. "{count}" is
    // replaced by the number of samples, so jobs can be told apart.
    std::optional<std::string> text = " Salom dunyo\r\n";
    std::string transcribeError = "whisper_full failed";
    // Recognitions of these sample counts fail, whatever text says.
    std::vector<std::size_t> failingCounts;
    // Recognitions of these sample counts say this text instead.
    std::map<std::size_t, std::string> textFor;
    // How long each recognition takes, as a real model's would.
    std::chrono::milliseconds duration{0};
};

struct Calls {
    std::vector<std::string> loadPaths;
    std::vector<int> loadGpuFlags;
    std::vector<std::size_t> transcribeCounts;
    std::vector<int> transcribeThreads;
    std::vector<std::string> prompts;  // each recognition's prompt, warm-ups included
    std::vector<std::string> contexts;  // and the text it continues
    std::vector<float> firstSamples;  // the samples of the first recognition
    std::vector<float> lastSamples;   // and of the last
    int unloads = 0;                  // unload calls that found a model
    int texts = 0, freed = 0;         // texts handed out and given back
    std::vector<std::thread::id> threads;  // every engine call's thread
};

// The one fake engine; reset before each use.
RecognitionEngine& engine();
void reset(const Script& script = {});
Calls calls();
bool loaded();

// While held, transcribe waits (recognitions of holdCount samples only,
// or all when holdCount is 0) until released.
void hold(std::size_t holdCount = 0);
void release();

// Sends a message through the sink the service registered.
void emitLibraryLog(const char* text);

}  // namespace fakeengine
