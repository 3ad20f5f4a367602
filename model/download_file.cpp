#include "model/download_file.h"

#include <algorithm>
#include <charconv>

namespace {

FileOutcome ended(FileResult result, int status, std::string detail, std::uint64_t fetchedTwice) {
    return {result, status, std::move(detail), fetchedTwice};
}

}  // namespace

FileResult unauthorisedResult(std::string_view errorCode) {
    if (errorCode == "RepoNotFound" || errorCode == "EntryNotFound" || errorCode == "RevisionNotFound")
        return FileResult::NotFound;
    return FileResult::Gated;
}

int rateLimitSeconds(std::string_view header) {
    const std::size_t at = header.find("t=");
    if (at == std::string_view::npos) return 60;
    int seconds = 0;
    const char* first = header.data() + at + 2;
    const auto [end, error] = std::from_chars(first, header.data() + header.size(), seconds);
    if (error != std::errc() || end == first || seconds < 0) return 60;
    return std::min(seconds, kLongestRateLimitWait);
}

FileOutcome downloadFile(const HubFile& file, const std::string& url, HttpSource& source, PartStore& part,
                         const std::function<void(std::uint64_t)>& onProgress) {
    int idleAttempts = 0;     // attempts since the last byte arrived
    int waits = 0;            // rate limits waited out
    bool retriedCheck = false;  // a file that failed its check is fetched once more
    std::uint64_t fetchedTwice = 0;
    int lastStatus = 0;
    while (true) {
        std::uint64_t have = part.size();
        if (have > file.size && !part.clear()) return ended(FileResult::CannotWrite, lastStatus, file.name, fetchedTwice);
        have = part.size();
        if (have == file.size) {
            // All there: checked before anyone uses it.
            const bool sizeOk = part.size() == file.size;
            const bool shaOk = file.sha256.empty() || part.sha256() == file.sha256;
            if (sizeOk && shaOk) return ended(FileResult::Done, lastStatus, {}, fetchedTwice);
            if (retriedCheck || !part.clear())
                return ended(FileResult::ChecksumMismatch, lastStatus, file.name + ": sha256 differs", fetchedTwice);
            retriedCheck = true;
            continue;
        }
        if (idleAttempts >= kAttemptsWithoutProgress) {
            const FileResult why = lastStatus == 0                           ? FileResult::NoNetwork
                                   : lastStatus == 200 || lastStatus == 206 ? FileResult::Stalled
                                                                            : FileResult::HubFailed;
            return ended(why, lastStatus, file.name + ": no progress", fetchedTwice);
        }

        HttpReply reply;
        bool writeFailed = false;
        bool restarted = false;
        const std::uint64_t before = have;
        const auto wanted = [&](const HttpReply& answer) {
            if (answer.status == 200 && have > 0) {
                // The range was not honoured: the body starts from zero again.
                fetchedTwice += have;
                restarted = true;
                if (!part.clear()) writeFailed = true;
                return !writeFailed;
            }
            if (answer.status == 206 && answer.rangeStart != have) {
                restarted = true;
                return false;
            }
            return answer.status == 200 || answer.status == 206;
        };
        const auto piece = [&](std::string_view bytes) {
            if (!part.append(bytes)) {
                writeFailed = true;
                return false;
            }
            if (onProgress) onProgress(part.size());
            return true;
        };
        const BodyEnd end = source.get(url, have, reply, wanted, piece);
        lastStatus = reply.status;
        if (writeFailed) return ended(FileResult::CannotWrite, lastStatus, file.name, fetchedTwice);
        if (end == BodyEnd::Stopped) return ended(FileResult::Stopped, lastStatus, file.name, fetchedTwice);
        const std::uint64_t now = part.size();
        if (now > before || (restarted && now > 0)) idleAttempts = 0;
        else ++idleAttempts;

        switch (reply.status) {
        case 200:
        case 206:
            if (reply.status == 206 && reply.rangeStart != before && !part.clear())
                return ended(FileResult::CannotWrite, lastStatus, file.name, fetchedTwice);
            continue;  // complete, cut or restarted: the top of the loop sees how much is there
        case 416:      // nothing left after the range asked: the check decides
            if (part.size() != file.size && !part.clear())
                return ended(FileResult::CannotWrite, lastStatus, file.name, fetchedTwice);
            continue;
        case 401:
            return ended(unauthorisedResult(reply.errorCode), 401, file.name + ": " + reply.errorCode, fetchedTwice);
        case 403:  // a storage link that has expired: the hub's address gives a fresh one
            continue;
        case 404:
            return ended(FileResult::NotFound, 404, file.name + ": " + reply.errorCode, fetchedTwice);
        case 429:
            idleAttempts = 0;
            if (++waits > kRateLimitWaits) return ended(FileResult::RateLimited, 429, file.name, fetchedTwice);
            if (!source.wait(rateLimitSeconds(reply.rateLimit)))
                return ended(FileResult::Stopped, 429, file.name, fetchedTwice);
            continue;
        case 0:
            continue;  // counted as an attempt without progress
        default:
            if (reply.status >= 500) continue;
            return ended(FileResult::HubFailed, reply.status, file.name + ": HTTP " + std::to_string(reply.status),
                         fetchedTwice);
        }
    }
}
