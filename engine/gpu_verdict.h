#pragma once
// Whether the graphics card may recognise, as a check in a process of its own
// found it: a driver that crashes takes only that process down. The verdict
// is kept in a file beside the settings with the fingerprint of what it was
// found for (driver, backend libraries, model), so the check runs again only
// when one of those changes. Pure: texts in, texts out.

#include <cstdint>
#include <optional>
#include <string>

enum class GpuState : std::int32_t {
    Usable = 0,    // recognised, and as the processor does
    Unusable = 1,  // crashed, failed, hung or recognised otherwise: the processor recognises
    NoDevice = 2,  // no graphics card the library can use: the processor recognises
};

struct GpuVerdict {
    std::string fingerprint;   // what was checked
    GpuState state = GpuState::NoDevice;
    std::wstring device;       // the card's name; empty without one
    std::wstring reason;       // why it is unusable or missing (Uzbek); empty when usable
    std::int64_t milliseconds = 0;  // the check's recognition on the card
    bool operator==(const GpuVerdict&) const = default;
};

// How the check's process ended, and the report it wrote ("" when none).
struct GpuCheckRun {
    enum class End { Exited, Crashed, TimedOut, NotStarted };
    End end = End::NotStarted;
    std::uint32_t exitCode = 0;
    std::wstring report;
};

// The check's process: exit codes and the report's keys.
inline constexpr std::uint32_t kGpuCheckPassed = 0;
inline constexpr std::uint32_t kGpuCheckFailed = 2;    // the report's "error" says why
inline constexpr std::uint32_t kGpuCheckNoDevice = 3;
inline constexpr int kGpuCheckLimitSeconds = 30;

inline constexpr wchar_t kGpuVerdictFileName[] = L"gpu-check.ini";
inline constexpr wchar_t kGpuUnusableBalloonTitle[] = L"Videokarta ishlamadi";
inline constexpr wchar_t kGpuUnusableBalloonText[] =
    L"Matn protsessorda o'giriladi. Sababi sozlamalar oynasida ko'rsatilgan.";

// The report the check's process writes: its findings, one per line.
struct GpuCheckReport {
    std::wstring device;
    std::int64_t milliseconds = 0;
    std::string gpuText;  // the warm-up second recognised on the card (UTF-8)
    std::string cpuText;  // and on the processor
    std::wstring error;
};
std::wstring composeGpuCheckReport(const GpuCheckReport& report);
GpuCheckReport parseGpuCheckReport(const std::wstring& text);

// The verdict on a finished check: crashes, hangs, failures and a text
// other than the processor's make the card unusable.
GpuVerdict judgeGpuCheck(const GpuCheckRun& run, const std::string& fingerprint);

std::wstring composeGpuVerdict(const GpuVerdict& verdict);
// nullopt for a file that is not a verdict (the check then runs again).
std::optional<GpuVerdict> parseGpuVerdict(const std::wstring& text);

// The settings window's line on the device that recognises: the card's name,
// "Protsessor", or "Videokarta: ishlamadi (<reason>)" and the processor.
// useGpu: the user's choice; verdict: none before the first check.
std::wstring recognitionDeviceText(bool useGpu, const std::optional<GpuVerdict>& verdict);
