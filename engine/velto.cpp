#include "engine/velto.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <ggml-backend.h>
#include <ggml.h>
#include <whisper.h>

#include "diag/encoding.h"
#include "diag/folders.h"
#include "engine/model_file_check.h"
#include "engine/prompt_fit.h"
#include "engine/velto_internal.h"
#include "engine/velto_params.h"

namespace {

whisper_context* context = nullptr;
char lastError[256] = "";
char backendName[32] = "";
char deviceName[128] = "";
// Read by the forwarder on whatever thread the library logs from.
std::atomic<VeltoLogFn> logSink{nullptr};
// Set by velto_abort, read by the library between steps, cleared when the
// recognition it stopped returns.
std::atomic<bool> abortRequested{false};

bool shouldAbort(void*) { return abortRequested.load(); }

void setLastError(const char* text) { std::snprintf(lastError, sizeof lastError, "%s", text); }
void setBackend(const char* name) { std::snprintf(backendName, sizeof backendName, "%s", name); }
void setDevice(const char* name) { std::snprintf(deviceName, sizeof deviceName, "%s", name); }

int countPromptTokens(const std::string& text) {
    std::vector<whisper_token> tokens(1024);
    const int count = whisper_tokenize(context, text.c_str(), tokens.data(), static_cast<int>(tokens.size()));
    return count >= 0 ? count : -count;  // negative: that many would be needed
}

// The prompt as the model will take it: the user's words (a cut is told
// through the log sink), then as much of the end of the context as fits.
std::string fittedPrompt(const char* prompt, const char* before) {
    FittedPrompt words;
    if (prompt != nullptr && prompt[0] != '\0') {
        words = fitPrompt(prompt, kPromptTokenLimit, countPromptTokens);
        if (words.cut) {
            const std::string line = "prompt qisqartirildi: " + std::to_string(words.fullTokens) + " token -> " +
                                     std::to_string(words.tokens) + " token (so'z chegarasida)";
            veltoForwardLog(GGML_LOG_LEVEL_INFO, line.c_str(), nullptr);
        }
    }
    const int room = std::min(kContextTokenLimit, kPromptTokenLimit - words.tokens);
    if (before == nullptr || before[0] == '\0' || room <= 0) return words.text;
    const FittedPrompt tail = fitContext(before, room, countPromptTokens);
    if (words.text.empty() || tail.text.empty()) return words.text + tail.text;
    return words.text + " " + tail.text;
}

bool isGpuBackendName(const char* name) {
    return std::strcmp(name, "Vulkan") == 0 || std::strcmp(name, "CUDA") == 0 || std::strcmp(name, "Metal") == 0;
}

// The graphics backends in the program's "gpu" folder, once per process.
// Through the folder's search, which reads the path as UTF-8: a path given to
// ggml_backend_load is read in the ANSI code page on Windows, and a folder
// named in Cyrillic would not be found.
void loadGpuBackends() {
    static bool loaded = false;
    if (std::exchange(loaded, true)) return;
    const std::wstring folder = exeDirectory() + kPathSeparator + L"gpu";
    if (fileExists(folder + kPathSeparator + L"ggml-vulkan.dll")) ggml_backend_load_all_from_path(toUtf8(folder).c_str());
}

// Whether a graphics backend is registered (with or without a device).
bool haveGpuBackend() {
    for (size_t i = 0; i < ggml_backend_reg_count(); ++i) {
        const char* name = ggml_backend_reg_name(ggml_backend_reg_get(i));
        if (name != nullptr && isGpuBackendName(name)) return true;
    }
    return false;
}

// The device the library recognises on when asked for the graphics card:
// the first graphics device; null when there is none.
ggml_backend_dev_t firstGpuDevice() {
    for (size_t i = 0; i < ggml_backend_dev_count(); ++i) {
        ggml_backend_dev_t device = ggml_backend_dev_get(i);
        if (device == nullptr || ggml_backend_dev_type(device) != GGML_BACKEND_DEVICE_TYPE_GPU) continue;
        ggml_backend_reg_t reg = ggml_backend_dev_backend_reg(device);
        const char* name = reg != nullptr ? ggml_backend_reg_name(reg) : nullptr;
        if (name != nullptr && isGpuBackendName(name)) return device;
    }
    return nullptr;
}

}  // namespace

void veltoForwardLog(ggml_log_level, const char* text, void*) {
    VeltoLogFn sink = logSink;
    if (sink != nullptr && text != nullptr && text[0] != '\0' && text[0] != '\n') sink(text);
}

whisper_full_params veltoRecognitionParams(int threads) {
    whisper_full_params params = whisper_full_default_params(WHISPER_SAMPLING_BEAM_SEARCH);
    params.n_threads = threads > 0 ? threads : 4;
    params.translate = false;
    params.no_timestamps = true;
    params.print_special = false;
    params.print_progress = false;
    params.print_realtime = false;
    params.print_timestamps = false;
    params.language = "uz";
    params.suppress_blank = true;
    params.logprob_thold = -1.0f;
    params.no_speech_thold = 0.25f;
    params.beam_search.beam_size = 5;
    return params;
}

