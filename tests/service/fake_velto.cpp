#include "tests/service/fake_velto.h"

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "engine/velto.h"

namespace fakevelto {
namespace {

std::mutex mutex;
std::condition_variable released;
Script script;
Calls record;
bool modelLoaded = false;
bool holding = false;
std::size_t heldCount = 0;
std::string lastError;
std::string backend;
std::atomic<VeltoLogFn> sink{nullptr};

void noteThread() { record.threads.push_back(std::this_thread::get_id()); }

char* copyText(const std::string& text) {
    auto* copy = static_cast<char*>(std::malloc(text.size() + 1));
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

}  // namespace

void reset(const Script& s) {
    const std::lock_guard lock(mutex);
    script = s;
    record = {};
    modelLoaded = false;
    holding = false;
    lastError.clear();
    backend.clear();
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
    if (VeltoLogFn fn = sink) fn(text);
}

}  // namespace fakevelto

using namespace fakevelto;

extern "C" int velto_load(const char* modelPath, int useGpu) {
    const std::lock_guard lock(mutex);
    noteThread();
    record.loadPaths.push_back(modelPath);
    record.loadGpuFlags.push_back(useGpu);
    if (modelLoaded) return 0;
    const int rc = useGpu ? script.gpuLoadResult : script.cpuLoadResult;
    if (rc != 0) {
        lastError = useGpu ? script.gpuLoadError : script.cpuLoadError;
        return rc;
    }
    modelLoaded = true;
    backend = useGpu ? script.gpuBackend : "CPU";
    lastError.clear();
    return 0;
}

extern "C" char* velto_transcribe(const float* samples, int count, int threads) {
    std::unique_lock lock(mutex);
    noteThread();
    if (record.transcribeCounts.empty()) record.firstSamples.assign(samples, samples + count);
    record.transcribeCounts.push_back(static_cast<std::size_t>(count));
    record.transcribeThreads.push_back(threads);
    released.wait(lock, [count] { return !holding || (heldCount != 0 && heldCount != std::size_t(count)); });
    if (!modelLoaded) {
        lastError = "model not loaded";
        return nullptr;
    }
    if (!script.text) {
        lastError = script.transcribeError;
        return nullptr;
    }
    std::string text = *script.text;
    if (const auto at = text.find("{count}"); at != std::string::npos) text.replace(at, 7, std::to_string(count));
    ++record.texts;
    return copyText(text);
}

extern "C" void velto_free_text(char* text) {
    const std::lock_guard lock(mutex);
    noteThread();
    if (text != nullptr) ++record.freed;
    std::free(text);
}

extern "C" void velto_unload(void) {
    const std::lock_guard lock(mutex);
    noteThread();
    if (modelLoaded) ++record.unloads;
    modelLoaded = false;
    backend.clear();
}

extern "C" const char* velto_backend(void) {
    const std::lock_guard lock(mutex);
    return backend.c_str();
}

extern "C" const char* velto_last_error(void) {
    const std::lock_guard lock(mutex);
    return lastError.c_str();
}

extern "C" void velto_set_log_callback(VeltoLogFn fn) { sink = fn; }
