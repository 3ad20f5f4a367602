#pragma once
// Records one take at a time from a capture endpoint on a thread of its
// own, in shared event-driven mode, and hands back the take in the engine
// format (16000 Hz, mono, float). Reports only through start/stop results
// and the log.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

inline constexpr wchar_t kAlreadyRecordingText[] = L"Yozuv allaqachon ketmoqda";
inline constexpr wchar_t kMicrophoneFailedText[] =
    L"Mikrofon ochilmadi.\nWindows sozlamalarida mikrofonga ruxsat berilganini tekshiring:\n"
    L"Sozlamalar > Maxfiylik > Mikrofon";

class AudioRecorder {
public:
    AudioRecorder() = default;
    ~AudioRecorder();
    AudioRecorder(const AudioRecorder&) = delete;
    AudioRecorder& operator=(const AudioRecorder&) = delete;

    // deviceId empty: the default communications capture endpoint. errorText
    // is written only when the result is false.
    bool start(const std::wstring& deviceId, std::wstring& errorText);
    // Joins the capture thread and returns a copy of the take (also without
    // a start: the previous take, or nothing).
    std::vector<float> stop();

    // Called on the capture thread when a running take ends without stop()
    // (the microphone went away); the take so far is kept for stop(). Set
    // before start().
    void setOnLost(std::function<void()> callback) { onLost = std::move(callback); }

    std::uint32_t lastDeviceSampleRate() const { return deviceSampleRate; }
    // How many engine samples the running take holds so far (for measuring).
    std::size_t capturedSampleCount();
    // Processor time the last finished capture thread used, in seconds.
    double lastCaptureCpuSeconds() const { return captureCpuSeconds; }

private:
    struct CaptureStream;
    void captureLoop(std::wstring deviceId);
    void pumpPackets(CaptureStream& stream);

    std::thread captureThread;
    std::atomic<bool> running{false};
    std::atomic<bool> failed{false};
    std::mutex samplesMutex;
    std::vector<float> samples;
    std::atomic<std::uint32_t> deviceSampleRate{0};
    std::atomic<double> captureCpuSeconds{0};
    std::function<void()> onLost;
};
