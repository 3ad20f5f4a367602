// What a download from the hub fetches, from the repository's file list:
// the checkpoint's files at one commit, or the reason the repository cannot
// give a model, before anything is fetched.

#include "model/download_plan.h"
#include "model/known_models.h"

#include <gtest/gtest.h>

namespace {

const std::string kCommit = "0123456789abcdef0123456789abcdef01234567";
const std::string kSha = std::string(64, 'a');

std::string git(const std::string& name, std::uint64_t size = 100) {
    return R"({"rfilename":")" + name + R"(","size":)" + std::to_string(size) + "}";
}
std::string stored(const std::string& name, std::uint64_t size) {
    return R"({"rfilename":")" + name + R"(","size":)" + std::to_string(size) + R"(,"lfs":{"sha256":")" + kSha +
           R"(","size":)" + std::to_string(size) + R"(,"pointerSize":134}})";
}
std::string listing(const std::vector<std::string>& siblings) {
    std::string json = R"({"id":"o/r","sha":")" + kCommit + R"(","siblings":[)";
    for (std::size_t i = 0; i < siblings.size(); ++i) json += (i ? "," : "") + siblings[i];
    return json + "]}";
}

std::vector<std::string> names(const DownloadPlan& plan) {
    std::vector<std::string> out;
    for (const HubFile& file : plan.files) out.push_back(file.name);
    return out;
}

}  // namespace

TEST(DownloadPlan, TheCheckpointsFilesOrWhyTheRepositoryCannotGiveAModel) {
    const std::uint64_t big = 6'000'000'000;  // past 4 GB
    const struct {
        std::string json;
        PlanProblem problem;
        std::vector<std::string> files = {};
        std::string detail = {};
    } cases[] = {
        {listing({git("config.json"), git("vocab.json"), stored("model.safetensors", big), git("README.md"),
                  stored("pytorch_model.bin", 900)}),
         PlanProblem::None, {"config.json", "vocab.json", "model.safetensors"}},
        {listing({stored("model-00002-of-00002.safetensors", big), git("model.safetensors.index.json"),
                  stored("model-00001-of-00002.safetensors", 10), git("config.json"), git("vocab.json")}),
         PlanProblem::None,
         {"config.json", "vocab.json", "model.safetensors.index.json", "model-00001-of-00002.safetensors",
          "model-00002-of-00002.safetensors"}},
        {listing({git("config.json"), git("vocab.json"), git("model.safetensors.index.json"),
                  stored("model-00001-of-00003.safetensors", 9), stored("model-00003-of-00003.safetensors", 9)}),
         PlanProblem::ShardMissing, {}, "model-00002-of-00003.safetensors"},
        {listing({git("config.json"), git("vocab.json"), git("model.safetensors.index.json")}), PlanProblem::ShardMissing},
        {listing({git("config.json"), git("vocab.json"), stored("pytorch_model.bin", 900)}), PlanProblem::OnlyPytorch},
        {listing({git("config.json"), git("vocab.json"), git("tf_model.h5")}), PlanProblem::NoWeights},
        {listing({git("vocab.json"), stored("model.safetensors", 9)}), PlanProblem::NoConfig},
        {listing({git("config.json"), stored("model.safetensors", 9), git("tokenizer.json")}), PlanProblem::NoVocabulary},
        {R"({"error":"Repository not found"})", PlanProblem::NotAListing},
        {R"({"sha":"main","siblings":[]})", PlanProblem::NotAListing},  // not a commit
        {R"([1,2)", PlanProblem::NotAListing},
        {listing({R"({"rfilename":"model.safetensors","lfs":{"sha256":"xyz"}})"}), PlanProblem::NotAListing,
         {}, "model.safetensors"},
    };
    for (const auto& c : cases) {
        const DownloadPlan plan = planDownload(c.json);
        EXPECT_EQ(plan.problem, c.problem) << c.json;
        EXPECT_EQ(names(plan), c.files) << c.json;
        if (!c.detail.empty()) {
            EXPECT_EQ(plan.detail, c.detail) << c.json;
        }
        if (plan.problem == PlanProblem::None) {
            EXPECT_EQ(plan.commit, kCommit);
        }
    }
    const DownloadPlan one = planDownload(cases[0].json);
    EXPECT_EQ(one.files[2], (HubFile{"model.safetensors", big, kSha}));
    EXPECT_EQ(one.files[0].sha256, "") << "a file in git has no sha256 to check";
    EXPECT_EQ(one.totalBytes(), big + 200);
}

