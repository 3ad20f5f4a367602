#pragma once
// Records one take at a time from a capture endpoint on a thread of its
// own, in shared event-driven mode, and hands back the take in the engine
// format (16000 Hz, mono, float). Reports only through start/stop results
// and the log.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

inline constexpr wchar_t kAlreadyRecordingText[] = L"Yozuv allaqachon ketmoqda";
inline constexpr wchar_t kMicrophoneFailedText[] =
    L"Mikrofon ochilmadi.\nWindows sozlamalarida mikrofonga ruxsat berilganini tekshiring:\n"
    L"Sozlamalar > Maxfiylik > Mikrofon";

// The performance counter in 100 ns units, the clock the audio stack stamps
// its packets with.
std::int64_t counterNow100ns();

class AudioRecorder {
public:
    AudioRecorder() = default;
    ~AudioRecorder();
    AudioRecorder(const AudioRecorder&) = delete;
    AudioRecorder& operator=(const AudioRecorder&) = delete;

    // deviceId empty: the default communications capture endpoint. Returns
    // once the stream has started (true) or has failed or not started within
    // about a second (false, with errorText).
    bool start(const std::wstring& deviceId, std::wstring& errorText);
    // Opens the endpoint once and closes it again, on a thread of its own,
    // without starting a stream: the first stream of a process is the slow
    // one, and the first take pays no longer. start() waits for it to end.
    void prepare(const std::wstring& deviceId);
    // Ends the take and returns a copy of what takeCaptured has not handed
    // over (also without a start: the previous take's, or nothing). Waits for the capture thread about two
    // seconds at most: one that has not ended by then (a stalled audio stack)
    // is left to end on its own, and the take is what it captured so far.
    std::vector<float> stop();
    // Hands over what the running take has captured since its start or the
    // last call, and keeps nothing of it, so a long take is not held twice.
    // Any thread but the capture thread.
    std::vector<float> takeCaptured();

    // Called on the capture thread when a running take ends without stop()
    // (the microphone went away); the take so far is kept for stop(). Set
    // before start().
    void setOnLost(std::function<void()> callback) { onLost = std::move(callback); }

    // When the last take's first frame was recorded, in counterNow100ns()
    // units; 0 until one has come.
    std::int64_t firstFrameTime() const;
    // How many engine samples the running take holds now (for measuring).
    std::size_t capturedSampleCount();
    // Processor time the last finished capture thread used, in seconds.
    double lastCaptureCpuSeconds() const;

private:
    struct CaptureStream;
    // Everything one take's capture thread touches: shared with the thread,
    // so a thread left behind by stop() never reaches the recorder again.
    struct Take;
    static void captureLoop(std::shared_ptr<Take> take, std::wstring deviceId);
    static void pumpPackets(Take& take, CaptureStream& stream);
    // Waits for the capture thread up to the limit; false when it is still running.
    bool finishThread(std::chrono::milliseconds limit);

    std::thread preparing;
    std::thread captureThread;
    std::shared_ptr<Take> take;
    bool active = false;  // started and not yet stopped
    std::function<void()> onLost;
};
