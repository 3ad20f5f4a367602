#pragma once
// The program's check of the graphics card, kept between runs. Before the
// first load of a model on the card, and after the driver, the backend
// libraries or the model changed, the program runs itself with --gpu-check
// (engine/gpu_check_child.h) and judges how that process ended: a driver
// that crashes or hangs takes only that process down, and the model then
// loads on the processor. The verdict goes to gpu-check.ini in the settings
// folder with the fingerprint it was found for, so a normal start starts no
// process. A check that runs out of time is no verdict: that run loads on
// the processor and the next start checks again, until the third such
// check in a row. The service's worker asks (allowed); any thread may read
// or forget the verdict.

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include <windows.h>

#include "diag/scoped_win.h"
#include "engine/gpu_verdict.h"

class GpuCheck {
public:
    // judged: a check has just run (on the worker), with what is kept of
    // it; also for a verdict that lets the card be used, and a time-out.
    explicit GpuCheck(std::function<void(const GpuVerdict&)> judged = {});

    // The service's gate: whether the model may load on the card now. After
    // a check ran out of time, false for the rest of the run, unchecked.
    bool allowed(const std::wstring& modelPath, const std::string& enginePath);
    // Quitting: a check running now is ended at once and judges nothing
    // (the model then loads nowhere the user waits for). Any thread.
    void abandon();

    // The verdict kept in the settings folder; none before the first check.
    static std::optional<GpuVerdict> keptVerdict();
    // The next load on the card checks it again.
    static void forget();

private:
    std::function<void(const GpuVerdict&)> judged;
    std::atomic<bool> timedOutThisRun{false};
    UniqueHandle abandoned;  // a manual-reset event, set by abandon()
};

// What the card's verdict depends on: the model file, the program's whisper
// and ggml libraries, the graphics backend, the Vulkan loader and the display
// drivers (names and versions), as one line.
std::string gpuFingerprint(const std::wstring& modelPath);

// Runs this program with --gpu-check on the model and waits for it, up to
// the limit or until the event is set (then it is ended; with the event,
// nullopt).
std::optional<GpuCheckRun> runGpuCheckProcess(const std::string& enginePath, std::chrono::seconds limit, HANDLE abandoned);

// Set before any graphics backend loads, in this process and so in the
// check's: the Vulkan loader then leaves out the implicit layers other
// programs install (overlays of games and screen recorders), which crash in
// drivers of their own accord.
void keepOutImplicitVulkanLayers();
