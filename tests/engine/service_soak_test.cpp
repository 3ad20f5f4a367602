// Thousands of jobs from several threads while settings changes, preloads,
// unload requests and a racing clock hit the service; run under
// ThreadSanitizer this is the service's race check.

#include <random>

#include "tests/engine/service_fixture.h"

TEST_F(ServiceTest, SoakEveryCallbackExactlyOnce) {
    constexpr int kSubmitters = 4, kJobsEach = 600;
    fakeengine::Script script;
    script.text = "{count}";
    fakeengine::reset(script);
    std::vector<std::atomic<int>> calledBack(kSubmitters * kJobsEach);
    std::atomic<int> wrongText{0};
    std::atomic<bool> submitting{true};
    {
        TranscriptionService service(surroundings());
        std::vector<std::thread> threads;
        for (int s = 0; s < kSubmitters; ++s)
            threads.emplace_back([&, s] {
                for (int j = 0; j < kJobsEach; ++j) {
                    const int id = s * kJobsEach + j;
                    // Every job's size names it; an empty job now and then.
                    const std::size_t size = id % 97 == 0 ? 0 : static_cast<std::size_t>(id + 1);
                    service.submit(std::vector<float>(size, 0.1f), [&, id, size](TranscribeResult result) {
                        ++calledBack[id];
                        const std::wstring expected = size == 0 ? L"" : std::to_wstring(size);
                        if (result.text != expected) ++wrongText;
                    });
                }
            });
        std::thread fiddler([&] {
            std::mt19937 random(7);
            while (submitting) {
                switch (random() % 6) {
                case 0: service.setUseGpu(random() % 2 == 0); break;
                case 1: service.setIdleUnloadSeconds(static_cast<int>(random() % 30)); break;
                case 2: service.requestPreload(); break;
                case 3: service.unloadSoon(); break;
                case 4: clock.advance(std::chrono::seconds(random() % 20)); break;
                default: (void)service.modelIsLoaded(); break;
                }
                std::this_thread::yield();
            }
        });
        for (int s = 0; s < kSubmitters; ++s) threads[s].join();
        submitting = false;
        fiddler.join();
        service.shutdown();
    }
    int missing = 0, repeated = 0;
    for (const std::atomic<int>& count : calledBack) {
        missing += count == 0;
        repeated += count > 1;
    }
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(repeated, 0);
    EXPECT_EQ(wrongText, 0);
    EXPECT_EQ(fakeengine::calls().texts, fakeengine::calls().freed);
    EXPECT_FALSE(fakeengine::loaded());
}
