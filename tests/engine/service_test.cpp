#include <algorithm>
#include <atomic>
#include <climits>
#include <system_error>
#include <thread>

#include "diag/encoding.h"
#include "engine/model_location.h"
#include "engine/recognition_threads.h"
#include "tests/engine/service_fixture.h"

using namespace std::chrono_literals;

namespace {

const std::vector<float> kSecond(kRecognitionRate, 0.1f);

std::vector<float> samplesOf(std::size_t count) { return std::vector<float>(count, 0.2f); }

}  // namespace

TEST_F(ServiceTest, GraphicsCardFailsThenProcessorLoads) {
    fakeengine::Script script;
    script.gpuLoadResult = 1;
    fakeengine::reset(script);
    const TranscribeResult result = transcribeOnce(kSecond);
    EXPECT_EQ(result.text, L"Salom dunyo");
    EXPECT_EQ(result.error, L"");
    EXPECT_GE(result.seconds, 0.0);
    EXPECT_EQ(fakeengine::calls().loadGpuFlags, (std::vector<int>{1, 0}));
    EXPECT_EQ(fakeengine::calls().loadPaths[0], toAsciiPath(modelPath()));

    const std::vector<std::wstring> log = logTexts();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0], L"model yuklanmoqda: " + modelPath() + L" (GPU)");
    EXPECT_EQ(log[1], L"GPU'da yuklanmadi (no GPU device) \u2014 CPU'ga o'tilmoqda");
    EXPECT_TRUE(isTimedLine(log[2], L"model yuklandi: CPU, ", threadsSuffix(recognitionThreads()))) << toUtf8(log[2]);
    EXPECT_TRUE(isTimedLine(log[3], L"isitish tugadi: ")) << toUtf8(log[3]);
}

TEST_F(ServiceTest, DeviceChoiceAndBackendName) {
    {
        TranscriptionService service(surroundings());  // graphics card by default
        service.requestPreload();
        ASSERT_TRUE(eventually([] { return fakeengine::calls().transcribeCounts.size() == 1; }));
    }
    EXPECT_EQ(fakeengine::calls().loadGpuFlags, std::vector<int>{1});
    EXPECT_TRUE(isTimedLine(logTexts().at(1), L"model yuklandi: Vulkan, ", threadsSuffix(recognitionThreads())));

    fakeengine::reset();
    {
        TranscriptionService service(surroundings());
        service.setUseGpu(false);
        service.requestPreload();
        ASSERT_TRUE(eventually([] { return fakeengine::calls().transcribeCounts.size() == 1; }));
    }
    EXPECT_EQ(fakeengine::calls().loadGpuFlags, std::vector<int>{0});
    EXPECT_EQ(logCount(L"model yuklanmoqda: " + modelPath() + L" (CPU)"), 1u);
}

// The program's check of the graphics card is asked before each load on it,
// never for a load on the processor; its "no" loads on the processor.
TEST_F(ServiceTest, TheGraphicsCardGateDecidesEachLoadOnTheCard) {
    for (const bool allowed : {true, false}) {
        SCOPED_TRACE(allowed);
        fakeengine::reset();
        std::vector<std::wstring> asked;
        {
            TranscriptionService service(surroundings());
            service.setGpuGate([&](const std::wstring& model, const std::string& enginePath) {
                asked.push_back(model);
                EXPECT_EQ(enginePath, toAsciiPath(model));
                return allowed;
            });
            // The clock moves only once the worker has written when it last
            // worked; moved before that, the unload's deadline never comes.
            ASSERT_NO_FATAL_FAILURE(preloadAndWait(service));
            service.setUseGpu(false);
            service.unloadSoon();
            clock.advance(std::chrono::seconds(11));
            ASSERT_TRUE(eventually([&] { return !service.modelIsLoaded(); }));
            service.requestPreload();
            ASSERT_TRUE(eventually([] { return fakeengine::calls().transcribeCounts.size() == 2; }));
        }
        EXPECT_EQ(asked, std::vector<std::wstring>{modelPath()}) << "asked once: the second load is on the processor";
        EXPECT_EQ(fakeengine::calls().loadGpuFlags, (std::vector<int>{allowed ? 1 : 0, 0}));
        EXPECT_EQ(logCount(L"videokarta ishlatilmaydi"), allowed ? 0u : 1u);
    }
}

