#include "app/live_take.h"

#include <cstdio>
#include <map>
#include <mutex>
#include <optional>
#include <utility>

#include "app/cycle_texts.h"
#include "diag/encoding.h"
#include "diag/log.h"
#include "text/part_join.h"
#include "text/vocabulary.h"

// The recorder's samples go to the engine as they are.
static_assert(kEngineRate == kRecognitionRate, "the recorder's rate is the engine's");

namespace {

constexpr std::size_t kNoPart = static_cast<std::size_t>(-1);

std::wstring secondsText(std::size_t samples) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%.1f", static_cast<double>(samples) / kEngineRate);
    return text;
}

}  // namespace

bool holdsSpeech(const TakeAnalysis& piece) {
    return piece.verdict != TakeVerdict::Silent && piece.voicedSeconds >= kLeastPieceSpeechSeconds;
}

// What the take's jobs report into, on the worker; it outlives the LiveTake
// for as long as a job of it is queued.
struct LiveTake::Shared {
    TranscriptionService& service;
    const LiveTakeOptions options;

    std::mutex mutex;
    std::vector<std::optional<std::string>> texts;  // each part's text, once recognised ("" for none)
    // The samples of the parts whose text has not come, and from a failed
    // part on those of every part: what the take is recognised from then.
    std::map<std::size_t, std::vector<float>> kept;
    std::size_t firstFailed = kNoPart;
    double seconds = 0;  // the recognitions so far
    bool dropped = false;

    Shared(TranscriptionService& s, LiveTakeOptions o) : service(s), options(std::move(o)) {}

    // A piece's text as the take keeps it: nothing when it is the prompt's echo.
    std::string ownText(const std::wstring& text, const TakeAnalysis& piece) const {
        std::string utf8 = toUtf8(text);
        if (!options.prompt.empty() && isPromptEcho(utf8, options.prompt, piece.voicedSeconds < kLittleSpeechSeconds)) {
            logLine(kPromptEchoLogLine);
            return {};
        }
        return utf8;
    }

    // The text of parts [0, end), joined.
    std::string textBefore(std::size_t end) {
        const std::lock_guard lock(mutex);
        return joinedLocked(end, {});
    }

    std::string joinedLocked(std::size_t end, const std::string& last) {
        std::vector<std::string> pieces;
        for (std::size_t i = 0; i < end && i < texts.size(); ++i) {
            if (texts[i]) pieces.push_back(*texts[i]);
        }
        if (!last.empty()) pieces.push_back(last);
        return joinRecognisedParts(pieces);
    }

    void partDone(std::size_t index, const TranscribeResult& result, const TakeAnalysis& piece) {
        const std::lock_guard lock(mutex);
        if (dropped) return;
        seconds += result.seconds;
        if (!result.error.empty()) {
            if (firstFailed == kNoPart) {
                firstFailed = index;
                logLine(L"XATO: yozuvning " + std::to_wstring(index + 1) + L"-qismi o'girilmadi (" + result.error +
                        L") \u2014 yozuv shu qismdan boshlab oxirida bir butun o'giriladi");
            }
            return;
        }
        texts[index] = ownText(result.text, piece);
        if (firstFailed == kNoPart) kept.erase(index);
    }

    // The last job of the take is in (the rest, or the job from a failed
    // part on, recognising `from` onwards): the take's text is the parts
    // before it and what the job recognised. A job that failed keeps the
    // parts' text beside its error; a job that held no speech (an empty
    // one, queued behind the parts only to report once they are in) adds nothing.
    void lastJobDone(std::size_t from, TranscribeResult result, const TakeAnalysis& piece, bool heldSpeech,
                     const ResultCallback& done) {
        std::unique_lock lock(mutex);
        if (dropped) return;
        if (!heldSpeech) result = {};
        result.seconds += seconds;
        const std::string last = result.error.empty() ? ownText(result.text, piece) : std::string();
        result.text = fromUtf8(joinedLocked(from, last));
        if (result.error.empty()) {
            logLine(L"yozuv " + std::to_wstring(texts.size() + 1) + L" qismda o'girildi va birlashtirildi");
        }
        lock.unlock();
        done(std::move(result));
    }

    void submitLast(const std::shared_ptr<Shared>& self, std::size_t from, const std::vector<float>& samples,
                    std::function<void(TranscribeResult, const TakeAnalysis&, bool)> then) {
        const TakeAnalysis piece = analyzeTake(samples);
        const bool speech = holdsSpeech(piece);
        if (!speech && !samples.empty()) {
            logLine(L"yozuvning oxiri deyarli jim (" + secondsText(samples.size()) + L" s): o'girilmadi");
        }
        service.submit(
            speech ? normalizeLevel(samples) : std::vector<float>{},
            [piece, speech, then = std::move(then)](TranscribeResult result) { then(std::move(result), piece, speech); },
            options.prompt, TakePart{options.takeId, [self, from] { return self->textBefore(from); }});
    }

    // The rest after the parts is in: the take's text, unless a part failed.
    void restDone(const std::shared_ptr<Shared>& self, std::vector<float> rest, TranscribeResult result,
                  const TakeAnalysis& piece, bool heldSpeech, const ResultCallback& done) {
        std::unique_lock lock(mutex);
        if (dropped) return;
        const std::size_t failed = firstFailed;
        const std::size_t all = texts.size();
        lock.unlock();
        if (failed != kNoPart) {
            recogniseFrom(self, std::move(rest), done);
            return;
        }
        lastJobDone(all, std::move(result), piece, heldSpeech, done);
    }

