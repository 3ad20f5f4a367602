#pragma once
// Which files of a repository on the Hugging Face hub make a whisper
// checkpoint the converter reads, decided from the repository's file list
// (the hub's answer to listingUrl) before anything is downloaded: config.json,
// vocab.json and the safetensors weights, one file or the index and all its
// shards, every one at the one commit the listing names. A repository that
// cannot give a model is refused here, with what is wrong. Pure.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct HubFile {
    std::string name;           // the file's name in the repository and in the download folder
    std::uint64_t size = 0;     // bytes
    std::string sha256;         // lowercase hex, for files the hub stores apart (the large ones); else ""
    bool operator==(const HubFile&) const = default;
};

enum class PlanProblem {
    None,
    NotAListing,   // the answer is not the hub's file list
    OnlyPytorch,   // pytorch_model.bin and no safetensors: that format can run code when read
    NoWeights,     // no model.safetensors, nor an index with its shards
    NoConfig,      // no config.json
    NoVocabulary,  // no vocab.json
    UnsafeName,    // a file to fetch whose name would leave the download folder
    ShardMissing,  // the weights come in shards and one of them is not listed
};

struct DownloadPlan {
    PlanProblem problem = PlanProblem::None;
    std::string detail;          // the file concerned, when there is one
    std::string commit;          // 40 hex digits: every file is fetched at it
    std::vector<HubFile> files;  // config.json, vocab.json, then the weights
    std::uint64_t totalBytes() const;
};

// "owner/name" as the hub writes repository names: letters, digits, "-",
// "_" and "."; neither part empty, "." or "..", nor longer than 96.
bool isRepositoryId(std::string_view id);
// A name that stays inside the folder it is joined to: relative, no ".."
// or "." part, no empty part, no backslash, colon or control character.
bool isSafeFileName(std::string_view name);

// An address the download may use as the hub: https, or plain http to this
// computer (127.0.0.0/8, localhost, [::1]), which a test's local hub is.
bool isAllowedHubAddress(std::string_view hub);

// {hub}/api/models/{repo}/revision/{revision}?blobs=true; the revision
// percent-encoded (a branch may hold "/").
std::string listingUrl(std::string_view hub, std::string_view repo, std::string_view revision);
// {hub}/{repo}/resolve/{commit}/{name}, each part of the name percent-encoded.
std::string fileUrl(std::string_view hub, std::string_view repo, std::string_view commit, std::string_view name);

// The plan from the listing's JSON.
DownloadPlan planDownload(std::string_view listingJson);

// The shards an index (model.safetensors.index.json) names are all in the
// plan; "" or the first that is not.
std::string shardNotInPlan(const DownloadPlan& plan, std::string_view indexJson);
