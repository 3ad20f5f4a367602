#include "engine/transcription_service.h"

#include <chrono>
#include <climits>
#include <cstdint>
#include <optional>
#include <system_error>
#include <utility>

#include "diag/encoding.h"
#include "diag/log.h"
#include "engine/model_location.h"
#include "diag/text_trim.h"
#include "engine/recognition_threads.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

long long wholeMillisecondsSince(SteadyClock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count();
}

// Stands in for an engine nobody passed: nothing loads.
class MissingEngine final : public RecognitionEngine {
public:
    int load(const std::string&, bool) override { return 1; }
    std::optional<std::string> transcribe(const float*, int, int, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    void unload() override {}
    void abort() override {}
    std::string backend() const override { return {}; }
    std::string lastError() const override { return "no engine"; }
    void setLogSink(LogSink) override {}
};

RecognitionEngine& missingEngine() {
    static MissingEngine engine;
    return engine;
}

}  // namespace

// One second of low-level noise (within +-0.001), the same on every run.
std::vector<float> warmUpSecond() {
    std::vector<float> samples(kRecognitionRate);
    for (std::uint64_t i = 0; i < samples.size(); ++i) {
        const auto step = static_cast<float>((i * 2654435761ULL) % 2001);
        samples[i] = step / 1000.0f * 0.001f - 0.001f;
    }
    return samples;
}

TranscriptionService::TranscriptionService(ServiceSurroundings surroundings)
    : locateModel(surroundings.locateModel ? std::move(surroundings.locateModel) : findModelFile),
      engine(surroundings.engine != nullptr ? *surroundings.engine : missingEngine()),
      clock(surroundings.clock != nullptr ? *surroundings.clock : steadyServiceClock()),
      fixedThreads(surroundings.threads),
      lastUsed(clock.now()) {
    engine.setLogSink(onEngineLog);
    worker = std::thread(&TranscriptionService::workerLoop, this);
}

TranscriptionService::~TranscriptionService() {
    beginStopping();
    wake.notify_all();
    if (!worker.joinable()) return;
    // Destroyed from its own worker (a callback ending the process): joining
    // would throw inside a destructor, so the thread is left to finish.
    if (worker.get_id() == std::this_thread::get_id())
        worker.detach();
    else
        worker.join();
}

// Asked afresh for every recognition, warm-up included.
std::wstring TranscriptionService::engineError() const { return fromUtf8(engine.lastError()); }

int TranscriptionService::threadsPerRecognition() const {
    return fixedThreads > 0 ? fixedThreads : recognitionThreads();
}

void TranscriptionService::setUseGpu(bool value) { useGpu = value; }

void TranscriptionService::setGpuGate(GpuGate gate) {
    const std::lock_guard lock(mutex);
    gpuGate = std::move(gate);
}

void TranscriptionService::setIdleUnloadSeconds(int seconds) {
    idleUnloadSeconds = seconds < kShortestIdleUnloadSeconds ? kShortestIdleUnloadSeconds : seconds;
}

void TranscriptionService::requestPreload(std::function<void(std::wstring error)> onDone) {
    {
        const std::lock_guard lock(mutex);
        if (stopping || modelLoaded) return;
        if (onDone) preloadDone = std::move(onDone);
        if (preloadRequested) return;
        preloadRequested = true;
    }
    wake.notify_one();
}

void TranscriptionService::unloadSoon() {
    {
        // A model being loaded now counts as held: it may be on the old device.
        const std::lock_guard lock(mutex);
        unloadHeldModelSoon = modelLoaded || working;
    }
    wake.notify_one();
}

void TranscriptionService::submit(std::vector<float> samples, ResultCallback callback, std::string prompt, TakePart part) {
    {
        const std::lock_guard lock(mutex);
        if (stopping) return;
        jobs.push_back({std::move(samples), std::move(callback), std::move(prompt), std::move(part)});
        lastUsed = clock.now();
    }
    wake.notify_one();
}