TEST_F(ServiceTest, QuittingDuringTheCardsCheckLoadsNothing) {
    std::atomic<bool> checking{false}, ended{false};
    Collected got;
    {
        TranscriptionService service(surroundings());
        service.setGpuGate([&](const std::wstring&, const std::string&) {
            checking = true;
            while (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return false;  // a check ended by quitting: no verdict
        });
        service.submit(kSecond, got.callback());
        ASSERT_TRUE(eventually([&] { return checking.load(); }));
        service.abandonWork();  // as quitting does, before it ends the check
        ended = true;
        settle();
    }
    EXPECT_TRUE(fakeengine::calls().loadPaths.empty());
    EXPECT_EQ(got.count(), 0u);
}

TEST_F(ServiceTest, BothLoadsFailAndTheNextJobTriesAgain) {
    fakeengine::Script script;
    script.gpuLoadResult = 1;
    script.cpuLoadResult = 1;
    fakeengine::reset(script);
    Collected got;
    {
        TranscriptionService service(surroundings());
        service.submit(kSecond, got.callback());
        service.submit(kSecond, got.callback());
        ASSERT_TRUE(eventually([&] { return got.count() == 2; }));
    }
    for (const TranscribeResult& result : got.results) {
        EXPECT_EQ(result.error, L"Model yuklanmadi. Fayl buzilgan bo'lishi mumkin \u2014\nilovani qayta o'rnating.");
        EXPECT_EQ(result.text, L"");
        EXPECT_EQ(result.seconds, 0.0);
    }
    EXPECT_EQ(fakeengine::calls().loadGpuFlags, (std::vector<int>{1, 0, 1, 0}));
    EXPECT_TRUE(fakeengine::calls().transcribeCounts.empty());
    EXPECT_EQ(logCount(L"XATO: velto_load = 1 (invalid model file: header truncated)"), 2u);
}

TEST_F(ServiceTest, EmptySamplesNeverTouchTheModel) {
    const TranscribeResult result = transcribeOnce({});
    EXPECT_EQ(result.error, L"Ovoz yozilmadi");
    EXPECT_EQ(result.seconds, 0.0);
    EXPECT_TRUE(fakeengine::calls().loadPaths.empty());
}

TEST_F(ServiceTest, RecognitionFailureAndBlankTexts) {
    fakeengine::Script script;
    script.text = std::nullopt;
    fakeengine::reset(script);
    const TranscribeResult failed = transcribeOnce(kSecond);
    EXPECT_EQ(failed.error, L"Transkripsiya bajarilmadi");
    EXPECT_EQ(failed.text, L"");
    // The failed warm-up logs nothing; the failed job logs once.
    EXPECT_EQ(logCount(L"XATO: velto_transcribe = NULL ("), 1u);
    EXPECT_EQ(logCount(L"XATO: velto_transcribe = NULL (whisper_full failed)"), 1u);

    script.text = " \t\r\n \n";
    fakeengine::reset(script);
    const TranscribeResult blank = transcribeOnce(kSecond);
    EXPECT_EQ(blank.text, L"");
    EXPECT_EQ(blank.error, L"");
    EXPECT_EQ(fakeengine::calls().texts, fakeengine::calls().freed);
}

TEST(RecognitionThreads, LogicalLessTwoAtLeastFourButNoMoreThanTheCores) {
    struct Case {
        unsigned cores, logical;
        int threads;
    };
    const Case cases[] = {
        {2, 2, 2},   {2, 4, 2},   {4, 4, 4},   {4, 8, 4},   {8, 8, 6},    {8, 16, 8},
        {16, 32, 16}, {1, 1, 1},  {6, 12, 6},  {64, 64, 62},
        {0, 2, 2},   {0, 8, 6},   // cores unknown: the logical count stands in
        {4, 2, 2},   // never above the logical processors
        {0, 0, 1},   {UINT_MAX, UINT_MAX, INT_MAX},
    };
    for (const Case& c : cases)
        EXPECT_EQ(recognitionThreadsFor({c.logical, c.cores}), c.threads) << c.cores << " cores, " << c.logical << " logical";
}

TEST(RecognitionThreads, ThisMachineHasCoresAndProcessors) {
    const ProcessorCounts here = processorCounts();
    EXPECT_GE(here.logical, 1u);
    EXPECT_GE(here.physicalCores, 1u) << "the system names its cores";
    EXPECT_LE(here.physicalCores, here.logical);
    EXPECT_GE(recognitionThreads(), 1);
    EXPECT_LE(recognitionThreads(), static_cast<int>(here.physicalCores));
}

TEST_F(ServiceTest, WarmUpIsOneSecondOfFaintFixedNoise) {
    {
        TranscriptionService service(surroundings());
        service.requestPreload();
        ASSERT_TRUE(eventually([] { return fakeengine::calls().transcribeCounts.size() == 1; }));
    }
    const fakeengine::Calls calls = fakeengine::calls();
    ASSERT_EQ(calls.firstSamples.size(), kRecognitionRate);
    EXPECT_EQ(calls.firstSamples[0], -0.001f);
    EXPECT_EQ(calls.firstSamples[1], static_cast<float>(2654435761ULL % 2001) / 1000.0f * 0.001f - 0.001f);
    for (float sample : calls.firstSamples) ASSERT_TRUE(sample >= -0.001f && sample <= 0.0011f) << sample;
    EXPECT_EQ(calls.transcribeThreads[0], recognitionThreads());
    EXPECT_EQ(calls.texts, calls.freed);

    fakeengine::reset();
    ServiceSurroundings twoThreads = surroundings();
    twoThreads.threads = 2;  // what the tools may choose instead
    transcribeOnce(kSecond, twoThreads);
    EXPECT_EQ(fakeengine::calls().transcribeThreads, (std::vector<int>{2, 2}));
}

TEST_F(ServiceTest, JobsRunInOrderEachCalledBackOnceOnTheWorker) {
    fakeengine::Script script;
    script.text = "job {count}";
    fakeengine::reset(script);
    fakeengine::hold(100);
    Collected got;
    {
        TranscriptionService service(surroundings());
        service.submit(samplesOf(100), got.callback());
        service.submit(samplesOf(200), got.callback());
        service.submit(samplesOf(300), got.callback());
        ASSERT_TRUE(eventually([] { return fakeengine::calls().transcribeCounts.size() == 2; }));
        EXPECT_EQ(got.count(), 0u);
        fakeengine::release();
        ASSERT_TRUE(eventually([&] { return got.count() == 3; }));
        settle();
    }
    ASSERT_EQ(got.results.size(), 3u);
    EXPECT_EQ(got.results[0].text, L"job 100");
    EXPECT_EQ(got.results[1].text, L"job 200");
    EXPECT_EQ(got.results[2].text, L"job 300");
    const fakeengine::Calls calls = fakeengine::calls();
    EXPECT_EQ(calls.transcribeCounts, (std::vector<std::size_t>{kRecognitionRate, 100, 200, 300}));
    const std::thread::id worker = calls.threads.front();
    EXPECT_NE(worker, std::this_thread::get_id());
    for (std::thread::id id : calls.threads) EXPECT_EQ(id, worker) << "every engine call on the worker";
    for (std::thread::id id : got.threads) EXPECT_EQ(id, worker);
}

TEST_F(ServiceTest, EachJobsPromptReachesItsOwnRecognitionOnly) {
    Collected got;
    {
        TranscriptionService service(surroundings());
        service.submit(samplesOf(100), got.callback(), "Toshkent, O\xCA\xBBzbekiston");
        service.submit(samplesOf(200), got.callback());
        ASSERT_TRUE(eventually([&] { return got.count() == 2; }));
    }
    // The warm-up has none, the first job its own, the second none.
    EXPECT_EQ(fakeengine::calls().prompts,
              (std::vector<std::string>{"", "Toshkent, O\xCA\xBBzbekiston", ""}));
}

TEST_F(ServiceTest, ShutdownFinishesQueuedJobsThenRefusesNewOnes) {
    fakeengine::hold(100);
    Collected got;
    TranscriptionService service(surroundings());
    service.submit(samplesOf(100), got.callback());
    service.submit(samplesOf(200), got.callback());
    service.submit(samplesOf(300), got.callback());
    ASSERT_TRUE(eventually([] { return fakeengine::calls().transcribeCounts.size() == 2; }));

    std::atomic<bool> returned{false};
    std::size_t seenAtReturn = 0;
    std::thread stopper([&] {
        service.shutdown();
        seenAtReturn = got.count();
        returned = true;
    });
    settle();
    EXPECT_FALSE(returned) << "shutdown waits for the jobs it holds";
    service.requestPreload();  // while stopping: ignored
    fakeengine::release();
    stopper.join();
    EXPECT_EQ(seenAtReturn, 3u);
    EXPECT_FALSE(service.modelIsLoaded());
    EXPECT_EQ(fakeengine::calls().unloads, 1);

    bool calledAfterShutdown = false;
    service.submit(kSecond, [&](TranscribeResult) { calledAfterShutdown = true; });
    service.requestPreload();
    service.shutdown();  // the second call returns at once
    settle();
    EXPECT_FALSE(calledAfterShutdown);
    EXPECT_EQ(fakeengine::calls().loadPaths.size(), 1u);
}

TEST_F(ServiceTest, ShutdownFromTheWorkerIsRefused) {
    std::error_code refusal;
    Collected got;
    fakeengine::hold(100);  // both jobs queued before the first callback runs
    {
        TranscriptionService service(surroundings());
        service.submit(samplesOf(100), [&](TranscribeResult) {
            try {
                service.shutdown();
            } catch (const std::system_error& error) {
                refusal = error.code();
            }
        });
        service.submit(kSecond, got.callback());  // still drained
        fakeengine::release();
        ASSERT_TRUE(eventually([&] { return got.count() == 1; }));
    }
    EXPECT_EQ(refusal, std::make_error_code(std::errc::resource_deadlock_would_occur));
    EXPECT_EQ(got.results.size(), 1u);
}

TEST_F(ServiceTest, PreloadLoadsAtMostOnce) {
    TranscriptionService service(surroundings());
    service.requestPreload();
    service.requestPreload();  // twice in a row
    ASSERT_TRUE(eventually([] { return fakeengine::calls().transcribeCounts.size() == 1; }));
    EXPECT_TRUE(service.modelIsLoaded());
    service.requestPreload();  // while loaded
    settle();
    EXPECT_EQ(fakeengine::calls().loadPaths.size(), 1u);
    EXPECT_EQ(logCount(L"model yuklanmoqda: "), 1u);
    EXPECT_EQ(logCount(L"isitish tugadi: "), 1u);

    Collected got;
    service.submit(kSecond, got.callback());
    ASSERT_TRUE(eventually([&] { return got.count() == 1; }));
    EXPECT_EQ(fakeengine::calls().loadPaths.size(), 1u) << "the preloaded model serves the job";
    service.shutdown();
    service.requestPreload();  // after stopping
    settle();
    EXPECT_EQ(fakeengine::calls().loadPaths.size(), 1u);
}

// The program tells the user at start, not after their first dictation.
TEST_F(ServiceTest, APreloadSaysOnceOnTheWorkerWhetherTheModelLoaded) {
    const struct {
        const char* what;
        bool modelThere;
        int loadResult;
        std::wstring told;
    } cases[] = {
        {"no model file", false, 0, kModelMissingText},
        {"a file that does not load", true, 1, kModelLoadFailedText},
        {"a model that loads", true, 0, L""},
    };
    for (const auto& c : cases) {
        fakeengine::Script script;
        script.gpuLoadResult = script.cpuLoadResult = c.loadResult;
        fakeengine::reset(script);
        ServiceSurroundings with = surroundings();
        if (!c.modelThere) with.locateModel = [] { return std::wstring(); };
        std::mutex mutex;
        std::vector<std::wstring> told;
        std::thread::id on;
        TranscriptionService service(with);
        service.requestPreload([&](std::wstring error) {
            const std::lock_guard lock(mutex);
            told.push_back(std::move(error));
            on = std::this_thread::get_id();
        });
        ASSERT_TRUE(eventually([&] {
            const std::lock_guard lock(mutex);
            return !told.empty();
        })) << c.what;
        settle();
        const std::lock_guard lock(mutex);
        EXPECT_EQ(told, std::vector<std::wstring>{c.told}) << c.what;
        EXPECT_NE(on, std::this_thread::get_id()) << c.what;
    }
}

TEST_F(ServiceTest, IdleIntervalIsClamped) {
    TranscriptionService service(surroundings());
    EXPECT_EQ(service.idleUnloadSecondsSetting(), 180);
    service.setIdleUnloadSeconds(3);
    EXPECT_EQ(service.idleUnloadSecondsSetting(), 10);
    service.setIdleUnloadSeconds(600);
    EXPECT_EQ(service.idleUnloadSecondsSetting(), 600);
    service.setIdleUnloadSeconds(INT_MIN);
    EXPECT_EQ(service.idleUnloadSecondsSetting(), 10);
    service.setIdleUnloadSeconds(INT_MAX);  // a deadline decades away must not overflow
    ASSERT_NO_FATAL_FAILURE(preloadAndWait(service));
    clock.advance(std::chrono::hours(24 * 365));
    settle();
    EXPECT_TRUE(service.modelIsLoaded());
}

TEST_F(ServiceTest, IdleModelIsUnloadedOnceAndReloadedByTheNextJob) {
    TranscriptionService service(surroundings());
    preloadAndWait(service);
    clock.advance(179s);
    settle();
    EXPECT_TRUE(service.modelIsLoaded());
    clock.advance(1s);
    ASSERT_TRUE(eventually([&] { return !service.modelIsLoaded(); }));
    clock.advance(1000s);
    settle();
    EXPECT_EQ(fakeengine::calls().unloads, 1);
    EXPECT_EQ(logCount(L"model RAM'dan bo'shatildi (ishlatilmadi)"), 1u);

    Collected got;
    service.submit(kSecond, got.callback());
    ASSERT_TRUE(eventually([&] { return got.count() == 1; }));
    EXPECT_EQ(got.results[0].text, L"Salom dunyo");
    EXPECT_EQ(fakeengine::calls().loadPaths.size(), 2u);
}

TEST_F(ServiceTest, UnloadSoonShortensTheIdleIntervalOfTheModelHeldOnly) {
    TranscriptionService service(surroundings());
    preloadAndWait(service);
    clock.advance(60s);
    settle();
    ASSERT_TRUE(service.modelIsLoaded());
    service.unloadSoon();  // idle for a minute already: at once
    ASSERT_TRUE(eventually([&] { return !service.modelIsLoaded(); }));
    EXPECT_EQ(service.idleUnloadSecondsSetting(), 180);

    Collected got;
    service.submit(kSecond, got.callback());
    ASSERT_TRUE(eventually([&] { return got.count() == 1; }));
    clock.advance(3s);
    service.unloadSoon();  // used three seconds ago: ten seconds after that use
    settle();
    EXPECT_TRUE(service.modelIsLoaded());
    clock.advance(7s);
    EXPECT_TRUE(eventually([&] { return !service.modelIsLoaded(); }));
    // The worker writes the line just after the model is gone.
    EXPECT_TRUE(eventually([&] { return logCount(L"model RAM'dan bo'shatildi (ishlatilmadi)") == 2u; }));
    settle();
    EXPECT_EQ(logCount(L"model RAM'dan bo'shatildi (ishlatilmadi)"), 2u);

    // The model loaded after it (and one asked for with nothing held) keeps
    // the user's three minutes.
    service.unloadSoon();
    service.submit(kSecond, got.callback());
    ASSERT_TRUE(eventually([&] { return got.count() == 2; }));
    clock.advance(170s);
    settle();
    EXPECT_TRUE(service.modelIsLoaded());
    clock.advance(10s);
    EXPECT_TRUE(eventually([&] { return !service.modelIsLoaded(); }));
}

TEST_F(ServiceTest, LibraryMessagesBecomeLogLines) {
    TranscriptionService service(surroundings());
    fakeengine::emitLibraryLog("whisper_init: loading model\r\n\n");
    fakeengine::emitLibraryLog("\r\n");
    fakeengine::emitLibraryLog("broken \xFF byte\n");
    onEngineLog(nullptr);
    const std::vector<std::wstring> log = logTexts();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], L"whisper: whisper_init: loading model");
    EXPECT_EQ(log[1], L"whisper: broken \uFFFD byte");
}

