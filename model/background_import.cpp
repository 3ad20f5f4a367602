#include "model/background_import.h"

#include "model/model_import.h"

BackgroundImport::~BackgroundImport() {
    stop();
    const std::lock_guard<std::mutex> lock(mutex);
    if (worker.joinable()) worker.join();
}

bool BackgroundImport::start(std::string chosen, std::string target, Progress progress, Done done) {
    const std::lock_guard<std::mutex> lock(mutex);
    if (busy) return false;
    if (worker.joinable()) worker.join();  // finished: its last callback has returned
    busy = true;
    stopRequested = false;
    worker = std::thread([this, chosen = std::move(chosen), target = std::move(target), progress = std::move(progress),
                          done = std::move(done)] {
        int shown = -1;
        const ConvertOutcome outcome = importModel(chosen, target, [&](double share) {
            const int percent = static_cast<int>(share * 100.0);
            if (percent != shown && progress) progress(shown = percent);
            return !stopRequested.load();
        });
        busy = false;
        if (done) done(outcome);
    });
    return true;
}