    // One job from the failed part to the end, with the parts before it as its context.
    void recogniseFrom(const std::shared_ptr<Shared>& self, std::vector<float> rest, const ResultCallback& done) {
        std::vector<float> samples;
        std::size_t from = 0;
        {
            const std::lock_guard lock(mutex);
            from = firstFailed;
            for (auto& [index, part] : kept) {
                if (index >= from) samples.insert(samples.end(), part.begin(), part.end());
            }
            kept.clear();
        }
        samples.insert(samples.end(), rest.begin(), rest.end());
        rest = {};
        logLine(L"yozuv " + std::to_wstring(from + 1) + L"-qismdan boshlab bir butun o'girilmoqda (" +
                secondsText(samples.size()) + L" s)");
        submitLast(self, from, samples, [self, from, done](TranscribeResult result, const TakeAnalysis& piece, bool speech) {
            self->lastJobDone(from, std::move(result), piece, speech, done);
        });
    }
};

LiveTake::LiveTake(TranscriptionService& s, LiveTakeOptions o)
    : service(s), options(std::move(o)), cutter(options.afterSeconds),
      shared(std::make_shared<Shared>(service, options)) {}

LiveTake::~LiveTake() { drop(); }

void LiveTake::add(std::vector<float> samples) {
    if (over || samples.empty()) return;
    meter.add(samples.data(), samples.size());
    const std::vector<std::size_t> cuts = cutter.feed(samples.data(), samples.size());
    if (pending.empty()) {
        pending = std::move(samples);
    } else {
        pending.insert(pending.end(), samples.begin(), samples.end());
        samples = {};
    }
    bool failed = false;
    {
        const std::lock_guard lock(shared->mutex);
        failed = shared->firstFailed != kNoPart;
    }
    // After a failure everything stays for the one job at the stop.
    if (failed) return;
    for (const std::size_t cut : cuts) {
        const auto length = static_cast<std::ptrdiff_t>(cut - pendingStart);
        std::vector<float> part(pending.begin(), pending.begin() + length);
        pending.erase(pending.begin(), pending.begin() + length);
        pendingStart = cut;
        cutPart(std::move(part));
    }
}

void LiveTake::cutPart(std::vector<float> samples) {
    const std::size_t index = parts++;
    const TakeAnalysis piece = analyzeTake(samples);
    if (!holdsSpeech(piece)) {
        logLine(L"yozuvning " + std::to_wstring(index + 1) + L"-qismi deyarli jim (" + secondsText(samples.size()) +
                L" s): o'girilmadi");
        const std::lock_guard lock(shared->mutex);
        shared->texts.emplace_back(std::string());
        return;
    }
    ++submitted;
    logLine(L"yozuvning " + std::to_wstring(index + 1) + L"-qismi o'girishga berildi (" + secondsText(samples.size()) +
            L" s)");
    std::vector<float> levelled = normalizeLevel(samples);
    {
        const std::lock_guard lock(shared->mutex);
        shared->texts.emplace_back();
        shared->kept.emplace(index, std::move(samples));
    }
    std::shared_ptr<Shared> self = shared;
    service.submit(
        std::move(levelled), [self, index, piece](TranscribeResult result) { self->partDone(index, result, piece); },
        options.prompt, TakePart{options.takeId, [self, index] { return self->textBefore(index); }});
}

void LiveTake::finish(ResultCallback done) {
    if (over) return;
    over = true;
    std::vector<float> rest = std::move(pending);
    pending = {};
    std::shared_ptr<Shared> self = shared;
    if (parts == 0) {
        // Never cut: recognised whole, as any short take.
        const TakeAnalysis whole = meter.analysis();
        service.submit(
            normalizeLevel(rest),
            [self, whole, done = std::move(done)](TranscribeResult result) {
                if (result.error.empty()) result.text = fromUtf8(self->ownText(result.text, whole));
                done(std::move(result));
            },
            options.prompt);
        return;
    }
    bool failed = false;
    {
        const std::lock_guard lock(shared->mutex);
        failed = shared->firstFailed != kNoPart;
    }
    if (failed) {
        shared->recogniseFrom(self, std::move(rest), done);
        return;
    }
    const std::vector<float> samples = rest;
    shared->submitLast(self, parts, samples,
                       [self, rest = std::move(rest), done = std::move(done)](
                           TranscribeResult result, const TakeAnalysis& piece, bool speech) mutable {
                           self->restDone(self, std::move(rest), std::move(result), piece, speech, done);
                       });
}

void LiveTake::drop() {
    if (over) return;
    over = true;
    pending = {};
    {
        const std::lock_guard lock(shared->mutex);
        shared->dropped = true;
        shared->kept.clear();
    }
    if (parts > 0) service.dropTake(options.takeId);
}

std::size_t LiveTake::heldSamples() const {
    std::size_t held = pending.size();
    const std::lock_guard lock(shared->mutex);
    for (const auto& [index, part] : shared->kept) held += part.size();
    return held;
}