TEST_F(ServiceTest, AJobWithoutCallbackStillRuns) {
    Collected got;
    TranscriptionService service(surroundings());
    service.submit(kSecond, nullptr);
    service.submit(kSecond, got.callback());
    ASSERT_TRUE(eventually([&] { return got.count() == 1; }));
    EXPECT_EQ(fakeengine::calls().transcribeCounts.size(), 3u);
}

TEST_F(ServiceTest, WithoutAnEngineEveryLoadFails) {
    ServiceSurroundings noEngine = surroundings();
    noEngine.engine = nullptr;
    const TranscribeResult result = transcribeOnce(kSecond, noEngine);
    EXPECT_EQ(result.error, L"Model yuklanmadi. Fayl buzilgan bo'lishi mumkin \u2014\nilovani qayta o'rnating.");
    EXPECT_TRUE(fakeengine::calls().loadPaths.empty());
    EXPECT_EQ(logCount(L"XATO: velto_load = 1 (no engine)"), 1u);
}

TEST_F(ServiceTest, AbandonedWorkNeverCallsBackAndQuittingDoesNotWaitForIt) {
    const std::vector<float> longTake(kRecognitionRate * 120, 0.1f);
    Collected dropped, later;
    TranscriptionService service(surroundings());
    service.abandonWork();  // nothing running: nothing happens
    fakeengine::hold(longTake.size());
    service.submit(longTake, dropped.callback());
    service.submit(kSecond, dropped.callback());
    ASSERT_TRUE(eventually([] {
        const auto counts = fakeengine::calls().transcribeCounts;
        return std::find(counts.begin(), counts.end(), std::size_t{kRecognitionRate} * 120) != counts.end();
    }));
    const auto quitting = std::chrono::steady_clock::now();
    service.abandonWork();
    // Still usable afterwards: a new job runs as usual.
    service.submit(kSecond, later.callback());
    ASSERT_TRUE(eventually([&] { return later.count() == 1; }));
    service.shutdown();
    EXPECT_LT(std::chrono::steady_clock::now() - quitting, std::chrono::seconds(1));
    fakeengine::release();
    EXPECT_EQ(dropped.count(), 0u) << "neither the running nor the queued job calls back";
    EXPECT_EQ(later.results[0].text, L"Salom dunyo");
    EXPECT_EQ(logCount(L"navbatdagi 1 yozuv tashlab yuborildi"), 1u);
    EXPECT_EQ(logCount(L"matnga o'girish to'xtatildi (natija tashlab yuborildi)"), 1u);
}

