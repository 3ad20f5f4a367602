#include "tests/engine/fake_engine.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <utility>

namespace fakeengine {
namespace {

std::mutex mutex;
std::condition_variable released;
Script script;
Calls record;
bool modelLoaded = false;
bool holding = false;
bool aborting = false;
std::size_t heldCount = 0;
std::string lastErrorText;
std::string backendName;
std::atomic<RecognitionEngine::LogSink> sink{nullptr};

void noteThread() { record.threads.push_back(std::this_thread::get_id()); }

class FakeEngine final : public RecognitionEngine {
public:
    int load(const std::string& modelPath, bool useGpu) override {
        const std::lock_guard lock(mutex);
        noteThread();
        record.loadPaths.push_back(modelPath);
        record.loadGpuFlags.push_back(useGpu ? 1 : 0);
        if (modelLoaded) return 0;
        const int rc = useGpu ? script.gpuLoadResult : script.cpuLoadResult;
        if (rc != 0) {
            lastErrorText = useGpu ? script.gpuLoadError : script.cpuLoadError;
            return rc;
        }
        modelLoaded = true;
        backendName = useGpu ? script.gpuBackend : "CPU";
        lastErrorText.clear();
        return 0;
    }

    std::optional<std::string> transcribe(const float* samples, int count, int threads,
                                          const std::string& prompt, const std::string& context) override {
        std::unique_lock lock(mutex);
        noteThread();
        record.prompts.push_back(prompt);
        record.contexts.push_back(context);
        if (record.transcribeCounts.empty()) record.firstSamples.assign(samples, samples + count);
        record.lastSamples.assign(samples, samples + count);
        record.transcribeCounts.push_back(static_cast<std::size_t>(count));
        record.transcribeThreads.push_back(threads);
        released.wait(lock, [count] { return aborting || !holding || (heldCount != 0 && heldCount != std::size_t(count)); });
        if (script.duration.count() > 0) released.wait_for(lock, script.duration, [] { return aborting; });
        if (std::exchange(aborting, false)) {
            lastErrorText = "aborted";
            return std::nullopt;
        }
        if (!modelLoaded) {
            lastErrorText = "model not loaded";
            return std::nullopt;
        }
        const bool failing = std::find(script.failingCounts.begin(), script.failingCounts.end(),
                                       static_cast<std::size_t>(count)) != script.failingCounts.end();
        if (!script.text || failing) {
            lastErrorText = script.transcribeError;
            return std::nullopt;
        }
        const auto own = script.textFor.find(static_cast<std::size_t>(count));
        std::string text = own != script.textFor.end() ? own->second : *script.text;
        if (const auto at = text.find("{count}"); at != std::string::npos) text.replace(at, 7, std::to_string(count));
        ++record.texts;
        ++record.freed;  // a copy: nothing is left for the caller to give back
        return text;
    }

    void abort() override {
        {
            const std::lock_guard lock(mutex);
            aborting = true;
        }
        released.notify_all();
    }

    void unload() override {
        const std::lock_guard lock(mutex);
        noteThread();
        if (modelLoaded) ++record.unloads;
        modelLoaded = false;
        backendName.clear();
    }

    std::string backend() const override {
        const std::lock_guard lock(mutex);
        return backendName;
    }

    std::string lastError() const override {
        const std::lock_guard lock(mutex);
        return lastErrorText;
    }

    void setLogSink(LogSink fn) override { sink = fn; }
};

}  // namespace

RecognitionEngine& engine() {
    static FakeEngine fake;
    return fake;
}

void reset(const Script& s) {
    const std::lock_guard lock(mutex);
    script = s;
    record = {};
    modelLoaded = false;
    holding = false;
    aborting = false;
    lastErrorText.clear();
    backendName.clear();
}

Calls calls() {
    const std::lock_guard lock(mutex);
    return record;
}

bool loaded() {
    const std::lock_guard lock(mutex);
    return modelLoaded;
}

void hold(std::size_t holdCount) {
    const std::lock_guard lock(mutex);
    holding = true;
    heldCount = holdCount;
}

void release() {
    {
        const std::lock_guard lock(mutex);
        holding = false;
    }
    released.notify_all();
}

void emitLibraryLog(const char* text) {
    if (RecognitionEngine::LogSink fn = sink) fn(text);
}

}  // namespace fakeengine
