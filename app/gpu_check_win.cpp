#include "app/gpu_check_win.h"

#include <cstdio>
#include <utility>

#include <windows.h>

#include "diag/encoding.h"
#include "diag/folders.h"
#include "diag/log.h"
#include "diag/log_io.h"
#include "diag/scoped_win.h"
#include "settings/settings_io.h"

namespace {

std::wstring verdictPath() {
    const std::wstring folder = roamingAppFolder();
    return folder.empty() ? std::wstring() : folder + kPathSeparator + kGpuVerdictFileName;
}

// A file's size and last write, or "-" when it is not there.
std::wstring stampOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return L"-";
    wchar_t text[64];
    std::swprintf(text, 64, L"%lu.%lu@%lu.%lu", data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime.dwHighDateTime,
                  data.ftLastWriteTime.dwLowDateTime);
    return text;
}

std::wstring registryText(HKEY key, const wchar_t* name) {
    wchar_t value[256] = {};
    DWORD size = sizeof(value) - sizeof(wchar_t);
    if (RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) return L"";
    return value;
}

// The display drivers installed: each adapter's description and driver version.
std::wstring displayDrivers() {
    constexpr wchar_t kDisplayClass[] =
        L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}";
    std::wstring drivers;
    for (int i = 0; i < 16; ++i) {
        wchar_t number[8];
        std::swprintf(number, 8, L"\\%04d", i);
        const std::wstring name = kDisplayClass + std::wstring(number);
        HKEY raw = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, name.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) continue;
        const UniqueRegistryKey key(raw);
        drivers += registryText(key.get(), L"DriverDesc") + L" " + registryText(key.get(), L"DriverVersion") + L";";
    }
    DISPLAY_DEVICEW device{};
    device.cb = sizeof(device);
    for (DWORD i = 0; EnumDisplayDevicesW(nullptr, i, &device, 0); ++i) drivers += std::wstring(device.DeviceString) + L";";
    return drivers;
}

std::wstring systemFolder() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

std::wstring quotedArgument(const std::wstring& argument) { return L"\"" + argument + L"\""; }

}  // namespace

void keepOutImplicitVulkanLayers() { SetEnvironmentVariableW(L"VK_LOADER_LAYERS_DISABLE", L"~implicit~"); }

std::string gpuFingerprint(const std::wstring& modelPath) {
    const std::wstring dir = exeDirectory() + kPathSeparator;
    std::wstring text = L"model " + modelPath + L" " + stampOf(modelPath);
    for (const wchar_t* file : {L"whisper.dll", L"ggml.dll", L"ggml-base.dll", L"gpu\\ggml-vulkan.dll"})
        text += L" | " + std::wstring(file) + L" " + stampOf(dir + file);
    text += L" | vulkan-1.dll " + stampOf(systemFolder() + L"\\vulkan-1.dll");
    text += L" | " + displayDrivers();
    return toUtf8(text);
}

std::optional<GpuCheckRun> runGpuCheckProcess(const std::string& enginePath, std::chrono::seconds limit, HANDLE abandoned) {
    GpuCheckRun run;
    const std::wstring report = localAppFolder() + kPathSeparator + L"gpu-check-report.txt";
    DeleteFileW(report.c_str());
    std::wstring commandLine =
        quotedArgument(exePath()) + L" --gpu-check " + quotedArgument(fromUtf8(enginePath)) + L" " + quotedArgument(report);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(exePath().c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process)) {
        logLine(L"XATO: videokarta tekshiruvi ishga tushmadi (" + std::to_wstring(GetLastError()) + L")");
        return run;
    }
    const UniqueHandle processHandle(process.hProcess);
    const UniqueHandle threadHandle(process.hThread);
    const auto milliseconds = static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(limit).count());
    const HANDLE waitFor[] = {process.hProcess, abandoned};
    const DWORD woken = WaitForMultipleObjects(abandoned != nullptr ? 2 : 1, waitFor, FALSE, milliseconds);
    if (woken != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
        if (woken == WAIT_OBJECT_0 + 1) return std::nullopt;
        run.end = GpuCheckRun::End::TimedOut;
        return run;
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    run.exitCode = exitCode;
    // Exception codes (access violations and the like) have both top bits set.
    run.end = (exitCode & 0xC0000000u) == 0xC0000000u ? GpuCheckRun::End::Crashed : GpuCheckRun::End::Exited;
    if (const std::optional<std::string> bytes = readSharedFile(report)) run.report = fromUtf8(*bytes);
    DeleteFileW(report.c_str());
    return run;
}

