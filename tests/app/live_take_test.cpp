// A take recognised in parts while it is recorded, through the service on
// the scripted engine: short takes exactly as a whole take, parts in order
// with the text before them as context, a failed part's fallback, and a
// dropped take's parts leaving the queue.

#include "app/live_take.h"

#include <gtest/gtest.h>

#include "tests/audio/synthetic_speech.h"
#include "tests/engine/service_fixture.h"

namespace {

// Each part's text names its length, so the parts can be told apart.
fakeengine::Script partsNamed(std::vector<std::size_t> failingCounts = {}) {
    fakeengine::Script script;
    script.text = " qism {count}.";
    script.failingCounts = std::move(failingCounts);
    return script;
}

constexpr std::size_t kSecond = synthetic::kRate;

// Speech of 3.2 s and pauses of 0.8 s: with a threshold of 20 s the cuts
// fall at 23.6 s, 47.6 s, 71.6 s and 95.6 s.
std::vector<float> speech(double seconds) {
    std::vector<double> spans;
    for (double at = 0; at < seconds; at += 4.0) spans.insert(spans.end(), {3.2, 0.8});
    std::vector<float> samples = synthetic::take(spans, -50);
    samples.resize(static_cast<std::size_t>(seconds * kSecond));
    return samples;
}

// Hands the take over a second at a time, as the recorder does; after each
// second, when asked, until the condition holds.
void feed(LiveTake& take, const std::vector<float>& samples, std::size_t from = 0, std::size_t to = SIZE_MAX) {
    to = std::min(to, samples.size());
    for (std::size_t at = from; at < to; at += kSecond) {
        take.add(std::vector<float>(samples.begin() + static_cast<std::ptrdiff_t>(at),
                                    samples.begin() + static_cast<std::ptrdiff_t>(std::min(at + kSecond, to))));
    }
}

// The recognitions after the warm-up.
std::vector<std::size_t> jobCounts() {
    std::vector<std::size_t> counts = fakeengine::calls().transcribeCounts;
    if (!counts.empty()) counts.erase(counts.begin());
    return counts;
}

std::vector<std::string> jobContexts() {
    std::vector<std::string> contexts = fakeengine::calls().contexts;
    if (!contexts.empty()) contexts.erase(contexts.begin());
    return contexts;
}

class LiveTakeTest : public ServiceTest {};

}  // namespace

TEST_F(LiveTakeTest, ATakeThatIsNeverCutIsOneJobAsAWholeTakeIs) {
    struct Case {
        double seconds;
        double afterSeconds;
    };
    for (const Case c : {Case{16, 20}, Case{70, 0}}) {
        SCOPED_TRACE(c.seconds);
        fakeengine::reset();
        const std::vector<float> samples = speech(c.seconds);
        Collected live, whole;
        {
            TranscriptionService service(surroundings());
            LiveTake take(service, {c.afterSeconds, "Toshkent", 7});
            feed(take, samples);
            EXPECT_EQ(take.analysis().seconds, analyzeTake(samples).seconds);
            take.finish(live.callback());
            ASSERT_TRUE(eventually([&] { return live.count() == 1; }));
            EXPECT_EQ(fakeengine::calls().lastSamples, normalizeLevel(samples));
            service.submit(normalizeLevel(samples), whole.callback(), "Toshkent");
            ASSERT_TRUE(eventually([&] { return whole.count() == 1; }));
        }
        EXPECT_EQ(jobCounts(), (std::vector<std::size_t>{samples.size(), samples.size()}));
        EXPECT_EQ(jobContexts(), (std::vector<std::string>{"", ""}));
        EXPECT_EQ(live.results[0].text, whole.results[0].text);
        EXPECT_EQ(live.results[0].error, whole.results[0].error);
    }
}

TEST_F(LiveTakeTest, PartsAreRecognisedDuringTheTakeInOrderEachAfterTheTextBeforeIt) {
    fakeengine::reset(partsNamed());
    const std::vector<float> samples = speech(70);
    Collected got;
    TranscriptionService service(surroundings());
    LiveTake take(service, {20, "Toshkent", 7});
    feed(take, samples, 0, 25 * kSecond);
    EXPECT_EQ(take.partsSubmitted(), 1u) << "the first part goes while the user speaks";
    feed(take, samples, 25 * kSecond, 50 * kSecond);
    ASSERT_TRUE(eventually([&] { return jobCounts().size() == 2; }));
    // Only the audio after the last cut (47.6 s) is left in the take.
    ASSERT_TRUE(eventually([&] { return take.heldSamples() == 50 * kSecond - 761600; }));
    feed(take, samples, 50 * kSecond);
    take.finish(got.callback());
    ASSERT_TRUE(eventually([&] { return got.count() == 1; }));
    service.shutdown();

    EXPECT_EQ(jobCounts(), (std::vector<std::size_t>{377600, 384000, 358400}));
    EXPECT_EQ(jobContexts(), (std::vector<std::string>{"", "qism 377600.", "qism 377600. qism 384000."}));
    EXPECT_EQ(fakeengine::calls().prompts.back(), "Toshkent");
    EXPECT_EQ(got.results[0].text, L"qism 377600. qism 384000. qism 358400.");
    EXPECT_EQ(got.results[0].error, L"");
    EXPECT_EQ(take.heldSamples(), 0u);
}

