#include "audio/recorder.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <system_error>

#include <windows.h>

#include <initguid.h>  // the interface ids are defined here
#include <audioclient.h>
#include <mmdeviceapi.h>

#include "audio/sample_convert.h"
#include "audio/wave_format.h"
#include "diag/log.h"
#include "diag/scoped_win.h"

namespace {

constexpr REFERENCE_TIME kBufferDuration = 2'000'000;  // 200 ms in 100 ns units
constexpr DWORD kWaitMilliseconds = 1000;               // how long a cleared flag may go unnoticed
constexpr int kStartPolls = 200;                        // of 5 ms: about one second
constexpr auto kLongestStopWait = std::chrono::milliseconds(2000);
constexpr auto kLostAfterNoData = std::chrono::seconds(2);  // a stream without packets this long is lost

std::wstring hex(HRESULT status) {
    wchar_t text[16];
    std::swprintf(text, 16, L"%08lX", static_cast<unsigned long>(status));
    return text;
}

PacketFormat packetFormatOfMix(const WAVEFORMATEX* mix) {
    WaveFormatFields fields;
    readWaveFormat(reinterpret_cast<const std::uint8_t*>(mix), sizeof(WAVEFORMATEX) + mix->cbSize, fields);
    return packetFormatOf(fields);
}

double threadCpuSeconds() {
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
    auto seconds = [](const FILETIME& t) {
        return static_cast<double>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

}  // namespace

struct AudioRecorder::Take {
    std::atomic<bool> running{true};
    std::atomic<bool> failed{false};
    std::atomic<bool> streamStarted{false};  // IAudioClient::Start has succeeded
    std::atomic<std::uint32_t> deviceSampleRate{0};
    std::atomic<std::int64_t> firstFrameAt{0};  // counterNow100ns() units; 0 until a frame came
    std::atomic<double> captureCpuSeconds{0};
    std::mutex samplesMutex;
    std::vector<float> samples;
    std::function<void()> onLost;
    std::mutex endMutex;
    std::condition_variable ended;
    bool threadEnded = false;

    void markEnded() {
        {
            const std::lock_guard lock(endMutex);
            threadEnded = true;
        }
        ended.notify_all();
    }
};

AudioRecorder::~AudioRecorder() {
    if (preparing.joinable()) preparing.join();
    stop();
}

bool AudioRecorder::start(const std::wstring& deviceId, std::wstring& errorText) {
    if (active) {
        errorText = kAlreadyRecordingText;
        return false;
    }
    if (preparing.joinable()) preparing.join();
    // A take that ended on its own (the microphone pulled out) and was never
    // stopped leaves a finished thread here; assigning over it would end the
    // process.
    if (captureThread.joinable()) captureThread.join();
    take = std::make_shared<Take>();
    take->onLost = onLost;
    try {
        captureThread = std::thread(&AudioRecorder::captureLoop, take, deviceId);
    } catch (const std::system_error&) {
        // No thread at all: the same answer as a microphone that cannot be opened.
        errorText = kMicrophoneFailedText;
        return false;
    }
    // True only once the stream runs: a microphone that fails to start is
    // never shown as recording.
    int poll = 0;
    for (; poll < kStartPolls && take->running && !take->streamStarted; ++poll)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (take->streamStarted && take->running && !take->failed) {
        active = true;
        return true;
    }
    if (poll == kStartPolls) logLine(L"XATO: mikrofon oqimi 1 soniyada boshlanmadi");
    take->running = false;
    if (!finishThread(kLongestStopWait)) logLine(L"XATO: ochilmagan mikrofon oqimi tugamadi \u2014 kutilmadi");
    errorText = kMicrophoneFailedText;
    return false;
}

bool AudioRecorder::finishThread(std::chrono::milliseconds limit) {
    if (!captureThread.joinable()) return true;
    std::unique_lock lock(take->endMutex);
    if (!take->ended.wait_for(lock, limit, [this] { return take->threadEnded; })) {
        lock.unlock();
        // It keeps its own share of the take and ends on its own.
        captureThread.detach();
        return false;
    }
    lock.unlock();
    captureThread.join();
    return true;
}

std::vector<float> AudioRecorder::stop() {
    active = false;
    if (!take) return {};
    // The thread notices the cleared flag within one wait (about a second).
    take->running = false;
    if (!finishThread(kLongestStopWait)) {
        logLine(L"XATO: yozish oqimi 2 soniyada tugamadi \u2014 shu paytgacha yozilgani bilan davom etildi");
    }
    const std::lock_guard lock(take->samplesMutex);
    return take->samples;
}

std::vector<float> AudioRecorder::takeCaptured() {
    if (!take) return {};
    std::vector<float> captured;
    const std::lock_guard lock(take->samplesMutex);
    captured.swap(take->samples);
    return captured;
}

std::int64_t counterNow100ns() {
    LARGE_INTEGER now{}, frequency{};
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    // Whole seconds and the rest apart, so the product never overflows.
    const std::int64_t seconds = now.QuadPart / frequency.QuadPart;
    return seconds * 10'000'000 + (now.QuadPart % frequency.QuadPart) * 10'000'000 / frequency.QuadPart;
}

std::int64_t AudioRecorder::firstFrameTime() const { return take ? take->firstFrameAt.load() : 0; }

double AudioRecorder::lastCaptureCpuSeconds() const { return take ? take->captureCpuSeconds.load() : 0; }

std::size_t AudioRecorder::capturedSampleCount() {
    if (!take) return 0;
    const std::lock_guard lock(take->samplesMutex);
    return take->samples.size();
}

// One open capture stream. Members go in a fixed order: the stream stops
// first, then the event, the mix format, the capture client, the stream
// client, the endpoint and the enumerator are released (reverse declaration).
struct AudioRecorder::CaptureStream {
    ComPtr<IMMDeviceEnumerator> enumerator;
    ComPtr<IMMDevice> device;
    ComPtr<IAudioClient> client;
    ComPtr<IAudioCaptureClient> capture;
    CoTaskMemPtr<WAVEFORMATEX> mix;
    UniqueHandle event;
    PacketFormat format;
    bool started = false;

    CaptureStream() = default;
    CaptureStream(const CaptureStream&) = delete;
    CaptureStream& operator=(const CaptureStream&) = delete;
    ~CaptureStream() {
        if (started) client->Stop();
    }

    // Windows counts a stream on the default communications device as a
    // call and, by default, lowers every other sound by 80 % while one is
    // open, capture streams included. A stream whose category says what it
    // is (Windows 8 and later, set before Initialize) is judged by that
    // category instead: Speech on Windows 10, Other where Speech is not
    // known. Without IAudioClient2 (Windows 7) nothing can be said.
    void declareSpeechStream() {
        ComPtr<IAudioClient2> client2;
        if (FAILED(client->QueryInterface(IID_IAudioClient2, client2.putVoid())) || !client2) return;
        for (const AUDIO_STREAM_CATEGORY category : {AudioCategory_Speech, AudioCategory_Other}) {
            AudioClientProperties properties{};
            properties.cbSize = sizeof(properties);
            properties.bIsOffload = FALSE;
            properties.eCategory = category;
            properties.Options = AUDCLNT_STREAMOPTIONS_NONE;
            const HRESULT set = client2->SetClientProperties(&properties);
            if (SUCCEEDED(set)) return;
            if (category == AudioCategory_Other)
                logLine(L"ogohlantirish: mikrofon oqimining turi belgilanmadi (0x" + hex(set) + L")");
        }
    }

    enum class Until { Initialised, Started };
    // The chosen endpoint (the default communications one when it is missing
    // or unusable), initialised for shared event-driven capture and started
    // (or only initialised: what a first stream of the process pays for).
    bool open(const std::wstring& deviceId, Until until = Until::Started) {
        if (FAILED(CoCreateInstance(CLSID_MMDeviceEnumerator, nullptr, CLSCTX_ALL, IID_IMMDeviceEnumerator,
                                    enumerator.putVoid()))) {
            logLine(L"XATO: audio enumerator yaratilmadi");
            return false;
        }
        const HRESULT chosen = deviceId.empty()
                                   ? enumerator->GetDefaultAudioEndpoint(eCapture, eCommunications, device.put())
                                   : enumerator->GetDevice(deviceId.c_str(), device.put());
        if (FAILED(chosen) || !device) {
            logLine(L"qurilma ochilmadi, standart mikrofonga o'tilmoqda");
            device.reset();
            if (FAILED(enumerator->GetDefaultAudioEndpoint(eCapture, eCommunications, device.put())) || !device)
                return false;
        }
        if (FAILED(device->Activate(IID_IAudioClient, CLSCTX_ALL, nullptr, client.putVoid())) ||
            FAILED(client->GetMixFormat(mix.put())) || mix.get() == nullptr) {
            logLine(L"XATO: IAudioClient ochilmadi");
            return false;
        }
        declareSpeechStream();
        format = packetFormatOfMix(mix.get());
        if (!canDownmix(format)) {
            logLine(L"XATO: mikrofon formati o'qilmaydi: " + std::to_wstring(format.bitsPerSample) + L" bit, " +
                    std::to_wstring(format.channels) + L" kanal, blok " + std::to_wstring(format.frameBytes));
            return false;
        }
        event.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        if (!event) return false;
        const HRESULT initialised = client->Initialize(AUDCLNT_SHAREMODE_SHARED, AUDCLNT_STREAMFLAGS_EVENTCALLBACK,
                                                       kBufferDuration, 0, mix.get(), nullptr);
        if (FAILED(initialised)) {
            logLine(L"XATO: IAudioClient::Initialize = 0x" + hex(initialised));
            return false;
        }
        if (until == Until::Initialised) return true;
        if (FAILED(client->SetEventHandle(event.get())) ||
            FAILED(client->GetService(IID_IAudioCaptureClient, capture.putVoid())) || FAILED(client->Start())) {
            logLine(L"XATO: audio oqimi boshlanmadi");
            return false;
        }
        started = true;
        return true;
    }
};

void AudioRecorder::prepare(const std::wstring& deviceId) {
    if (preparing.joinable() || take) return;
    try {
        preparing = std::thread([deviceId] {
            const ComInitialization com;
            if (!com.succeeded()) return;
            CaptureStream stream;
            stream.open(deviceId, CaptureStream::Until::Initialised);
        });
    } catch (const std::system_error&) {
        // Without it the first take starts a little later; nothing more.
    }
}

void AudioRecorder::captureLoop(std::shared_ptr<Take> take, std::wstring deviceId) {
    const ComInitialization com;
    if (!com.succeeded()) {
        take->failed = true;
        take->running = false;
        take->markEnded();
        return;
    }
    {
        CaptureStream stream;
        const bool opened = stream.open(deviceId);
        if (!opened) take->failed = true;
        if (stream.mix.get() != nullptr) take->deviceSampleRate = stream.mix->nSamplesPerSec;
        if (opened) {
            take->streamStarted = true;  // what start() waits for; failed is set first
            const WAVEFORMATEX& mix = *stream.mix.get();
            logLine(L"yozish boshlandi: " + std::to_wstring(mix.nSamplesPerSec) + L" Hz, " +
                    std::to_wstring(mix.nChannels) + L" kanal, " + std::to_wstring(mix.wBitsPerSample) + L" bit" +
                    (stream.format.isFloat ? L" float" : L" pcm"));
            pumpPackets(*take, stream);
            // Still running: nobody asked for the end, the device went away.
            if (take->running && take->onLost) take->onLost();
        }
    }
    take->captureCpuSeconds = threadCpuSeconds();
    take->running = false;
    take->markEnded();
}

// Until the flag is cleared or the stream fails: each packet downmixed,
// brought to the engine's rate and added to the take.
void AudioRecorder::pumpPackets(Take& take, CaptureStream& stream) {
    const std::uint32_t rate = take.deviceSampleRate;
    std::vector<float> scratch;
    auto lastData = std::chrono::steady_clock::now();
    while (take.running) {
        const DWORD woken = WaitForSingleObject(stream.event.get(), kWaitMilliseconds);
        if (woken != WAIT_OBJECT_0 && woken != WAIT_TIMEOUT) break;
        // A shared stream brings packets every few milliseconds, silence
        // included: a device that is gone, or has brought nothing for
        // seconds, is lost.
        DWORD state = DEVICE_STATE_ACTIVE;
        if (woken == WAIT_TIMEOUT && (FAILED(stream.device->GetState(&state)) || state != DEVICE_STATE_ACTIVE)) {
            logLine(L"mikrofon o'chirildi");
            take.failed = true;
            break;
        }
        if (std::chrono::steady_clock::now() - lastData > kLostAfterNoData) {
            logLine(L"mikrofondan ovoz kelmay qoldi");
            take.failed = true;
            break;
        }
        if (woken == WAIT_OBJECT_0) {
            UINT32 pending = 0;
            if (FAILED(stream.capture->GetNextPacketSize(&pending))) take.failed = true;
            while (!take.failed && pending != 0) {
                BYTE* data = nullptr;
                UINT32 frames = 0;
                DWORD flags = 0;
                UINT64 devicePosition = 0, recordedAt = 0;
                const HRESULT got = stream.capture->GetBuffer(&data, &frames, &flags, &devicePosition, &recordedAt);
                if (got == AUDCLNT_S_BUFFER_EMPTY) break;
                if (FAILED(got)) {
                    take.failed = true;
                    break;
                }
                scratch.clear();
                if (scratch.capacity() < frames) scratch.reserve(frames);
                if (flags & AUDCLNT_BUFFERFLAGS_SILENT)
                    scratch.assign(frames, 0.0f);
                else if (data != nullptr)
                    downmixPacket(data, frames, stream.format, scratch);
                stream.capture->ReleaseBuffer(frames);
                if (frames > 0) {
                    lastData = std::chrono::steady_clock::now();
                    // When the take's first frame was recorded: the driver's
                    // time, or the packet's length back from now without one
                    // or when the driver flags its stamp as wrong.
                    if (take.firstFrameAt == 0) {
                        const std::int64_t length = static_cast<std::int64_t>(frames) * 10'000'000 / (rate ? rate : 1);
                        const bool stamped = recordedAt != 0 && !(flags & AUDCLNT_BUFFERFLAGS_TIMESTAMP_ERROR);
                        take.firstFrameAt = stamped ? static_cast<std::int64_t>(recordedAt) : counterNow100ns() - length;
                    }
                }
                if (!scratch.empty()) {
                    const std::vector<float> converted = toEngineRate(scratch, rate);
                    const std::lock_guard lock(take.samplesMutex);
                    take.samples.insert(take.samples.end(), converted.begin(), converted.end());
                }
                if (FAILED(stream.capture->GetNextPacketSize(&pending))) take.failed = true;
            }
        }
        if (take.failed) break;
    }
}
