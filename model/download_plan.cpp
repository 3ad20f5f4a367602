#include "model/download_plan.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <optional>
#include <vector>

#include <nlohmann/json.hpp>

namespace {

using Json = nlohmann::json;

bool isHex(std::string_view text, std::size_t length) {
    return text.size() == length &&
           std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

bool isNamePart(std::string_view part) {
    if (part.empty() || part == "." || part == ".." || part.size() > 96) return false;
    return std::all_of(part.begin(), part.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
               c == '.';
    });
}

// Unreserved characters stay; every other byte is %XX.
std::string percentEncoded(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || c == '-' || c == '_' || c == '.' || c == '~') {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        }
    }
    return out;
}

// A name's parts between slashes, empty ones included ("a//b" has three).
std::vector<std::string_view> slashParts(std::string_view name) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find('/', start);
        if (end == std::string_view::npos) end = name.size();
        parts.push_back(name.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string_view withoutTrailingSlash(std::string_view hub) {
    while (!hub.empty() && hub.back() == '/') hub.remove_suffix(1);
    return hub;
}

// "model-00002-of-00003.safetensors" -> {2, 3}.
std::optional<std::pair<int, int>> shardNumber(std::string_view name) {
    constexpr std::string_view prefix = "model-", middle = "-of-", suffix = ".safetensors";
    constexpr std::size_t digits = 5;
    if (name.size() != prefix.size() + digits + middle.size() + digits + suffix.size()) return std::nullopt;
    if (!name.starts_with(prefix) || !name.ends_with(suffix)) return std::nullopt;
    const std::string_view number = name.substr(prefix.size(), digits);
    const std::string_view of = name.substr(prefix.size() + digits + middle.size(), digits);
    if (name.substr(prefix.size() + digits, middle.size()) != middle) return std::nullopt;
    const auto isDigits = [](std::string_view s) { return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; }); };
    if (!isDigits(number) || !isDigits(of)) return std::nullopt;
    return std::pair{std::stoi(std::string(number)), std::stoi(std::string(of))};
}

DownloadPlan refused(PlanProblem problem, std::string detail = {}) {
    DownloadPlan plan;
    plan.problem = problem;
    plan.detail = std::move(detail);
    return plan;
}

}  // namespace

std::uint64_t DownloadPlan::totalBytes() const {
    std::uint64_t total = 0;
    for (const HubFile& file : files) total += file.size;
    return total;
}

bool isRepositoryId(std::string_view id) {
    const std::size_t slash = id.find('/');
    return slash != std::string_view::npos && isNamePart(id.substr(0, slash)) && isNamePart(id.substr(slash + 1));
}