void TranscriptionService::dropTake(std::uint64_t take) {
    if (take == 0) return;
    const std::lock_guard lock(mutex);
    const auto before = jobs.size();
    std::erase_if(jobs, [take](const TranscribeJob& job) { return job.part.take == take; });
    if (jobs.size() != before) logLine(L"bekor qilingan yozuvning " + std::to_wstring(before - jobs.size()) + L" qismi navbatdan olindi");
}

void TranscriptionService::abandonWork() {
    {
        const std::lock_guard lock(mutex);
        if (!jobs.empty()) logLine(L"navbatdagi " + std::to_wstring(jobs.size()) + L" yozuv tashlab yuborildi");
        jobs.clear();
        if (!working) return;
        currentAborted = true;
    }
    engine.abort();
}

bool TranscriptionService::abandoned() {
    const std::lock_guard lock(mutex);
    return currentAborted;
}

bool TranscriptionService::beginStopping() {
    const std::lock_guard lock(mutex);
    if (stopping) return false;
    stopping = true;
    return true;
}

void TranscriptionService::shutdown() {
    if (!beginStopping()) return;
    wake.notify_all();
    // Not every thread library detects a thread joining itself; it would hang.
    if (worker.get_id() == std::this_thread::get_id())
        throw std::system_error(std::make_error_code(std::errc::resource_deadlock_would_occur));
    if (worker.joinable()) worker.join();
}

void TranscriptionService::replaceModel(std::function<void(std::wstring error)> onDone) {
    {
        const std::lock_guard lock(mutex);
        if (stopping) return;
        if (onDone) preloadDone = std::move(onDone);
        dropModelRequested = true;
        preloadRequested = true;
    }
    wake.notify_one();
}

void TranscriptionService::workerLoop() {
    for (;;) {
        std::unique_lock lock(mutex);
        while (jobs.empty()) {
            if (stopping || preloadRequested) break;
            if (!modelLoaded) {
                wake.wait(lock);
                continue;
            }
            const int idleSeconds = unloadHeldModelSoon ? kShortestIdleUnloadSeconds : idleUnloadSeconds.load();
            const auto deadline = lastUsed + std::chrono::seconds(idleSeconds);
            if (!clock.waitUntil(wake, lock, deadline)) continue;
            if (jobs.empty() && !preloadRequested) {
                // Under the lock: a submit arriving now waits for the unload.
                unloadModel();
                logLine(L"model RAM'dan bo'shatildi (ishlatilmadi)");
            }
        }
        if (stopping && jobs.empty()) {
            lock.unlock();
            unloadModel();
            return;
        }
        std::optional<TranscribeJob> job;
        if (!jobs.empty()) {
            job.emplace(std::move(jobs.front()));
            jobs.pop_front();
        }
        working = true;
        preloadRequested = false;  // a queued job loads the model itself
        const bool dropModel = std::exchange(dropModelRequested, false);
        std::function<void(std::wstring)> onPreloaded = std::exchange(preloadDone, nullptr);
        lock.unlock();
        if (dropModel && modelLoaded) {
            unloadModel();
            logLine(L"model almashtirildi: eskisi RAM'dan bo'shatildi");
        }

        TranscribeResult result;
        std::wstring preloadError;
        if (job) {
            result = runJob(*job);
        } else {
            ensureModelLoaded(preloadError);
        }
        lock.lock();
        lastUsed = clock.now();
        working = false;
        const bool aborted = std::exchange(currentAborted, false);
        lock.unlock();
        if (aborted && job) {
            logLine(L"matnga o'girish to'xtatildi (natija tashlab yuborildi)");
            continue;
        }
        if (job && job->callback) job->callback(std::move(result));
        if (!job && !aborted && onPreloaded) onPreloaded(std::move(preloadError));
    }
}

