#include "engine/gpu_check_child.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "diag/encoding.h"
#include "engine/gpu_verdict.h"
#include "engine/recognition_threads.h"
#include "engine/transcription_service.h"
#include "engine/velto.h"

namespace {

bool writeReport(const std::wstring& path, const GpuCheckReport& report) {
    std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    file << toUtf8(composeGpuCheckReport(report));
    return static_cast<bool>(file);
}

// The warm-up second's text on the loaded model; nullopt on failure.
std::optional<std::string> recogniseWarmUp() {
    const std::vector<float> second = warmUpSecond();
    char* text = velto_transcribe(second.data(), static_cast<int>(second.size()), recognitionThreads());
    if (text == nullptr) return std::nullopt;
    std::string copy = text;
    velto_free_text(text);
    return copy;
}

}  // namespace

int runGpuCheck(const std::string& asciiModelPath, const std::wstring& reportPath) {
    if (std::getenv(kGpuCheckHangVariable) != nullptr) {
        for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
    }
    GpuCheckReport report;
    const auto failed = [&](const std::string& what) {
        report.error = fromUtf8(what + ": " + velto_last_error());
        writeReport(reportPath, report);
        return static_cast<int>(kGpuCheckFailed);
    };
    // Looking at the devices is where a broken driver or layer crashes first.
    if (fromUtf8(velto_find_gpu()).empty()) {
        report.error = velto_has_gpu_backend() != 0 ? L"Vulkan: mos qurilma yo'q" : L"Vulkan kutubxonasi yuklanmadi";
        writeReport(reportPath, report);
        return static_cast<int>(kGpuCheckNoDevice);
    }
    if (velto_load(asciiModelPath.c_str(), 1) != 0) return failed("yuklanmadi");
    report.device = fromUtf8(velto_device());
    recogniseWarmUp();  // the first recognition pays the card's one-time costs
    const auto start = std::chrono::steady_clock::now();
    const std::optional<std::string> onCard = recogniseWarmUp();
    report.milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    if (!onCard) return failed("videokartada o'girilmadi");
    report.gpuText = *onCard;
    velto_unload();
    if (velto_load(asciiModelPath.c_str(), 0) != 0) return failed("protsessorda yuklanmadi");
    const std::optional<std::string> onProcessor = recogniseWarmUp();
    velto_unload();
    if (!onProcessor) return failed("protsessorda o'girilmadi");
    report.cpuText = *onProcessor;
    return writeReport(reportPath, report) ? static_cast<int>(kGpuCheckPassed) : static_cast<int>(kGpuCheckFailed);
}