TEST_F(ServiceTest, WorkAbandonedDuringTheWarmUpNeverReachesTheRecognition) {
    fakeengine::hold(kRecognitionRate);  // the warm-up's second of noise
    Collected dropped;
    TranscriptionService service(surroundings());
    service.submit(std::vector<float>(32000, 0.1f), dropped.callback());
    ASSERT_TRUE(eventually([] { return fakeengine::calls().transcribeCounts.size() == 1; }));
    service.abandonWork();
    service.shutdown();
    fakeengine::release();
    EXPECT_EQ(dropped.count(), 0u);
    EXPECT_EQ(fakeengine::calls().transcribeCounts.size(), 1u) << "only the warm-up, abandoned";
}

// A replaced model file: the loaded model is dropped and the new one loaded
// and warmed up, with the caller told; a job queued meanwhile still runs.
TEST_F(ServiceTest, AReplacedModelIsDroppedAndTheNewOneLoaded) {
    TranscriptionService service(surroundings());
    service.setUseGpu(false);
    preloadAndWait(service);
    std::mutex mutex;
    std::vector<std::wstring> told;
    service.replaceModel([&](std::wstring error) {
        const std::lock_guard<std::mutex> lock(mutex);
        told.push_back(std::move(error));
    });
    ASSERT_TRUE(eventually([&] {
        const std::lock_guard<std::mutex> lock(mutex);
        return told.size() == 1;
    }));
    EXPECT_EQ(told[0], L"");
    EXPECT_EQ(fakeengine::calls().unloads, 1);
    EXPECT_EQ(fakeengine::calls().loadPaths.size(), 2u);
    EXPECT_EQ(logCount(L"model almashtirildi: eskisi RAM'dan bo'shatildi"), 1u);
    EXPECT_TRUE(service.modelIsLoaded());

    Collected got;
    service.replaceModel();
    service.submit(kSecond, got.callback());
    ASSERT_TRUE(eventually([&] { return got.count() == 1; }));
    EXPECT_EQ(got.results[0].text, L"Salom dunyo");
    EXPECT_EQ(fakeengine::calls().loadPaths.size(), 3u);
}
