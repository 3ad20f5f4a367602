#include "engine/recognition_engine.h"
#include "engine/transcription_service.h"
#include "engine/velto.h"

#include <whisper.h>

static_assert(kRecognitionRate == WHISPER_SAMPLE_RATE, "the whisper library's input rate");

namespace {

class VeltoEngine final : public RecognitionEngine {
public:
    int load(const std::string& asciiPath, bool useGpu) override { return velto_load(asciiPath.c_str(), useGpu ? 1 : 0); }

    std::optional<std::string> transcribe(const float* samples, int count, int threads,
                                          const std::string& prompt, const std::string& context) override {
        char* text = velto_transcribe_in_context(samples, count, threads, prompt.c_str(), context.c_str());
        if (text == nullptr) return std::nullopt;
        std::string copy = text;
        velto_free_text(text);
        return copy;
    }

    void unload() override { velto_unload(); }
    void abort() override { velto_abort(); }
    std::string backend() const override { return velto_backend(); }
    std::string lastError() const override { return velto_last_error(); }
    void setLogSink(LogSink sink) override { velto_set_log_callback(sink); }
};

}  // namespace

RecognitionEngine& veltoEngine() {
    static VeltoEngine engine;
    return engine;
}

TranscriptionService& TranscriptionService::instance() {
    static TranscriptionService service({{}, nullptr, 0, &veltoEngine()});
    return service;
}
