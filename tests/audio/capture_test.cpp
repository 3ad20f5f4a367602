// The recorder and the microphone list against real Windows audio APIs:
// Wine's WASAPI over a private PulseAudio daemon (tests/harness/session.sh --audio),
// whose virtual microphone the tests feed with known sounds.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

#include <gtest/gtest.h>
#include <windows.h>

#include "audio/microphones.h"
#include "audio/recorder.h"
#include "audio/sample_convert.h"
#include "diag/encoding.h"
#include "diag/log.h"
#include "tests/support/audio_harness.h"
#include "tests/support/temp_folder.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

struct Level {
    float peak = 0;
    std::size_t loud = 0;  // samples above a tenth of full scale
};

Level levelOf(const std::vector<float>& samples) {
    Level level;
    for (float s : samples) {
        level.peak = std::max(level.peak, std::fabs(s));
        level.loud += std::fabs(s) > 0.1f;
    }
    return level;
}

class Capture : public ::testing::Test {
protected:
    // The first stream of a process starts later under Wine (0.1 s more);
    // the tests look at takes from the second on, as the program's are after
    // its start-up opening. The benchmark reports the first take on its own.
    static void SetUpTestSuite() {
        if (!haveAudioHarness()) return;
        AudioRecorder recorder;
        std::wstring error;
        if (recorder.start(L"", error)) std::this_thread::sleep_for(2000ms);
        recorder.stop();
    }
    void SetUp() override {
        if (!haveAudioHarness()) GTEST_SKIP() << "needs tests/harness/session.sh --audio";
        initLogIn(logFolder.path());
    }
    std::string logged() { return readFile(logFilePath()); }
    TempFolder logFolder;
};

}  // namespace

TEST_F(Capture, ToneComesBackAtTheEngineRate) {
    AudioRecorder recorder;
    std::wstring error;
    ASSERT_TRUE(recorder.start(L"", error)) << std::string(error.begin(), error.end());
    EXPECT_EQ(error, L"");
    std::wstring second;
    EXPECT_FALSE(recorder.start(L"", second));
    EXPECT_EQ(second, L"Yozuv allaqachon ketmoqda");
    const auto started = Clock::now();
    std::this_thread::sleep_for(200ms);
    ASSERT_TRUE(harnessRequest(L"play", "tone-1s"));
    std::this_thread::sleep_for(300ms);  // the sound server's latency
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    const std::vector<float> take = recorder.stop();

    EXPECT_NE(logged().find(" yozish boshlandi: 48000 Hz, 2 kanal, 32 bit float\r\n"), std::string::npos) << logged();
    // The whole take, silence included: as long as the time between start
    // and stop, within a few 10 ms packets of scheduling.
    EXPECT_NEAR(static_cast<double>(take.size()), seconds * kEngineRate, 480);
    const Level level = levelOf(take);
    EXPECT_NEAR(level.peak, 0.5f, 0.03f);
    // A 440 Hz sine is above a tenth of its 0.5 peak 87 % of the time: one
    // second of it, within one 10 ms packet.
    EXPECT_NEAR(static_cast<double>(level.loud), kEngineRate * 0.872, 160) << "loud samples";
    EXPECT_EQ(recorder.stop(), take) << "stop again: the same take";
}

TEST_F(Capture, SpokenUzbekIsAUsableTake) {
    AudioRecorder recorder;
    std::wstring error;
    ASSERT_TRUE(recorder.start(L"", error));
    std::this_thread::sleep_for(200ms);
    ASSERT_TRUE(harnessRequest(L"play", "speech"));
    std::this_thread::sleep_for(300ms);
    const std::vector<float> take = recorder.stop();
    const TakeAnalysis analysis = analyzeTake(take);
    EXPECT_EQ(analysis.verdict, TakeVerdict::Ok);
    EXPECT_GT(analysis.peak, 0.2f);
    EXPECT_GT(levelOf(take).loud, kEngineRate / 10) << "speech, not a click";
}

