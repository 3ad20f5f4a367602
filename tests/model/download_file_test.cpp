// One file of a download over a scripted transport: resumed after a cut,
// started again when a range is ignored, checked by size and sha256 (and
// fetched once more when wrong), and each answer of the hub told apart.

#include "model/download_file.h"

#include <gtest/gtest.h>

namespace {

const std::string kContent = "0123456789abcdefghijklmnopqrstuvwxyz";

// A digest that differs for different contents, standing in for sha256.
std::string digestOf(const std::string& bytes) { return "sha:" + bytes; }

struct Answer {
    int status = 206;      // 206 serves from the range asked (200 when none is asked)
    int bytes = -1;        // how many bytes of the body come before a cut; -1 all
    std::string errorCode = {};
    std::string rateLimit = {};
    bool ignoresRange = false;  // a 200 with the whole file, whatever was asked
    std::string serves = kContent;
};

class ScriptedSource : public HttpSource {
public:
    explicit ScriptedSource(std::vector<Answer> script) : answers(std::move(script)) {}
    BodyEnd get(const std::string&, std::uint64_t from, HttpReply& reply, const std::function<bool(const HttpReply&)>& wanted,
                const std::function<bool(std::string_view)>& piece) override {
        froms.push_back(from);
        const Answer answer = next < answers.size() ? answers[next++] : Answer{0};
        reply = {answer.status, answer.errorCode, answer.rateLimit, 0};
        std::uint64_t start = from;
        if (reply.status == 206 && (from == 0 || answer.ignoresRange)) reply.status = 200;
        if (reply.status == 200) start = 0;
        reply.rangeStart = start;
        if (!wanted(reply)) return BodyEnd::Complete;
        const std::string body = answer.serves.substr(std::min<std::size_t>(start, answer.serves.size()));
        const std::size_t count = answer.bytes < 0 ? body.size() : std::min<std::size_t>(answer.bytes, body.size());
        // In pieces of five, as a network hands them over.
        for (std::size_t at = 0; at < count; at += 5) {
            if (!piece(std::string_view(body).substr(at, std::min<std::size_t>(5, count - at)))) return BodyEnd::Stopped;
        }
        return count == body.size() ? BodyEnd::Complete : BodyEnd::Cut;
    }
    bool wait(int seconds) override {
        waited.push_back(seconds);
        return true;
    }

    std::vector<Answer> answers;
    std::size_t next = 0;
    std::vector<std::uint64_t> froms;
    std::vector<int> waited;
};

class MemoryPart : public PartStore {
public:
    std::uint64_t size() override { return bytes.size(); }
    bool append(std::string_view more) override {
        if (failWrites) return false;
        bytes += more;
        return true;
    }
    bool clear() override {
        bytes.clear();
        return true;
    }
    std::string sha256() override { return digestOf(bytes); }
    std::string bytes;
    bool failWrites = false;
};

}  // namespace

