// The download against a hub given on the command line (the local one that
// scripts/bench-download starts): speed with every check, peak memory, what
// a cut costs, and how soon a stop ends it.

#include <atomic>
#include <chrono>
#include <thread>

#include <windows.h>
#include <psapi.h>

#include "model/checkpoint_download.h"
#include "model/hub_transfer_win.h"
#include "tools/vornika-bench/bench.h"

namespace fs = std::filesystem;

namespace {

double peakMegabytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

DownloadOutcome fetch(const std::string& hub, const std::string& repo, const fs::path& folder,
                      const std::atomic<bool>& stop, std::uint64_t* total = nullptr) {
    WinHttpSource source([&stop] { return stop.load(); });
    const CheckpointDownload download{hub, repo, "main", folder, 0.0};
    return downloadCheckpoint(
        download, source, [](const fs::path& path) { return std::make_unique<WindowsPartFile>(path); }, {},
        [total](const DownloadProgress& p) {
            if (total != nullptr) *total = p.total;
        });
}

}  // namespace

void benchDownload(const std::string& hub, const std::string& repo, const std::string& cutRepo, int runs) {
    const fs::path folder = fs::temp_directory_path() / "vornika-bench-download";
    std::vector<double> speeds;
    for (int run = 0; run < runs; ++run) {
        fs::remove_all(folder);
        std::atomic<bool> stop{false};
        std::uint64_t total = 0;
        const auto start = std::chrono::steady_clock::now();
        const DownloadOutcome outcome = fetch(hub, repo, folder, stop, &total);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (outcome.result != DownloadResult::Done) {
            std::fprintf(stderr, "download failed: %s\n", outcome.detail.c_str());
            return;
        }
        speeds.push_back(static_cast<double>(total) / 1e6 / seconds);
    }
    figure("download_mb_per_s_median", median(speeds), "MB/s");
    // The check alone, on the file just fetched: how much of the time it takes.
    const fs::path weights = folder / "model.safetensors";
    const auto hashStart = std::chrono::steady_clock::now();
    const std::string digest = WindowsPartFile(weights).sha256();
    const double hashSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - hashStart).count();
    if (digest.empty()) std::fputs("sha256 could not be read\n", stderr);
    figure("download_sha256_mb_per_s", static_cast<double>(fs::file_size(weights)) / 1e6 / hashSeconds, "MB/s");
    figure("download_peak_working_set", peakMegabytes(), "MB");

    // A cut at a random point (the hub's doing), then the resume.
    fs::remove_all(folder);
    std::atomic<bool> never{false};
    const DownloadOutcome cut = fetch(hub, cutRepo, folder, never);
    figure("download_after_cut_done", cut.result == DownloadResult::Done ? 1 : 0, "");
    figure("download_after_cut_fetched_twice_by_ranges", static_cast<double>(cut.fetchedTwice), "bytes");

    // A stop asked half a second into the transfer: how long until it has ended.
    fs::remove_all(folder);
    std::atomic<bool> stop{false};
    std::chrono::steady_clock::time_point asked;
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        asked = std::chrono::steady_clock::now();
        stop = true;
    });
    const DownloadOutcome stopped = fetch(hub, repo, folder, stop);
    const auto ended = std::chrono::steady_clock::now();
    stopper.join();
    figure("download_stop_ms", std::chrono::duration<double, std::milli>(ended - asked).count(), "ms");
    figure("download_stopped", stopped.result == DownloadResult::Stopped ? 1 : 0, "");
    fs::remove_all(folder);
}
