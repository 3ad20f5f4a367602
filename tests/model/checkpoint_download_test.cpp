// A whole checkpoint from a scripted hub into a folder: the file list asked
// once and kept, so a later run resumes at the same commit; a repository
// refused before any of its files is fetched; the hub's answers told apart.

#include "model/checkpoint_download.h"

#include <fstream>
#include <map>

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

const std::string kCommit = "89abcdef0123456789abcdef0123456789abcdef";

// 64 hex digits that differ for different contents, standing in for sha256.
std::string digestOf(const std::string& bytes) {
    std::uint64_t hash = 1469598103934665603ull;
    for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    char hex[17];
    std::snprintf(hex, sizeof(hex), "%016llx", static_cast<unsigned long long>(hash));
    return std::string(hex) + std::string(hex) + std::string(hex) + std::string(hex);
}

class FilePart : public PartStore {
public:
    explicit FilePart(fs::path where) : path(std::move(where)) {}
    std::uint64_t size() override {
        std::error_code error;
        const auto bytes = fs::file_size(path, error);
        return error ? 0 : bytes;
    }
    bool append(std::string_view bytes) override {
        std::ofstream(path, std::ios::binary | std::ios::app).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return true;
    }
    bool clear() override { return std::ofstream(path, std::ios::binary | std::ios::trunc).good(); }
    std::string sha256() override {
        std::ifstream in(path, std::ios::binary);
        return digestOf(std::string(std::istreambuf_iterator<char>(in), {}));
    }
    fs::path path;
};

struct Served {
    int status = 200;
    std::string body = {};
    std::string errorCode = {};
};

// A hub at https://hub whose answers are given by the address's end; it
// stops (as the user's stop would) after `stopAfter` bytes of files.
class ScriptedHub : public HttpSource {
public:
    BodyEnd get(const std::string& url, std::uint64_t from, HttpReply& reply, const std::function<bool(const HttpReply&)>& wanted,
                const std::function<bool(std::string_view)>& piece) override {
        asked.push_back(url.substr(url.find('/', 8)) + (from ? " from " + std::to_string(from) : ""));
        const auto found = std::find_if(answers.begin(), answers.end(), [&](const auto& a) { return url.ends_with(a.first); });
        if (found == answers.end()) {
            reply = {0, "", "", 0};
            return BodyEnd::Cut;
        }
        const Served& served = found->second;
        reply = {from > 0 && served.status == 200 ? 206 : served.status, served.errorCode, "", from};
        if (!wanted(reply)) return BodyEnd::Complete;
        for (std::size_t at = from; at < served.body.size(); ++at) {
            if (url.find("/resolve/") != std::string::npos && sent++ == stopAfter) return BodyEnd::Stopped;
            if (!piece(std::string_view(served.body).substr(at, 1))) return BodyEnd::Stopped;
        }
        return BodyEnd::Complete;
    }
    bool wait(int) override { return true; }

    std::vector<std::pair<std::string, Served>> answers;
    std::vector<std::string> asked;
    std::size_t sent = 0;
    std::size_t stopAfter = SIZE_MAX;
};

std::string entry(const std::string& name, const std::string& content) {
    return R"({"rfilename":")" + name + R"(","size":)" + std::to_string(content.size()) + R"(,"lfs":{"sha256":")" +
           digestOf(content) + R"(","size":)" + std::to_string(content.size()) + "}}";
}

const std::map<std::string, std::string> kFiles = {
    {"config.json", R"({"d_model":384})"},
    {"vocab.json", R"({"a":0})"},
    {"model.safetensors", std::string(300, 'w')},
    {"model.safetensors.index.json", R"({"weight_map":{"t":"model-00001-of-00001.safetensors"}})"},
    {"model-00001-of-00001.safetensors", std::string(200, 's')},
    {"pytorch_model.bin", "pickle"},
};

// A hub serving these files (their contents from kFiles, or as given) and
// their list (or the answer given for it).
ScriptedHub hubWith(const std::vector<std::string>& names, Served listing = {},
                    std::map<std::string, std::string> contents = kFiles) {
    ScriptedHub hub;
    if (listing.body.empty() && listing.status == 200) {
        listing.body = R"({"sha":")" + kCommit + R"(","siblings":[)";
        for (std::size_t i = 0; i < names.size(); ++i) listing.body += (i ? "," : "") + entry(names[i], contents.at(names[i]));
        listing.body += "]}";
    }
    hub.answers.push_back({"/revision/main?blobs=true", listing});
    for (const std::string& name : names) hub.answers.push_back({"/resolve/" + kCommit + "/" + name, {200, contents.at(name)}});
    return hub;
}

}  // namespace

