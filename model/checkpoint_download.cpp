#include "model/checkpoint_download.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr char kListingFile[] = "listing.json";
// A file list larger than this is no hub's answer.
constexpr std::size_t kLargestListing = 16 * 1024 * 1024;

std::optional<std::string> readWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool writeWhole(const fs::path& path, const std::string& bytes) {
    const fs::path part = fs::path(path) += ".part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !out.flush()) return false;
    }
    std::error_code error;
    fs::rename(part, path, error);
    return !error;
}

std::uint64_t sizeOf(const fs::path& path) {
    std::error_code error;
    const auto size = fs::file_size(path, error);
    return error ? 0 : size;
}

// A plan file's bytes in the folder: all of it once checked and renamed,
// else what its part file holds.
std::uint64_t bytesThere(const fs::path& folder, const HubFile& file) {
    const fs::path done = folder / file.name;
    return sizeOf(done) == file.size ? file.size : std::min(sizeOf(fs::path(done) += ".part"), file.size);
}

DownloadOutcome failed(DownloadResult result, std::string detail, std::uint64_t fetchedTwice = 0) {
    return {result, PlanProblem::None, std::move(detail), fetchedTwice};
}

DownloadOutcome refused(const DownloadPlan& plan) {
    return {DownloadResult::Refused, plan.problem, plan.detail, 0};
}

// The hub's file list, asked again after a cut, a server error or a rate
// limit, as a file is.
DownloadOutcome fetchListing(const CheckpointDownload& download, HttpSource& source, std::string& listing) {
    int attempts = 0, waits = 0;
    while (true) {
        HttpReply reply;
        listing.clear();
        const BodyEnd end = source.get(
            listingUrl(download.hub, download.repo, download.revision), 0, reply,
            [](const HttpReply& answer) { return answer.status == 200; },
            [&](std::string_view bytes) {
                listing += bytes;
                return listing.size() <= kLargestListing;
            });
        if (end == BodyEnd::Stopped && listing.size() <= kLargestListing) return failed(DownloadResult::Stopped, {});
        if (reply.status == 200 && end == BodyEnd::Complete) return {};
        const std::string what = download.repo + ": HTTP " + std::to_string(reply.status) + " " + reply.errorCode;
        switch (reply.status) {
        case 200:
            if (listing.size() > kLargestListing) return failed(DownloadResult::HubFailed, download.repo + ": list too long");
            break;
        case 401:
            return failed(downloadResultOf(unauthorisedResult(reply.errorCode)), what);
        case 404:
            return failed(DownloadResult::NotFound, what);
        case 429:
            if (++waits > kRateLimitWaits) return failed(DownloadResult::RateLimited, what);
            if (!source.wait(rateLimitSeconds(reply.rateLimit))) return failed(DownloadResult::Stopped, {});
            continue;
        default:
            if (reply.status != 0 && reply.status < 500) return failed(DownloadResult::HubFailed, what);
        }
        if (++attempts >= kAttemptsWithoutProgress)
            return failed(reply.status == 0 ? DownloadResult::NoNetwork : DownloadResult::HubFailed, what);
    }
}

}  // namespace

fs::path downloadFolderFor(const fs::path& downloads, const std::string& repo) {
    std::string name = repo;
    if (const std::size_t slash = name.find('/'); slash != std::string::npos) name.replace(slash, 1, "--");
    return downloads / name;
}

DownloadResult downloadResultOf(FileResult result) {
    switch (result) {
    case FileResult::Done: return DownloadResult::Done;
    case FileResult::Stopped: return DownloadResult::Stopped;
    case FileResult::NoNetwork: return DownloadResult::NoNetwork;
    case FileResult::Stalled: return DownloadResult::Stalled;
    case FileResult::NotFound: return DownloadResult::NotFound;
    case FileResult::Gated: return DownloadResult::Gated;
    case FileResult::ChecksumMismatch: return DownloadResult::ChecksumMismatch;
    case FileResult::CannotWrite: return DownloadResult::CannotWrite;
    case FileResult::RateLimited: return DownloadResult::RateLimited;
    case FileResult::HubFailed: break;
    }
    return DownloadResult::HubFailed;
}

DownloadOutcome downloadCheckpoint(const CheckpointDownload& download, HttpSource& source,
                                   const PartStoreMaker& makePart, const FreeSpace& freeSpace,
                                   const std::function<void(const DownloadProgress&)>& onProgress) {
    std::error_code error;
    fs::create_directories(download.folder, error);
    if (error) return failed(DownloadResult::CannotWrite, download.folder.string());

    // An earlier run's list pins the commit its files came from.
    const fs::path listingPath = download.folder / kListingFile;
    std::string listing = readWhole(listingPath).value_or("");
    DownloadPlan plan = planDownload(listing);
    if (plan.problem != PlanProblem::None) {
        if (DownloadOutcome asked = fetchListing(download, source, listing); asked.result != DownloadResult::Done)
            return asked;
        plan = planDownload(listing);
        if (plan.problem != PlanProblem::None) return refused(plan);
        if (!writeWhole(listingPath, listing)) return failed(DownloadResult::CannotWrite, listingPath.string());
    }

    // What is there already: checked files under their names, parts beside them.
    DownloadProgress progress{0, plan.totalBytes()};
    std::vector<std::uint64_t> there;  // each file's bytes, in plan order
    for (const HubFile& file : plan.files) {
        there.push_back(bytesThere(download.folder, file));
        progress.done += there.back();
    }
    if (freeSpace) {
        const std::optional<std::uint64_t> free = freeSpace(download.folder);
        const auto model = static_cast<std::uint64_t>(static_cast<double>(progress.total) * download.modelShare);
        if (free && *free < progress.total - progress.done + model)
            return failed(DownloadResult::NoSpace, download.folder.string() + ": " + std::to_string(*free) + " bytes free");
    }
    if (onProgress) onProgress(progress);

    std::uint64_t fetchedTwice = 0;
    for (std::size_t i = 0; i < plan.files.size(); ++i) {
        const HubFile& file = plan.files[i];
        const fs::path done = download.folder / file.name;
        if (sizeOf(done) != file.size) {
            const fs::path partPath = fs::path(done) += ".part";
            fs::create_directories(done.parent_path(), error);
            std::unique_ptr<PartStore> part = makePart(partPath);
            const std::uint64_t others = progress.done - there[i];  // what the other files have
            const FileOutcome outcome =
                downloadFile(file, fileUrl(download.hub, download.repo, plan.commit, file.name), source, *part,
                             [&](std::uint64_t bytes) {
                                 progress.done = others + std::min(bytes, file.size);
                                 if (onProgress) onProgress(progress);
                             });
            part.reset();
            fetchedTwice += outcome.fetchedTwice;
            if (outcome.result != FileResult::Done)
                return failed(downloadResultOf(outcome.result), outcome.detail, fetchedTwice);
            fs::rename(partPath, done, error);
            if (error) return failed(DownloadResult::CannotWrite, done.string(), fetchedTwice);
            there[i] = file.size;
            progress.done = others + file.size;
        }
        if (file.name == "model.safetensors.index.json") {
            const std::string stray = shardNotInPlan(plan, readWhole(done).value_or(""));
            if (!stray.empty()) {
                DownloadPlan strayShard = plan;
                strayShard.problem = isSafeFileName(stray) ? PlanProblem::ShardMissing : PlanProblem::UnsafeName;
                strayShard.detail = stray;
                return refused(strayShard);
            }
        }
    }
    return {DownloadResult::Done, PlanProblem::None, {}, fetchedTwice};
}