extern "C" int velto_load(const char* modelPath, int useGpu) {
    if (context != nullptr) return 0;
    if (modelPath == nullptr || modelPath[0] == '\0') {
        setLastError("empty model path");
        return 1;
    }
    // From the program's own folder only: the library would also search the
    // current directory, where anyone may have put a DLL named like a backend.
    // The graphics card's backend lives in a folder of its own, loaded only
    // for a load on the card: a broken driver can crash a process as soon as
    // the backend looks at it, and one that recognises on the processor never does.
    ggml_backend_load_all_from_path(toUtf8(exeDirectory()).c_str());
    if (useGpu != 0) loadGpuBackends();
    // Without any compute device the library aborts the process while creating
    // the context; say so instead.
    if (ggml_backend_dev_count() == 0) {
        setLastError("no compute backend registered (ggml-cpu library missing)");
        setBackend("");
        return 1;
    }
    // The library also aborts on some malformed files; check the structure first.
    const std::string problem = checkModelFile(modelPath);
    if (!problem.empty()) {
        setLastError(("invalid model file: " + problem).c_str());
        setBackend("");
        return 1;
    }

    whisper_context_params params = whisper_context_default_params();
    params.use_gpu = useGpu != 0;
    params.flash_attn = true;
    context = whisper_init_from_file_with_params(modelPath, params);
    if (context == nullptr) {
        setLastError("whisper_init_from_file_with_params failed");
        setBackend("");
        return 1;
    }

    setBackend("CPU");
    setDevice("");
    if (useGpu != 0) {
        if (ggml_backend_dev_t device = firstGpuDevice()) {
            const char* name = ggml_backend_reg_name(ggml_backend_dev_backend_reg(device));
            setBackend(name);
            const char* description = ggml_backend_dev_description(device);
            setDevice(description != nullptr ? description : name);
        }
    }
    setLastError("");
    return 0;
}

extern "C" char* velto_transcribe(const float* samples, int count, int threads) {
    return velto_transcribe_prompted(samples, count, threads, nullptr);
}

extern "C" char* velto_transcribe_prompted(const float* samples, int count, int threads, const char* prompt) {
    return velto_transcribe_in_context(samples, count, threads, prompt, nullptr);
}

extern "C" char* velto_transcribe_in_context(const float* samples, int count, int threads, const char* prompt,
                                             const char* before) {
    if (context == nullptr) {
        setLastError("model not loaded");
        return nullptr;
    }
    if (samples == nullptr || count <= 0) {
        setLastError("no samples");
        return nullptr;
    }
    whisper_full_params params = veltoRecognitionParams(threads);
    const std::string initialPrompt = fittedPrompt(prompt, before);
    if (!initialPrompt.empty()) params.initial_prompt = initialPrompt.c_str();
    params.abort_callback = shouldAbort;
    params.abort_callback_user_data = nullptr;
    whisper_reset_timings(context);  // the library's timings then tell of this recognition alone
    const int status = whisper_full(context, params, samples, count);
    if (abortRequested.exchange(false)) {
        setLastError("aborted");
        return nullptr;
    }
    if (status != 0) {
        setLastError("whisper_full failed");
        return nullptr;
    }

    const int segments = whisper_full_n_segments(context);
    auto* result = static_cast<char*>(std::malloc(1));
    if (result == nullptr) {
        setLastError("out of memory");
        return nullptr;
    }
    result[0] = '\0';
    size_t length = 0;
    for (int i = 0; i < segments; ++i) {
        const char* segment = whisper_full_get_segment_text(context, i);
        if (segment == nullptr) continue;
        const size_t add = std::strlen(segment);
        auto* grown = static_cast<char*>(std::realloc(result, length + add + 1));
        if (grown == nullptr) {
            std::free(result);
            setLastError("out of memory");
            return nullptr;
        }
        result = grown;
        std::memcpy(result + length, segment, add + 1);
        length += add;
    }
    setLastError("");
    return result;
}

extern "C" void velto_free_text(char* text) { std::free(text); }

extern "C" void velto_abort(void) { abortRequested = true; }

whisper_context* veltoContext() { return context; }

extern "C" void velto_unload(void) {
    if (context != nullptr) {
        whisper_free(context);
        context = nullptr;
    }
    setBackend("");
    setDevice("");
}

extern "C" const char* velto_backend(void) { return backendName; }

extern "C" const char* velto_device(void) { return deviceName; }

extern "C" int velto_has_gpu_backend(void) { return haveGpuBackend() ? 1 : 0; }

extern "C" const char* velto_find_gpu(void) {
    ggml_backend_load_all_from_path(toUtf8(exeDirectory()).c_str());
    loadGpuBackends();
    static char found[128] = "";
    ggml_backend_dev_t device = firstGpuDevice();
    const char* description = device != nullptr ? ggml_backend_dev_description(device) : nullptr;
    std::snprintf(found, sizeof found, "%s", description != nullptr ? description : "");
    return found;
}

extern "C" const char* velto_last_error(void) { return lastError; }

extern "C" void velto_set_log_callback(VeltoLogFn sink) {
    logSink = sink;
    whisper_log_set(veltoForwardLog, nullptr);
    ggml_log_set(veltoForwardLog, nullptr);
}