TEST(DownloadPlan, NamesThatStayInTheFolderAndRepositoriesAndAddresses) {
    for (const char* name : {"config.json", "sub/model.safetensors", "a..b", ".hidden"}) {
        EXPECT_TRUE(isSafeFileName(name)) << name;
    }
    for (const char* name : {"", "/etc/passwd", "../x", "a/../../x", "a/./b", "a//b", "C:x", "a\\b", "a/", "x\ny"})
        EXPECT_FALSE(isSafeFileName(name)) << name;
    for (const char* id : {"whiteh4t/navo-uz", "Makhmud/whisper-uzbek", "a.b/c_d"}) {
        EXPECT_TRUE(isRepositoryId(id)) << id;
    }
    for (const char* id : {"navo-uz", "a/b/c", "/x", "x/", "../x", "a/..", "a b/c", "a/c?d"})
        EXPECT_FALSE(isRepositoryId(id)) << id;

    for (const char* hub : {"https://huggingface.co", "https://hf-mirror.com/", "http://127.0.0.1:8080", "http://localhost:1",
                            "http://[::1]:9"}) {
        EXPECT_TRUE(isAllowedHubAddress(hub)) << hub;
    }
    for (const char* hub : {"http://huggingface.co", "http://127.example.com", "ftp://x", "huggingface.co", "https://"})
        EXPECT_FALSE(isAllowedHubAddress(hub)) << hub;

    EXPECT_EQ(listingUrl("https://huggingface.co/", "o/r", "main"),
              "https://huggingface.co/api/models/o/r/revision/main?blobs=true");
    EXPECT_EQ(listingUrl("http://127.0.0.1:8080", "o/r", "refs/pr/1"),
              "http://127.0.0.1:8080/api/models/o/r/revision/refs%2Fpr%2F1?blobs=true");
    EXPECT_EQ(fileUrl("https://hf-mirror.com", "o/r", kCommit, "sub dir/model.safetensors"),
              "https://hf-mirror.com/o/r/resolve/" + kCommit + "/sub%20dir/model.safetensors");

    // The index may name only shards of the plan, inside the folder.
    const DownloadPlan plan = planDownload(listing({git("config.json"), git("vocab.json"), git("model.safetensors.index.json"),
                                                    stored("model-00001-of-00001.safetensors", 9)}));
    ASSERT_EQ(plan.problem, PlanProblem::None);
    EXPECT_EQ(shardNotInPlan(plan, R"({"weight_map":{"a":"model-00001-of-00001.safetensors"}})"), "");
    EXPECT_EQ(shardNotInPlan(plan, R"({"weight_map":{"a":"../../evil.safetensors"}})"), "../../evil.safetensors");
    EXPECT_EQ(shardNotInPlan(plan, R"({"weight_map":{"a":7}})"), "a");
    EXPECT_EQ(shardNotInPlan(plan, R"({"metadata":{}})"), "model.safetensors.index.json");
}

TEST(KnownModels, TheRecommendationFollowsTheComputer) {
    constexpr std::uint64_t kGigabyte = 1024ull * 1024 * 1024;
    const struct {
        ComputerShape computer;
        const char* base;
    } cases[] = {
        {{2, 4 * kGigabyte, false}, "small"},   // a two-core laptop
        {{2, 16 * kGigabyte, false}, "small"},
        {{8, 16 * kGigabyte, false}, "medium"},
        {{4, 8 * kGigabyte - kGigabyte / 2, false}, "medium"},  // what Windows reports of 8 GB
        {{2, 8 * kGigabyte, true}, "medium"},  // the card recognises
        {{8, 4 * kGigabyte, true}, "small"},   // no room for the medium model
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(recommendedModel(c.computer).base, c.base) << c.computer.cores << " " << c.computer.memoryBytes;
    }
    for (const KnownModel& model : knownModels()) {
        EXPECT_TRUE(isRepositoryId(model.repo)) << model.repo;
        EXPECT_LT(model.modelBytes, model.downloadBytes) << model.repo;
    }
}
