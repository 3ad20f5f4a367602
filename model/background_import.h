#pragma once
// One model import at a time on a thread of its own, so the window that
// started it stays usable. Any thread may start, stop or ask; the callbacks
// run on the import's thread, without any lock of this class.

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "model/model_output.h"

class BackgroundImport {
public:
    using Progress = std::function<void(int percent)>;  // whenever the whole percent changes
    using Done = std::function<void(const ConvertOutcome&)>;  // once, last

    BackgroundImport() = default;
    // Stops a running import (its part file removed) and waits for it.
    ~BackgroundImport();
    BackgroundImport(const BackgroundImport&) = delete;
    BackgroundImport& operator=(const BackgroundImport&) = delete;

    // Paths in UTF-8 (see importModel). False, and nothing started, while
    // another import runs.
    bool start(std::string chosen, std::string target, Progress progress, Done done);
    // The running import ends with kConvertStopped at its next tensor.
    void stop() { stopRequested = true; }
    bool running() const { return busy; }

private:
    std::mutex mutex;  // start against start
    std::thread worker;
    std::atomic<bool> busy{false};
    std::atomic<bool> stopRequested{false};
};