TEST(CheckpointDownload, TheFilesOfOneCommitOrWhyNot) {
    const std::vector<std::string> single = {"config.json", "vocab.json", "model.safetensors"};
    const std::vector<std::string> sharded = {"config.json", "vocab.json", "model.safetensors.index.json",
                                              "model-00001-of-00001.safetensors"};
    const struct {
        const char* story;
        ScriptedHub hub;
        DownloadResult result;
        std::size_t requests;  // the list and each file asked
        std::optional<std::uint64_t> free = std::nullopt;
    } cases[] = {
        {"one weights file", hubWith(single), DownloadResult::Done, 4},
        {"an index and its shard", hubWith(sharded), DownloadResult::Done, 5},
        {"only pytorch_model.bin", hubWith({"config.json", "vocab.json", "pytorch_model.bin"}), DownloadResult::Refused, 1},
        {"gated", hubWith(single, {401, "", "GatedRepo"}), DownloadResult::Gated, 1},
        {"not there", hubWith(single, {401, "", "RepoNotFound"}), DownloadResult::NotFound, 1},
        {"no network", ScriptedHub{}, DownloadResult::NoNetwork, kAttemptsWithoutProgress},
        {"not enough room", hubWith(single), DownloadResult::NoSpace, 1, 100},
    };
    for (const auto& c : cases) {
        TempFolder temp;
        ScriptedHub hub = c.hub;
        const CheckpointDownload download{"https://hub/", "o/r", "main", fs::path(widePath(temp.path())) / "o--r", 0.5};
        const auto outcome = downloadCheckpoint(download, hub, [](const fs::path& p) { return std::make_unique<FilePart>(p); },
                                                [&](const fs::path&) { return c.free; });
        EXPECT_EQ(outcome.result, c.result) << c.story << ": " << outcome.detail;
        EXPECT_EQ(hub.asked.size(), c.requests) << c.story;
        const bool saved = fs::exists(download.folder / "listing.json");
        EXPECT_EQ(saved, c.result == DownloadResult::Done || c.result == DownloadResult::NoSpace) << c.story;
    }
}

TEST(CheckpointDownload, AStoppedDownloadResumesAtTheSameCommitAndAStrayShardIsRefused) {
    TempFolder temp;
    const CheckpointDownload download{"https://hub", "o/r", "main", downloadFolderFor(fs::path(widePath(temp.path())), "o/r")};
    const auto makePart = [](const fs::path& p) { return std::make_unique<FilePart>(p); };
    ScriptedHub first = hubWith({"config.json", "vocab.json", "model.safetensors"});
    first.stopAfter = 120;
    DownloadProgress last;
    EXPECT_EQ(downloadCheckpoint(download, first, makePart, {}, [&](const DownloadProgress& p) { last = p; }).result,
              DownloadResult::Stopped);
    EXPECT_EQ(last.done, 120u);
    const std::size_t small = kFiles.at("config.json").size() + kFiles.at("vocab.json").size();
    EXPECT_EQ(last.total, small + kFiles.at("model.safetensors").size());

    // The next run (the repository has moved on meanwhile) keeps to the first list.
    ScriptedHub second = hubWith({"config.json", "vocab.json", "model.safetensors"}, {200, "{\"sha\":\"moved\"}"});
    EXPECT_EQ(downloadCheckpoint(download, second, makePart, {}).result, DownloadResult::Done);
    EXPECT_EQ(second.asked, (std::vector<std::string>{"/o/r/resolve/" + kCommit + "/model.safetensors from " +
                                                      std::to_string(120 - small)}));
    std::ifstream weights(download.folder / "model.safetensors", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(weights), {}), kFiles.at("model.safetensors"));
    EXPECT_FALSE(fs::exists(download.folder / "model.safetensors.part"));

    // An index naming a shard outside the folder: refused before any shard comes.
    std::map<std::string, std::string> contents = kFiles;
    contents["model.safetensors.index.json"] = R"({"weight_map":{"t":"../../x.safetensors"}})";
    ScriptedHub stray = hubWith({"config.json", "vocab.json", "model.safetensors.index.json",
                                 "model-00001-of-00001.safetensors"}, {}, contents);
    const CheckpointDownload elsewhere{"https://hub", "o/r", "main", fs::path(widePath(temp.path())) / "stray"};
    const DownloadOutcome outcome = downloadCheckpoint(elsewhere, stray, makePart, {});
    EXPECT_EQ(outcome.result, DownloadResult::Refused);
    EXPECT_EQ(outcome.problem, PlanProblem::UnsafeName);
    EXPECT_EQ(outcome.detail, "../../x.safetensors");
    EXPECT_EQ(stray.asked.size(), 4u) << "the list, config, vocabulary and index; no shard";
}