bool isSafeFileName(std::string_view name) {
    if (name.empty() || name.front() == '/') return false;
    for (const std::string_view part : slashParts(name)) {
        if (part.empty() || part == "." || part == "..") return false;
    }
    return std::none_of(name.begin(), name.end(), [](char c) {
        return c == '\\' || c == ':' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
}

bool isAllowedHubAddress(std::string_view hub) {
    if (hub.starts_with("https://")) return hub.size() > 8;
    if (!hub.starts_with("http://")) return false;
    const std::string_view rest = hub.substr(7);
    const std::string_view host = rest.substr(0, rest.find_first_of(":/"));
    const bool dotted = std::all_of(host.begin(), host.end(), [](char c) { return c == '.' || (c >= '0' && c <= '9'); });
    return host == "localhost" || (host.starts_with("127.") && dotted) || rest.starts_with("[::1]");
}

std::string listingUrl(std::string_view hub, std::string_view repo, std::string_view revision) {
    return std::string(withoutTrailingSlash(hub)) + "/api/models/" + std::string(repo) + "/revision/" +
           percentEncoded(revision) + "?blobs=true";
}

std::string fileUrl(std::string_view hub, std::string_view repo, std::string_view commit, std::string_view name) {
    std::string url = std::string(withoutTrailingSlash(hub)) + "/" + std::string(repo) + "/resolve/" + std::string(commit);
    for (const std::string_view part : slashParts(name)) url += "/" + percentEncoded(part);
    return url;
}

DownloadPlan planDownload(std::string_view listingJson) {
    const Json listing = Json::parse(listingJson, nullptr, false);
    if (!listing.is_object()) return refused(PlanProblem::NotAListing);
    const auto sha = listing.find("sha");
    const auto siblings = listing.find("siblings");
    if (sha == listing.end() || !sha->is_string() || !isHex(sha->get<std::string>(), 40) || siblings == listing.end() ||
        !siblings->is_array())
        return refused(PlanProblem::NotAListing);

    std::map<std::string, HubFile> listed;
    for (const Json& entry : *siblings) {
        const auto name = entry.is_object() ? entry.find("rfilename") : entry.end();
        if (name == entry.end() || !name->is_string()) return refused(PlanProblem::NotAListing);
        HubFile file{name->get<std::string>(), 0, {}};
        if (const auto size = entry.find("size"); size != entry.end() && size->is_number_unsigned())
            file.size = size->get<std::uint64_t>();
        if (const auto lfs = entry.find("lfs"); lfs != entry.end() && lfs->is_object()) {
            const auto sha256 = lfs->find("sha256");
            if (sha256 == lfs->end() || !sha256->is_string() || !isHex(sha256->get<std::string>(), 64))
                return refused(PlanProblem::NotAListing, file.name);
            file.sha256 = sha256->get<std::string>();
            if (const auto size = lfs->find("size"); size != lfs->end() && size->is_number_unsigned())
                file.size = size->get<std::uint64_t>();
        }
        listed[file.name] = file;
    }

    DownloadPlan plan;
    plan.commit = sha->get<std::string>();
    std::vector<HubFile> weights;
    if (listed.contains("model.safetensors")) {
        weights.push_back(listed["model.safetensors"]);
    } else if (listed.contains("model.safetensors.index.json")) {
        weights.push_back(listed["model.safetensors.index.json"]);
        int count = 0;
        std::map<int, HubFile> shards;
        for (const auto& [name, file] : listed) {
            if (const auto number = shardNumber(name)) {
                count = std::max(count, number->second);
                shards[number->first] = file;
            }
        }
        for (int i = 1; i <= count; ++i) {
            if (!shards.contains(i)) {
                char name[48];
                std::snprintf(name, sizeof(name), "model-%05d-of-%05d.safetensors", i, count);
                return refused(PlanProblem::ShardMissing, name);
            }
            weights.push_back(shards[i]);
        }
        if (count == 0) return refused(PlanProblem::ShardMissing, "model-00001-of-?????.safetensors");
    } else {
        return refused(listed.contains("pytorch_model.bin") ? PlanProblem::OnlyPytorch : PlanProblem::NoWeights);
    }
    if (!listed.contains("config.json")) return refused(PlanProblem::NoConfig);
    if (!listed.contains("vocab.json")) return refused(PlanProblem::NoVocabulary);
    plan.files = {listed["config.json"], listed["vocab.json"]};
    plan.files.insert(plan.files.end(), weights.begin(), weights.end());
    for (const HubFile& file : plan.files) {
        if (!isSafeFileName(file.name)) return refused(PlanProblem::UnsafeName, file.name);
        // Each file is checked against its size: one the listing does not give cannot be.
        if (file.size == 0) return refused(PlanProblem::NotAListing, file.name);
    }
    return plan;
}

std::string shardNotInPlan(const DownloadPlan& plan, std::string_view indexJson) {
    const Json index = Json::parse(indexJson, nullptr, false);
    const auto map = index.is_object() ? index.find("weight_map") : index.end();
    if (map == index.end() || !map->is_object()) return "model.safetensors.index.json";
    for (const auto& [tensor, shard] : map->items()) {
        const std::string name = shard.is_string() ? shard.get<std::string>() : std::string();
        const bool planned = std::any_of(plan.files.begin(), plan.files.end(),
                                         [&](const HubFile& file) { return file.name == name; });
        if (!planned || !isSafeFileName(name)) return name.empty() ? tensor : name;
    }
    return {};
}
