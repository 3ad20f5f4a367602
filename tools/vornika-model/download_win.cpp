#include "tools/vornika-model/download.h"

#include <chrono>
#include <cstdio>

#include "diag/folders.h"
#include "model/checkpoint_convert.h"
#include "model/checkpoint_download.h"
#include "model/hub_transfer_win.h"
#include "model/model_output.h"
#include "tools/common/console.h"

namespace fs = std::filesystem;

namespace {

constexpr char kDefaultHub[] = "https://huggingface.co";

int usage() {
    std::fputs("usage: vornika-model download REPO_ID OUT.bin [--revision REV] [--type q8_0|q5_0|f16]\n"
               "                              [--hub URL] [--keep-checkpoint DIR]\n",
               stderr);
    return kConvertBadInput;
}

int exitCodeOf(DownloadResult result) {
    switch (result) {
    case DownloadResult::Done: return 0;
    case DownloadResult::Stopped: return kConvertStopped;
    case DownloadResult::NoSpace:
    case DownloadResult::CannotWrite: return kConvertCannotWrite;
    case DownloadResult::NoNetwork:
    case DownloadResult::Stalled:
    case DownloadResult::RateLimited:
    case DownloadResult::HubFailed: return kDownloadNetworkFailed;
    case DownloadResult::Refused:
    case DownloadResult::NotFound:
    case DownloadResult::Gated:
    case DownloadResult::ChecksumMismatch: break;
    }
    return kConvertBadInput;
}

const char* explanation(DownloadResult result) {
    switch (result) {
    case DownloadResult::Refused: return "the repository cannot give a whisper model";
    case DownloadResult::NoNetwork: return "no answer from the hub (no network, or the address is blocked)";
    case DownloadResult::Stalled: return "the download stopped coming part-way (a storage host blocked?); run again to resume";
    case DownloadResult::NotFound: return "no such repository, revision or file";
    case DownloadResult::Gated: return "the repository is gated or private: its page asks for permission, which this tool does not handle";
    case DownloadResult::RateLimited: return "the hub asked to wait too often; run again later to resume";
    case DownloadResult::ChecksumMismatch: return "a file did not match its size or sha256, twice";
    case DownloadResult::NoSpace: return "not enough free space for the files and the model";
    case DownloadResult::CannotWrite: return "cannot write the download folder";
    case DownloadResult::HubFailed: return "the hub answered with an error; run again to resume";
    case DownloadResult::Stopped:
    case DownloadResult::Done: break;
    }
    return "";
}

// "12.3 of 500.0 MB, 8.1 MB/s, 1:02 left", redrawn in place on a terminal and
// written at every tenth otherwise.
std::function<void(const DownloadProgress&)> progressLine() {
    const bool terminal = stderrIsTerminal();
    const auto start = std::chrono::steady_clock::now();
    return [terminal, start, firstDone = std::uint64_t{0}, started = false, lastTenth = -1](const DownloadProgress& p) mutable {
        if (p.total == 0) return;
        if (!started) {
            started = true;
            firstDone = p.done;  // what an earlier run left
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double speed = seconds > 0.5 ? static_cast<double>(p.done - firstDone) / seconds : 0.0;
        const int tenth = static_cast<int>(p.done * 10 / p.total);
        if (!terminal && tenth == lastTenth) return;
        lastTenth = tenth;
        const double left = speed > 0 ? static_cast<double>(p.total - p.done) / speed : 0.0;
        std::fprintf(stderr, "%sdownloading: %.1f of %.1f MB, %.1f MB/s, %d:%02d left%s", terminal ? "\r" : "",
                     static_cast<double>(p.done) / 1e6, static_cast<double>(p.total) / 1e6, speed / 1e6,
                     static_cast<int>(left) / 60, static_cast<int>(left) % 60, terminal ? "   " : "\n");
    };
}

}  // namespace

int downloadCommand(const std::vector<std::string>& args) {
    std::vector<std::string> positional;
    CheckpointDownload download{kDefaultHub, "", "main", {}, 0.6};
    WeightType type = WeightType::Q8_0;
    std::string keep;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const bool valued = i + 1 < args.size();
        if (args[i] == "--revision" && valued) download.revision = args[++i];
        else if (args[i] == "--hub" && valued) download.hub = args[++i];
        else if (args[i] == "--keep-checkpoint" && valued) keep = args[++i];
        else if (args[i] == "--type" && valued) {
            if (!parseWeightType(args[++i], type)) {
                std::fprintf(stderr, "unknown type %s (q8_0, q5_0 or f16)\n", args[i].c_str());
                return kConvertBadInput;
            }
        } else positional.push_back(args[i]);
    }
    if (positional.size() != 2) return usage();
    download.repo = positional[0];
    if (!isRepositoryId(download.repo)) {
        std::fprintf(stderr, "%s: not a repository name (owner/name)\n", download.repo.c_str());
        return kConvertBadInput;
    }
    if (!isAllowedHubAddress(download.hub)) {
        std::fprintf(stderr, "%s: the hub must be an https address\n", download.hub.c_str());
        return kConvertBadInput;
    }
    download.folder = keep.empty() ? downloadFolderFor(fs::path(localAppFolder()) / L"downloads", download.repo)
                                   : pathOf(keep);

    WinHttpSource source([] { return interruptRequested(); });
    const DownloadOutcome outcome = downloadCheckpoint(
        download, source, [](const fs::path& path) { return std::make_unique<WindowsPartFile>(path); },
        [](const fs::path& where) -> std::optional<std::uint64_t> {
            std::error_code error;
            const fs::space_info space = fs::space(where, error);
            if (error) return std::nullopt;
            return space.available;
        },
        progressLine());
    if (stderrIsTerminal()) std::fputc('\n', stderr);
    if (outcome.result == DownloadResult::Stopped) {
        std::fputs("stopped: the files fetched so far are kept; the same command resumes\n", stderr);
        return kConvertStopped;
    }
    if (outcome.result != DownloadResult::Done) {
        std::fprintf(stderr, "%s: %s (%s)\n", download.repo.c_str(), explanation(outcome.result), outcome.detail.c_str());
        return exitCodeOf(outcome.result);
    }
    if (outcome.fetchedTwice > 0)
        std::fprintf(stderr, "%llu bytes were fetched twice (a range was not honoured)\n",
                     static_cast<unsigned long long>(outcome.fetchedTwice));

    const ConvertOutcome converted = convertCheckpoint(utf8Of(download.folder), positional[1], type, [](double) {
        return !interruptRequested();
    });
    if (converted.exitCode != 0) {
        if (converted.exitCode != kConvertStopped) std::fprintf(stderr, "%s\n", converted.error.c_str());
        return converted.exitCode;
    }
    // The checkpoint served its purpose unless the user asked to keep it.
    if (keep.empty()) {
        std::error_code error;
        fs::remove_all(download.folder, error);
    }
    return 0;
}
