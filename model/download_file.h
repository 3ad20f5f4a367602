#pragma once
// Fetching one file of a download plan into its part file, resumed where a
// part file (of this run or an earlier one) ends, and checked before use:
// its size, and its sha256 where the hub gives one. The decisions live here,
// portable; the transport (WinHTTP on Windows) and the part file (with the
// system's hashing) are the caller's. Runs on the caller's thread; a stop
// asked from another thread ends it at the next piece of the body.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "model/download_plan.h"

// What an answer's status line and headers say.
struct HttpReply {
    int status = 0;             // 0: no answer at all (no network, the host not reachable, a timeout)
    std::string errorCode;      // X-Error-Code: GatedRepo, RepoNotFound, EntryNotFound, RevisionNotFound
    std::string rateLimit;      // RateLimit: "resolvers";r=0;t=SECONDS
    std::uint64_t rangeStart = 0;  // where a 206's Content-Range starts
};

// How a body ended: every byte came, the connection was cut (or a read timed
// out) part-way, or the receiver said stop.
enum class BodyEnd { Complete, Cut, Stopped };

class HttpSource {
public:
    virtual ~HttpSource() = default;
    // GETs the address, with "Range: bytes=from-" when from is not 0, and
    // follows redirects (never from https to http). The body goes to `piece`
    // only when `wanted` says so for the reply; `piece` returns false to stop.
    virtual BodyEnd get(const std::string& url, std::uint64_t from, HttpReply& reply,
                        const std::function<bool(const HttpReply&)>& wanted,
                        const std::function<bool(std::string_view)>& piece) = 0;
    // Waits (a rate limit) unless stopped meanwhile; false when stopped.
    virtual bool wait(int seconds) = 0;
};

// The part file a download writes: kept between runs until it is checked.
class PartStore {
public:
    virtual ~PartStore() = default;
    virtual std::uint64_t size() = 0;
    virtual bool append(std::string_view bytes) = 0;
    virtual bool clear() = 0;  // back to nothing, for a fresh start
    // The sha256 of what is there, lowercase hex; "" when it cannot be read.
    virtual std::string sha256() = 0;
};

enum class FileResult {
    Done,             // all of it is there, of the right size and sha256
    Stopped,          // stopped; the part file is kept for the next run
    NoNetwork,        // no answer at all, again and again
    Stalled,          // the body stopped coming part-way, again and again: a storage host blocked
    NotFound,         // repository, revision or file unknown to the hub
    Gated,            // gated or private: its page asks for permission first
    ChecksumMismatch, // wrong size or sha256 twice over
    CannotWrite,      // the part file could not be written
    HubFailed,        // another answer (5xx or an expired link again and again, a 4xx we do not know)
    RateLimited,      // the hub kept asking to wait
};

struct FileOutcome {
    FileResult result = FileResult::Done;
    int status = 0;           // the last answer's status, for the log
    std::string detail;       // what happened, in English, for the log and the tool
    std::uint64_t fetchedTwice = 0;  // bytes fetched that were already there (a range ignored)
};

// Attempts without a byte of progress before the network counts as gone.
inline constexpr int kAttemptsWithoutProgress = 4;
// The longest a rate limit is waited out at once, and how many times.
inline constexpr int kLongestRateLimitWait = 300;
inline constexpr int kRateLimitWaits = 10;

// The hub answers 401 for gated, private and missing repositories alike;
// X-Error-Code tells them apart (no code: private or gated).
FileResult unauthorisedResult(std::string_view errorCode);

// Seconds a RateLimit header asks to wait (its "t="); 60 when it does not say.
int rateLimitSeconds(std::string_view header);

// Fetches `file` from `url` into `part`, `onProgress` hearing the bytes there.
FileOutcome downloadFile(const HubFile& file, const std::string& url, HttpSource& source, PartStore& part,
                         const std::function<void(std::uint64_t)>& onProgress = {});