TEST(DownloadFile, EachWayTheTransferGoesEndsAsItShould) {
    const HubFile file{"model.safetensors", kContent.size(), digestOf(kContent)};
    const std::string corrupt = std::string(kContent).replace(3, 1, "#");
    const struct {
        const char* story;
        std::string already;  // a part file from an earlier run
        std::vector<Answer> answers;
        FileResult result;
        std::vector<std::uint64_t> froms;  // the ranges asked, in order
        std::uint64_t fetchedTwice = 0;
        std::vector<int> waited = {};
    } cases[] = {
        {"all at once", "", {{200}}, FileResult::Done, {0}},
        {"cut twice, resumed each time", "", {{200, 10}, {206, 7}, {206}}, FileResult::Done, {0, 10, 17}},
        {"an earlier run's part file", kContent.substr(0, 20), {{206}}, FileResult::Done, {20}},
        {"a range ignored: from zero", kContent.substr(0, 20), {{206, -1, "", "", true}}, FileResult::Done, {20}, 20},
        {"nothing left to fetch", kContent, {}, FileResult::Done, {}},
        {"a part file too long", kContent + "xyz", {{200}}, FileResult::Done, {0}},
        {"wrong bytes: fetched once more", "", {{200, -1, "", "", false, corrupt}, {200}}, FileResult::Done, {0, 0}},
        {"wrong twice", "", {{200, -1, "", "", false, corrupt}, {200, -1, "", "", false, corrupt}},
         FileResult::ChecksumMismatch, {0, 0}},
        {"gated", "", {{401, -1, "GatedRepo"}}, FileResult::Gated, {0}},
        {"private", "", {{401}}, FileResult::Gated, {0}},
        {"no such repository", "", {{401, -1, "RepoNotFound"}}, FileResult::NotFound, {0}},
        {"no such revision", "", {{401, -1, "RevisionNotFound"}}, FileResult::NotFound, {0}},
        {"no such file", "", {{404, -1, "EntryNotFound"}}, FileResult::NotFound, {0}},
        {"rate limited, then served", "", {{429, -1, "", "\"resolvers\";r=0;t=42"}, {200}}, FileResult::Done, {0, 0}, 0, {42}},
        {"an expired storage link", "", {{200, 12}, {403}, {206}}, FileResult::Done, {0, 12, 12}},
        {"a server error, then served", "", {{503}, {200}}, FileResult::Done, {0, 0}},
        {"no network", "", {}, FileResult::NoNetwork, {0, 0, 0, 0}},
        {"a storage host that stops part-way", "", {{200, 9}, {206, 0}, {206, 0}, {206, 0}, {206, 0}},
         FileResult::Stalled, {0, 9, 9, 9, 9}},
        {"an answer we do not know", "", {{418}}, FileResult::HubFailed, {0}},
    };
    for (const auto& c : cases) {
        ScriptedSource source(c.answers);
        MemoryPart part;
        part.bytes = c.already;
        const FileOutcome outcome = downloadFile(file, "https://hub/o/r/resolve/c/model.safetensors", source, part);
        EXPECT_EQ(outcome.result, c.result) << c.story << ": " << outcome.detail;
        EXPECT_EQ(source.froms, c.froms) << c.story;
        EXPECT_EQ(outcome.fetchedTwice, c.fetchedTwice) << c.story;
        EXPECT_EQ(source.waited, c.waited) << c.story;
        if (c.result == FileResult::Done) {
            EXPECT_EQ(part.bytes, kContent) << c.story;
        }
    }
}

TEST(DownloadFile, AStopOrAFullDiskKeepsWhatWasFetched) {
    const HubFile file{"model.safetensors", kContent.size(), ""};
    ScriptedSource source({{200, 10}, {206}});
    MemoryPart part;
    std::uint64_t heard = 0;
    int pieces = 0;
    const auto outcome = downloadFile(file, "u", source, part, [&](std::uint64_t bytes) {
        heard = bytes;
        if (++pieces == 3) part.failWrites = true;
    });
    EXPECT_EQ(outcome.result, FileResult::CannotWrite);
    EXPECT_EQ(part.bytes, kContent.substr(0, 15)) << "what came before stays for the next run";
    EXPECT_EQ(heard, 15u);

    struct StoppingSource : ScriptedSource {
        using ScriptedSource::ScriptedSource;
        bool wait(int) override { return false; }
    } stopping({{429, -1, "", "t=5"}});
    EXPECT_EQ(downloadFile(file, "u", stopping, part).result, FileResult::Stopped);
    EXPECT_EQ(part.bytes.size(), 15u);

    for (const auto& [header, seconds] : std::vector<std::pair<std::string, int>>{
             {"\"resolvers\";r=0;t=89", 89}, {"t=100000", kLongestRateLimitWait}, {"", 60}, {"t=x", 60}}) {
        EXPECT_EQ(rateLimitSeconds(header), seconds) << header;
    }
}
