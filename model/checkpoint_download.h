#pragma once
// A checkpoint fetched from the hub into a folder of its own, resumable
// after a stop, a failure or a restart of the program or the computer: the
// folder keeps the hub's file list (so every file comes from the commit the
// first run pinned), each file's part while it comes, and each file under
// its own name once it is checked. The converter reads the folder when all
// is there. Portable: the transport and the part files' hashing are given.
// Runs on the caller's thread.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "model/download_file.h"
#include "model/download_plan.h"

enum class DownloadResult {
    Done,
    Stopped,           // the partial files stay: the same download resumes
    Refused,           // the repository cannot give a model (plan.problem says why)
    NoNetwork,         // no answer at all
    Stalled,           // a storage host stopped sending part-way
    NotFound,
    Gated,
    RateLimited,
    ChecksumMismatch,
    NoSpace,           // not enough free space for the files and the model made of them
    CannotWrite,
    HubFailed,
};

struct CheckpointDownload {
    std::string hub;          // "https://huggingface.co" or a mirror
    std::string repo;         // "owner/name"
    std::string revision = "main";
    std::filesystem::path folder;  // the download's own folder
    // The converted model's size as a share of the files' (checked for with them).
    double modelShare = 0;
};

struct DownloadOutcome {
    DownloadResult result = DownloadResult::Done;
    PlanProblem problem = PlanProblem::None;  // with Refused
    std::string detail;                       // English, for the log and the tool
    std::uint64_t fetchedTwice = 0;
};

struct DownloadProgress {
    std::uint64_t done = 0;   // bytes of the plan's files that are there
    std::uint64_t total = 0;  // 0 until the file list is in
};

// The part file for a path (created when first written).
using PartStoreMaker = std::function<std::unique_ptr<PartStore>(const std::filesystem::path&)>;
// Free bytes where a path is; empty when it cannot be told.
using FreeSpace = std::function<std::optional<std::uint64_t>(const std::filesystem::path&)>;

// The folder of a repository's download under the downloads folder.
std::filesystem::path downloadFolderFor(const std::filesystem::path& downloads, const std::string& repo);
// The result of fetching one file as the whole download's.
DownloadResult downloadResultOf(FileResult result);

DownloadOutcome downloadCheckpoint(const CheckpointDownload& download, HttpSource& source,
                                   const PartStoreMaker& makePart, const FreeSpace& freeSpace,
                                   const std::function<void(const DownloadProgress&)>& onProgress = {});