TEST_F(Capture, StaleDeviceIdFallsBackToTheDefault) {
    AudioRecorder recorder;
    std::wstring error;
    ASSERT_TRUE(recorder.start(L"{0.0.1.00000000}.{00000000-dead-beef-0000-000000000000}", error));
    ASSERT_TRUE(harnessRequest(L"play", "tone-1s"));
    std::this_thread::sleep_for(300ms);
    const std::vector<float> take = recorder.stop();
    EXPECT_NE(logged().find(" qurilma ochilmadi, standart mikrofonga o'tilmoqda\r\n"), std::string::npos);
    EXPECT_NEAR(levelOf(take).peak, 0.5f, 0.03f) << "recorded from the default microphone";
}

TEST_F(Capture, UnpluggedMicrophoneKeepsWhatWasRecorded) {
    AudioRecorder recorder;
    std::wstring error;
    ASSERT_TRUE(recorder.start(L"", error));
    ASSERT_TRUE(harnessRequest(L"play-async", "tone-3s"));
    std::this_thread::sleep_for(800ms);
    ASSERT_TRUE(harnessRequest(L"unplug"));
    std::this_thread::sleep_for(1500ms);
    const auto stopping = Clock::now();
    const std::vector<float> take = recorder.stop();
    const auto stopTook = Clock::now() - stopping;
    ASSERT_TRUE(harnessRequest(L"replug"));
    const Level level = levelOf(take);
    EXPECT_NEAR(level.peak, 0.5f, 0.03f);
    EXPECT_GT(level.loud, kEngineRate * 3 / 10) << "the tone before the unplugging";
    EXPECT_LT(take.size(), kEngineRate * 13 / 10) << "capture ended with the microphone, not at stop";
    EXPECT_LT(stopTook, 1200ms) << "within one wait of the capture thread";
    EXPECT_EQ(logged().find("XATO"), std::string::npos) << "no log line for a pulled-out microphone";
}

TEST_F(Capture, StopReturnsSoonWhenNoAudioArrives) {
    AudioRecorder recorder;
    std::wstring error;
    ASSERT_TRUE(recorder.start(L"", error));
    std::this_thread::sleep_for(200ms);
    ASSERT_TRUE(harnessRequest(L"suspend"));
    std::this_thread::sleep_for(300ms);
    const auto stopping = Clock::now();
    recorder.stop();
    const auto stopTook = Clock::now() - stopping;
    ASSERT_TRUE(harnessRequest(L"resume"));
    EXPECT_LT(stopTook, 1300ms);
}

TEST_F(Capture, StopWithoutStart) {
    AudioRecorder recorder;
    EXPECT_TRUE(recorder.stop().empty());
}

TEST_F(Capture, MicrophonesListedWithNamesDefaultAndOrder) {
    const std::vector<MicDevice> devices = listMicrophones();
    std::wstring names;
    for (const MicDevice& device : devices) names += device.name + L"|";
    const std::string shown(names.begin(), names.end());
    auto position = [&](const std::wstring& name) {
        const auto found = std::find_if(devices.begin(), devices.end(), [&](const MicDevice& d) { return d.name == name; });
        return found == devices.end() ? -1 : static_cast<int>(found - devices.begin());
    };
    // Wine adds an endpoint of its own that follows the system default.
    const int mic = position(L"Mikrofon (USB Audio)"), headset = position(L"Headset (Hands-Free AG Audio)"),
              loopback = position(L"Monitor of Stereo Mix");
    ASSERT_GE(mic, 0) << shown;
    ASSERT_GT(headset, mic) << shown;
    ASSERT_GT(loopback, headset) << shown;
    EXPECT_EQ(devices[mic].kind, MicKind::Normal);
    EXPECT_EQ(devices[headset].kind, MicKind::Headset);
    EXPECT_EQ(devices[loopback].kind, MicKind::Loopback);
    EXPECT_EQ(loopback, static_cast<int>(devices.size()) - 1) << "loopbacks sort last";
    int defaults = 0;
    for (const MicDevice& device : devices) {
        EXPECT_FALSE(device.id.empty());
        defaults += device.isDefault;
    }
    EXPECT_EQ(defaults, 1) << shown;
    EXPECT_TRUE(devices[0].isDefault) << "the default leads the ordinary microphones";
}