GpuCheck::GpuCheck(std::function<void(const GpuVerdict&)> onJudged)
    : judged(std::move(onJudged)), abandoned(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

void GpuCheck::abandon() {
    if (abandoned) SetEvent(abandoned.get());
}

std::optional<GpuVerdict> GpuCheck::keptVerdict() {
    const std::wstring path = verdictPath();
    if (path.empty()) return std::nullopt;
    const std::optional<std::string> bytes = readSharedFile(path);
    if (!bytes) return std::nullopt;
    return parseGpuVerdict(fromUtf8(*bytes));
}

void GpuCheck::forget() {
    const std::wstring path = verdictPath();
    if (!path.empty()) DeleteFileW(path.c_str());
}

bool GpuCheck::allowed(const std::wstring& modelPath, const std::string& enginePath) {
    if (timedOutThisRun) return false;
    const std::string fingerprint = gpuFingerprint(modelPath);
    const std::optional<GpuVerdict> kept = keptVerdict();
    if (kept && kept->fingerprint == fingerprint && kept->state != GpuState::TimedOut)
        return kept->state == GpuState::Usable;
    const int limitSeconds = gpuCheckLimitSeconds(fileSize(modelPath).value_or(0));
    logLine(L"videokarta tekshirilmoqda (alohida jarayonda)");
    const auto start = std::chrono::steady_clock::now();
    std::optional<GpuCheckRun> run = runGpuCheckProcess(enginePath, std::chrono::seconds(limitSeconds), abandoned.get());
    if (!run) {
        logLine(L"videokarta tekshiruvi to'xtatildi (dastur yopilmoqda)");
        return false;
    }
    run->limitSeconds = limitSeconds;
    const GpuVerdict verdict = verdictToKeep(kept, judgeGpuCheck(*run, fingerprint));
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    switch (verdict.state) {
    case GpuState::Usable:
        logLine(L"videokarta tekshiruvi: " + verdict.device + L", o'girish " + std::to_wstring(verdict.milliseconds) +
                L" ms (tekshiruv " + std::to_wstring(elapsed) + L" ms)");
        break;
    case GpuState::NoDevice:
        logLine(L"videokarta tekshiruvi: videokarta topilmadi (" + verdict.reason + L"; tekshiruv " +
                std::to_wstring(elapsed) + L" ms)");
        break;
    case GpuState::TimedOut:
        timedOutThisRun = true;
        logLine(L"videokarta tekshiruvi ulgurmadi (" + verdict.reason + L", ketma-ket " +
                std::to_wstring(verdict.timeoutsInARow) + L"-marta) \u2014 bu safar model protsessorda yuklanadi, "
                L"keyingi ishga tushishda yana tekshiriladi");
        break;
    case GpuState::Unusable:
        logLine(L"XATO: videokarta tekshiruvi: ishlamadi (" + verdict.reason + L") \u2014 model protsessorda yuklanadi");
        break;
    }
    const std::wstring path = verdictPath();
    if (path.empty() || !replaceFile(path, toUtf8(composeGpuVerdict(verdict))))
        logLine(L"XATO: videokarta tekshiruvi natijasi saqlanmadi");
    if (judged) judged(verdict);
    return verdict.state == GpuState::Usable;
}
