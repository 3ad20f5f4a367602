#pragma once
// The one owner of the speech model. A single worker thread takes recordings
// from a FIFO queue, loads the model when needed (graphics card first,
// processor as fallback) and warms it up, recognises each recording, hands
// the result to the job's callback and unloads the model after an idle time.
// Every engine call is made on the worker; the public operations may be
// called from any thread.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "diag/idle_unload.h"
#include "engine/recognition_engine.h"
#include "engine/service_clock.h"

struct TranscribeResult {
    std::wstring text;    // recognised and trimmed; empty on error, and may be empty without one
    std::wstring error;   // user text in Uzbek; empty on success
    double seconds = 0;   // the recognition call alone; 0 when it was not attempted
};

// Called once per job, on the worker thread, without the service's lock.
using ResultCallback = std::function<void(TranscribeResult)>;

// What makes a job one part of a take recognised while the user speaks.
struct TakePart {
    std::uint64_t take = 0;  // the take it belongs to (for dropTake); 0: none
    // The UTF-8 text the part's speech continues, asked for on the worker
    // just before its recognition (the take's earlier parts are recognised
    // by then, jobs running in order); empty for none.
    std::function<std::string()> context;
};

inline constexpr wchar_t kNoSamplesText[] = L"Ovoz yozilmadi";
inline constexpr wchar_t kModelLoadFailedText[] =
    L"Model yuklanmadi. Fayl buzilgan bo'lishi mumkin \u2014\nilovani qayta o'rnating.";
inline constexpr wchar_t kRecognitionFailedText[] = L"Transkripsiya bajarilmadi";


// What the program takes from its surroundings; tools and tests replace it.
struct ServiceSurroundings {
    std::function<std::wstring()> locateModel;  // the model file's full path or ""; findModelFile when empty
    ServiceClock* clock = nullptr;              // the steady clock when null
    int threads = 0;                            // threads per recognition; 0: recognitionThreads()
    // The engine the worker drives (veltoEngine() in the program); it must
    // outlive the service, and no other service may drive it meanwhile. When
    // null every load fails.
    RecognitionEngine* engine = nullptr;
};

class TranscriptionService {
public:
    // The process-wide service on the whisper engine, created by the first call.
    static TranscriptionService& instance();

    explicit TranscriptionService(ServiceSurroundings surroundings = {});
    ~TranscriptionService();
    TranscriptionService(const TranscriptionService&) = delete;
    TranscriptionService& operator=(const TranscriptionService&) = delete;

    // Used by the next load; a loaded model keeps its device.
    void setUseGpu(bool useGpu);
    // Asked on the worker before each load on the graphics card, with the
    // model's path and its path for the engine: false loads the model on the
    // processor instead, or nothing when abandonWork() came meanwhile. The program checks the card in a process of its own
    // there. Without one the card is always tried.
    using GpuGate = std::function<bool(const std::wstring& modelPath, const std::string& enginePath)>;
    void setGpuGate(GpuGate gate);
    // Raised to 10 when smaller; read the next time the worker sets its deadline.
    void setIdleUnloadSeconds(int seconds);
    // Loads the model ahead of the first job (nothing when loaded, stopping or
    // already asked). Once that load is over, onDone gets "" or the user text
    // saying why it failed, once, on the worker, without the service's lock;
    // not when a job came first (the job reports) or the work was abandoned.
    // A later request's callback replaces an earlier one still waiting.
    void requestPreload(std::function<void(std::wstring error)> onDone = {});
    // The model file was replaced: the worker drops the model it holds (after
    // the job it is running) and loads the new one, as requestPreload does,
    // with onDone told the outcome.
    void replaceModel(std::function<void(std::wstring error)> onDone = {});
    // The model now held is unloaded 10 s after its last use (deadline
    // recomputed at once); once it is unloaded, the interval set above holds
    // again for the models loaded after it.
    void unloadSoon();
    // Queues a recording; after shutdown it is dropped and the callback never
    // runs. prompt: the user's own words for the engine, UTF-8 ("" for none).
    void submit(std::vector<float> samples, ResultCallback callback, std::string prompt = {}, TakePart part = {});
    // Drops the queued jobs of a take (not 0); their callbacks are never
    // called. A job of it running now finishes and reports as usual.
    void dropTake(std::uint64_t take);
    // Drops every queued job and abandons the work running now (a job, or
    // the load and warm-up before one): the engine is asked to stop early,
    // and no dropped or abandoned job's callback is ever called. Jobs
    // submitted afterwards run as usual. Any thread; for quitting.
    void abandonWork();
    // Finishes every queued job, unloads the model and joins the worker. A
    // second call returns at once; a call from the worker itself throws
    // std::system_error (a thread cannot join itself).
    void shutdown();

    bool modelIsLoaded() const { return modelLoaded; }
    int idleUnloadSecondsSetting() const { return idleUnloadSeconds; }

private:
    struct TranscribeJob {
        std::vector<float> samples;
        ResultCallback callback;
        std::string prompt;
        TakePart part;
    };

    void workerLoop();
    bool ensureModelLoaded(std::wstring& error);
    void warmUp();
    TranscribeResult runJob(const TranscribeJob& job);
    bool abandoned();
    void unloadModel();
    bool beginStopping();
    int threadsPerRecognition() const;
    std::wstring engineError() const;

    std::function<std::wstring()> locateModel;
    RecognitionEngine& engine;
    ServiceClock& clock;
    const int fixedThreads;

    std::atomic<bool> useGpu{true};
    std::atomic<int> idleUnloadSeconds{kDefaultIdleUnloadSeconds};
    std::atomic<bool> unloadHeldModelSoon{false};  // cleared by the unload
    std::atomic<bool> modelLoaded{false};  // written only by the worker

    std::mutex mutex;
    std::condition_variable wake;
    std::deque<TranscribeJob> jobs;
    bool stopping = false;
    bool preloadRequested = false;
    bool dropModelRequested = false;  // by replaceModel, taken by the worker
    std::function<void(std::wstring)> preloadDone;  // with the request, taken by the worker
    GpuGate gpuGate;
    bool working = false;         // the worker is outside the lock: loading, warming up or recognising
    bool currentAborted = false;  // abandonWork() came for that work
    ServiceClock::TimePoint lastUsed;

    std::thread worker;  // last: starts once everything above exists
};

// The second of near-silence each load is warmed up with (the same every time).
std::vector<float> warmUpSecond();

// The sink handed to the engine for the library's own messages (any thread).
void onEngineLog(const char* text);