// The take's second piece fails: the take is recognised in one job from that
// piece to its end, after the text of the first piece, whether the failure is
// known before the stop (nothing further is cut) or only after it.
TEST_F(LiveTakeTest, AFailedPartHasTheTakeRecognisedFromItToTheEndInOneJob) {
    for (const bool knownAtStop : {true, false}) {
        SCOPED_TRACE(knownAtStop);
        fakeengine::reset(partsNamed({384000}));
        const std::vector<float> samples = speech(100);
        const std::wstring fallbackLine = L"yozuv 2-qismdan boshlab bir butun o'girilmoqda";
        const std::size_t fallbacksBefore = logCount(fallbackLine);
        Collected got;
        TranscriptionService service(surroundings());
        LiveTake take(service, {20, "", 7});
        if (knownAtStop) {
            feed(take, samples, 0, 50 * kSecond);
            ASSERT_TRUE(eventually([&] { return logCount(L"XATO: yozuvning 2-qismi o'girilmadi") == 1; }));
            feed(take, samples, 50 * kSecond);
            EXPECT_EQ(take.partsSubmitted(), 2u) << "nothing is cut after a failure";
        } else {
            fakeengine::hold(384000);
            feed(take, samples);
            EXPECT_EQ(take.partsSubmitted(), 4u);
        }
        take.finish(got.callback());
        fakeengine::release();
        ASSERT_TRUE(eventually([&] { return got.count() == 1; }));
        service.shutdown();
        EXPECT_EQ(jobCounts().back(), samples.size() - 377600u) << "from the second piece to the end";
        EXPECT_EQ(jobContexts().back(), "qism 377600.");
        EXPECT_EQ(got.results[0].text, L"qism 377600. qism 1222400.");
        EXPECT_EQ(logCount(fallbackLine), fallbacksBefore + 1);
    }
}

TEST_F(LiveTakeTest, ADroppedTakesQueuedPartsLeaveTheQueueAndNothingIsReported) {
    fakeengine::reset();
    const std::vector<float> samples = speech(70);
    TranscriptionService service(surroundings());
    {
        LiveTake take(service, {20, "", 7});
        fakeengine::hold(377600);
        feed(take, samples);
        ASSERT_EQ(take.partsSubmitted(), 2u);
        ASSERT_TRUE(eventually([&] { return jobCounts().size() == 1; })) << "the first piece is being recognised";
        take.drop();
        EXPECT_EQ(take.heldSamples(), 0u);
        fakeengine::release();
    }  // nothing is reported: there is no callback to report to
    // The service goes on with the next take.
    Collected next;
    service.submit(samples, next.callback());
    ASSERT_TRUE(eventually([&] { return next.count() == 1; }));
    service.shutdown();
    EXPECT_EQ(jobCounts(), (std::vector<std::size_t>{377600, samples.size()})) << "the second piece never ran";
    EXPECT_EQ(logCount(L"bekor qilingan yozuvning 1 qismi navbatdan olindi"), 1u);
}

// Each piece of a long take is judged on its own, never the joined text: a
// near-silent part or rest is not recognised, a part that only says the own
// words from little speech is their echo while the same words from real
// speech stay, and a failure keeps the text recognised before it.
TEST_F(LiveTakeTest, EachPieceIsJudgedOnItsOwnAndAFailureKeepsWhatWasRecognised) {
    // 24 s of speech with pauses, then what each case adds: the first part
    // ends at 25.6 s (409600 samples), in the pause after the speech.
    const std::vector<double> speaking = {3.2, 0.8, 3.2, 0.8, 3.2, 0.8, 3.2, 0.8, 3.2, 0.8, 3.2, 0.8};
    struct Case {
        const char* what;
        std::vector<double> then;  // spans after the speech, starting with speech
        std::map<std::size_t, std::string> textFor;
        std::vector<std::size_t> failing;
        std::vector<std::size_t> lastJobs;
        std::wstring text;
        bool failed;
    };
    const Case cases[] = {
        // 15 s of room alone (243200 samples) between two stretches of speech.
        {"a near-silent part", {0, 30, 16}, {}, {}, {409600, 370880, 96320},
         L"qism 409600. qism 370880. qism 96320.", false},
        {"a near-silent rest", {0, 8}, {}, {}, {409600}, L"qism 409600.", false},
        // The second part holds one syllable (0.32 s of speech) in 27 s of room.
        {"an echo from little speech", {0, 10, 0.35, 17, 16}, {{409600, " Toshkent."}, {381440, " Toshkent."}}, {},
         {409600, 381440, 286560}, L"Toshkent. qism 286560.", false},
        {"a failed rest", {0, 30, 16}, {}, {96320}, {96320}, L"qism 409600. qism 370880.", true},
        {"a failed part and then its fallback", {0, 30, 16}, {}, {370880, 370880 + 96320}, {370880 + 96320},
         L"qism 409600.", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fakeengine::Script script = partsNamed(c.failing);
        script.textFor = c.textFor;
        fakeengine::reset(script);
        std::vector<double> spans = speaking;
        spans.insert(spans.end(), c.then.begin(), c.then.end());
        const std::vector<float> samples = synthetic::take(spans, -50);
        Collected got;
        TranscriptionService service(surroundings());
        LiveTake take(service, {20, "Toshkent", 7});
        feed(take, samples);
        take.finish(got.callback());
        ASSERT_TRUE(eventually([&] { return got.count() == 1; }));
        service.shutdown();
        const std::vector<std::size_t> jobs = jobCounts();
        ASSERT_GE(jobs.size(), c.lastJobs.size());
        EXPECT_TRUE(std::equal(c.lastJobs.rbegin(), c.lastJobs.rend(), jobs.rbegin()));
        EXPECT_EQ(got.results[0].text, c.text);
        EXPECT_EQ(got.results[0].error.empty(), !c.failed);
    }
    EXPECT_EQ(logCount(L"yozuvning 2-qismi deyarli jim"), 3u) << "the silent part, each time it came";
    EXPECT_EQ(logCount(L"yozuvning oxiri deyarli jim"), 1u);
    EXPECT_EQ(logCount(L"natija faqat o'z so'zlar"), 1u) << "the echo, not the same words spoken";
}