bool TranscriptionService::ensureModelLoaded(std::wstring& error) {
    if (modelLoaded) return true;
    const EnginePath model = prepareEnginePath(locateModel());
    if (!model.error.empty()) {
        error = model.error;
        return false;
    }
    bool gpu = useGpu;
    GpuGate gate;
    {
        const std::lock_guard lock(mutex);
        gate = gpuGate;
    }
    if (gpu && gate && !gate(model.path, model.asciiPath)) {
        if (abandoned()) {  // quitting ended the check: nothing is loaded anywhere
            error = kModelLoadFailedText;
            return false;
        }
        gpu = false;
        logLine(L"videokarta ishlatilmaydi (tekshiruv natijasi): model protsessorda yuklanadi");
    }
    logLine(L"model yuklanmoqda: " + model.path + (gpu ? L" (GPU)" : L" (CPU)"));
    const auto start = SteadyClock::now();
    int rc = engine.load(model.asciiPath, gpu);
    if (rc != 0 && gpu) {
        // The preference stays: after the next unload the graphics card is tried again.
        logLine(L"GPU'da yuklanmadi (" + engineError() + L") \u2014 CPU'ga o'tilmoqda");
        rc = engine.load(model.asciiPath, false);
    }
    if (rc != 0) {
        error = kModelLoadFailedText;
        logLine(L"XATO: velto_load = " + std::to_wstring(rc) + L" (" + engineError() + L")");
        return false;
    }
    const long long elapsed = wholeMillisecondsSince(start);
    modelLoaded = true;
    logLine(L"model yuklandi: " + fromUtf8(engine.backend()) + L", " + std::to_wstring(elapsed) + L" ms, " +
            std::to_wstring(threadsPerRecognition()) + L" oqim");
    warmUp();
    return true;
}

// The engine's first recognition after a load pays one-time costs; one
// second of near-silence pays them here instead of in the user's dictation.
void TranscriptionService::warmUp() {
    const auto start = SteadyClock::now();
    const std::vector<float> noise = warmUpSecond();
    engine.transcribe(noise.data(), static_cast<int>(noise.size()), threadsPerRecognition());
    logLine(L"isitish tugadi: " + std::to_wstring(wholeMillisecondsSince(start)) + L" ms");
}

TranscribeResult TranscriptionService::runJob(const TranscribeJob& job) {
    const std::vector<float>& samples = job.samples;
    TranscribeResult result;
    if (samples.empty()) {
        result.error = kNoSamplesText;
        return result;
    }
    if (!ensureModelLoaded(result.error)) return result;
    if (abandoned()) return result;  // during the load or the warm-up: no recognition at all
    // The engine counts samples in an int; a longer recording (over 37 hours)
    // would reach it truncated.
    if (samples.size() > static_cast<std::size_t>(INT_MAX)) {
        result.error = kRecognitionFailedText;
        logLine(L"XATO: velto_transcribe = NULL (too many samples)");
        return result;
    }
    const std::string context = job.part.context ? job.part.context() : std::string();
    const auto start = SteadyClock::now();
    const std::optional<std::string> text8 =
        engine.transcribe(samples.data(), static_cast<int>(samples.size()), threadsPerRecognition(), job.prompt, context);
    result.seconds = std::chrono::duration_cast<std::chrono::nanoseconds>(SteadyClock::now() - start).count() / 1e9;
    if (!text8) {
        result.error = kRecognitionFailedText;
        logLine(L"XATO: velto_transcribe = NULL (" + engineError() + L")");
        return result;
    }
    result.text = trimBlanks(fromUtf8(*text8));
    return result;
}

void TranscriptionService::unloadModel() {
    unloadHeldModelSoon = false;
    if (!modelLoaded) return;
    engine.unload();
    modelLoaded = false;
}

void onEngineLog(const char* text) {
    if (text == nullptr) return;
    std::wstring line = fromUtf8(text);
    while (!line.empty() && (line.back() == L'\r' || line.back() == L'\n')) line.pop_back();
    if (!line.empty()) logLine(L"whisper: " + line);
}
