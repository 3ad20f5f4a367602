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
    TimedOut = 3,  // the check ran out of time: no verdict yet, the next start checks again
};

struct GpuVerdict {
    std::string fingerprint;   // what was checked
    GpuState state = GpuState::NoDevice;
    std::wstring device;       // the card's name; empty without one
    std::wstring reason;       // why it is unusable or missing (Uzbek); empty when usable
    std::int64_t milliseconds = 0;  // the check's recognition on the card
    int timeoutsInARow = 0;         // checks of this fingerprint that ran out of time, one after another
    bool operator==(const GpuVerdict&) const = default;
};

// The least time the check is given; a larger model gets more (gpuCheckLimitSeconds).
inline constexpr int kGpuCheckLimitSeconds = 30;
// Checks that run out of time, one after another, before the card counts as unusable.
inline constexpr int kGpuTimeoutsBeforeUnusable = 3;

// How the check's process ended, and the report it wrote ("" when none).
struct GpuCheckRun {
    enum class End { Exited, Crashed, TimedOut, NotStarted };
    End end = End::NotStarted;
    std::uint32_t exitCode = 0;
    std::wstring report;
    int limitSeconds = kGpuCheckLimitSeconds;  // what TimedOut waited
};

// The check's process: exit codes and the report's keys.
inline constexpr std::uint32_t kGpuCheckPassed = 0;
inline constexpr std::uint32_t kGpuCheckFailed = 2;    // the report's "error" says why
inline constexpr std::uint32_t kGpuCheckNoDevice = 3;

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

// The check's time for a model file of that size: loading it and building
// the card's shaders grow with it, on a slow laptop most of all.
int gpuCheckLimitSeconds(std::uint64_t modelBytes);

// The verdict on a finished check: crashes, failures and a text other than
// the processor's make the card unusable; running out of time is TimedOut.
GpuVerdict judgeGpuCheck(const GpuCheckRun& run, const std::string& fingerprint);

// What is kept after a check judged so, with what was kept before: a
// TimedOut after the same fingerprint's TimedOut counts one more in a row,
// and the kGpuTimeoutsBeforeUnusable-th makes the card unusable.
GpuVerdict verdictToKeep(const std::optional<GpuVerdict>& kept, GpuVerdict judged);

std::wstring composeGpuVerdict(const GpuVerdict& verdict);
// nullopt for a file that is not a verdict (the check then runs again).
std::optional<GpuVerdict> parseGpuVerdict(const std::wstring& text);

// The settings window's line on the device that recognises: the card's name,
// "Protsessor", or "Videokarta: ishlamadi (<reason>)" and the processor.
// useGpu: the user's choice; verdict: none before the first check.
std::wstring recognitionDeviceText(bool useGpu, const std::optional<GpuVerdict>& verdict);