// Run without the harness, with no audio server reachable.
TEST(NoAudioServer, StartFailsWithinASecond) {
    if (!!haveAudioHarness()) GTEST_SKIP() << "an audio server is running";
    TempFolder logFolder;
    initLogIn(logFolder.path());
    AudioRecorder recorder;
    std::wstring error;
    const auto starting = Clock::now();
    EXPECT_FALSE(recorder.start(L"", error));
    EXPECT_LT(Clock::now() - starting, 1500ms);
    EXPECT_EQ(error, L"Mikrofon ochilmadi.\nWindows sozlamalarida mikrofonga ruxsat berilganini tekshiring:\n"
                     L"Sozlamalar > Maxfiylik > Mikrofon");
    const std::string lines = readFile(logFilePath());
    EXPECT_NE(lines.find(" qurilma ochilmadi, standart mikrofonga o'tilmoqda\r\n"), std::string::npos);
    EXPECT_TRUE(recorder.stop().empty());
    EXPECT_TRUE(listMicrophones().empty());
}


// A capture thread that does not end (a stalled audio stack; here the lost-
// microphone callback holds it) costs stop() two seconds at most, and the
// take is what was captured; the recorder records again afterwards.
TEST_F(Capture, StopWaitsForAStalledCaptureThreadTwoSecondsAtMost) {
    std::atomic<bool> stalled{false};
    std::atomic<bool> letGo{false};
    AudioRecorder recorder;
    recorder.setOnLost([&] {
        stalled = true;
        while (!letGo) std::this_thread::sleep_for(10ms);
    });
    std::wstring error;
    ASSERT_TRUE(recorder.start(L"", error));
    ASSERT_TRUE(harnessRequest(L"play-async", "tone-3s"));
    std::this_thread::sleep_for(800ms);
    ASSERT_TRUE(harnessRequest(L"unplug"));
    const auto limit = Clock::now() + 5s;
    while (!stalled && Clock::now() < limit) std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(stalled) << "the capture never noticed the lost microphone";

    const auto stopping = Clock::now();
    const std::vector<float> take = recorder.stop();
    const auto stopTook = Clock::now() - stopping;
    letGo = true;
    ASSERT_TRUE(harnessRequest(L"replug"));
    EXPECT_GE(stopTook, 1900ms);
    EXPECT_LT(stopTook, 2500ms);
    EXPECT_GT(levelOf(take).loud, kEngineRate * 3 / 10) << "the tone before the unplugging";
    EXPECT_NE(logged().find("XATO: yozish oqimi 2 soniyada tugamadi"), std::string::npos);

    std::this_thread::sleep_for(500ms);  // the left thread ends on its own
    ASSERT_TRUE(recorder.start(L"", error)) << toUtf8(error);
    std::this_thread::sleep_for(500ms);
    recorder.stop();
}

// start() answers true only for a stream that runs: samples follow at once,
// and the first frame carries the time it was recorded on the audio clock.
// Opening the endpoint ahead (as the program does at start) takes nothing
// from the take.
TEST_F(Capture, AStartedTakeIsAlreadyRecordingWhenStartReturns) {
    AudioRecorder recorder;
    recorder.prepare(L"");
    std::wstring error;
    const std::int64_t asked = counterNow100ns();
    ASSERT_TRUE(recorder.start(L"", error)) << toUtf8(error);
    const std::int64_t returned = counterNow100ns();
    const auto started = Clock::now();
    while (recorder.capturedSampleCount() == 0 && Clock::now() - started < 2s) std::this_thread::sleep_for(1ms);
    EXPECT_LT(Clock::now() - started, 500ms) << "a running stream delivers within a few periods";
    std::this_thread::sleep_for(200ms);
    EXPECT_FALSE(recorder.stop().empty());
    EXPECT_GT(recorder.firstFrameTime(), asked - 2'000'000) << "at most 0.2 s of stamping slack";
    EXPECT_LT(recorder.firstFrameTime(), returned + 5'000'000);
}
