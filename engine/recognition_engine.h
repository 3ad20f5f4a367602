#pragma once
// What the transcription service needs from a speech engine: one model at a
// time, loaded, used and unloaded. The program's engine is the whisper
// library behind the velto_* functions (veltoEngine()); tests pass their own.
// Not thread-safe: the service makes every call but setLogSink and abort
// from its worker thread. Failures are return values with a reason in lastError.

#include <cstdint>
#include <optional>
#include <string>

// What transcribe takes: mono floats, this many a second. The recorder
// delivers audio's kEngineRate; the layer that joins the two checks they agree.
inline constexpr std::uint32_t kRecognitionRate = 16000;

class RecognitionEngine {
public:
    using LogSink = void (*)(const char* text);

    virtual ~RecognitionEngine() = default;

    // 0: a model is loaded (also when one already was); anything else is the
    // engine's failure code.
    virtual int load(const std::string& asciiPath, bool useGpu) = 0;
    // The UTF-8 text of all segments (may be empty), or nullopt on failure.
    // prompt: UTF-8 words the speech is likely to hold ("" for none); the
    // engine cuts one longer than its model takes. context: the UTF-8 text
    // the speech continues ("" for none); the engine keeps what fits of its end.
    virtual std::optional<std::string> transcribe(const float* samples, int count, int threads,
                                                  const std::string& prompt = {}, const std::string& context = {}) = 0;
    virtual void unload() = 0;
    // Asks the recognition running now (or the next one) to stop early; it
    // then fails. Any thread.
    virtual void abort() = 0;
    // The device the loaded model runs on ("CPU", "Vulkan", ...).
    virtual std::string backend() const = 0;
    virtual std::string lastError() const = 0;
    // Where the engine's own messages go, from any thread; null for nowhere.
    virtual void setLogSink(LogSink sink) = 0;
};

// The whisper library's engine, one per process.
RecognitionEngine& veltoEngine();
