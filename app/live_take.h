#pragma once
// One take recognised in parts while the user still speaks. The samples come
// in as the recorder hands them over; the pause cutter says where a part
// ends, and the part goes to the service at once, levelled on its own, with
// the text recognised before it as its context. At the stop only the rest is
// left to recognise, and the parts' texts are joined into the take's text. A
// take that never reaches the threshold is one job, exactly as a take
// recognised whole: the same samples, prompt and result.
//
// Each piece is judged on its own, never the joined text: a part or a rest
// with less speech than a piece needs (holdsSpeech) is not recognised and
// adds nothing, and a piece whose text is only the user's own words while it
// held little speech is the prompt's echo and adds nothing either.
//
// Threads: every call on one thread (the GUI's); the parts' results arrive
// on the service's worker, which also reports the take. The service must
// outlive the take's jobs.
//
// Failures: when a part fails, no further part is cut, and at the stop the
// take is recognised in one job from that part on (the parts before it keep
// their text); the log says why. When that job, or the rest after parts that
// all succeeded, fails, the take's result carries the error together with
// the text of the parts recognised before it: what was recognised is never
// dropped.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/pause_cutter.h"
#include "audio/sample_convert.h"
#include "engine/transcription_service.h"

// Less speech than this (seconds louder than a quiet room) is "little": a
// text of nothing but the user's own words from it is the prompt's echo.
inline constexpr float kLittleSpeechSeconds = 0.5f;
// A piece of a long take (a part, or the rest after the parts) is recognised
// only when it passes the silence check a whole take passes and holds at
// least this much speech: alone and levelled up, near-silence invites
// invented phrases. A short word is about this long.
inline constexpr float kLeastPieceSpeechSeconds = 0.25f;
bool holdsSpeech(const TakeAnalysis& piece);

struct LiveTakeOptions {
    double afterSeconds = 0;   // live.afterSeconds: parts from this long on; 0: one job
    std::string prompt;        // the user's own words (UTF-8), given to every job
    std::uint64_t takeId = 0;  // the service's name for the take's jobs, for dropping them
};

class LiveTake {
public:
    LiveTake(TranscriptionService& service, LiveTakeOptions options);
    // A take neither finished nor dropped is dropped.
    ~LiveTake();
    LiveTake(const LiveTake&) = delete;
    LiveTake& operator=(const LiveTake&) = delete;

    // The take's next samples (16 kHz mono); a part it completes is submitted.
    void add(std::vector<float> samples);
    // The whole take so far, as analyzeTake would judge it.
    TakeAnalysis analysis() const { return meter.analysis(); }
    // The take has ended: the rest is submitted, and done gets the take's
    // result once every part is in (once, on the worker). Afterwards add,
    // finish and drop do nothing.
    void finish(ResultCallback done);
    // Thrown away: the queued parts leave the service's queue, and nothing is
    // reported of a part that is running.
    void drop();

    // Parts gone to recognition so far (a part without speech is cut, not submitted).
    std::size_t partsSubmitted() const { return submitted; }
    // Samples this take still holds: those not yet in a part, and copies of
    // parts whose text has not come (kept in case they fail).
    std::size_t heldSamples() const;

private:
    struct Shared;
    void cutPart(std::vector<float> samples);

    TranscriptionService& service;
    const LiveTakeOptions options;
    PauseCutter cutter;
    TakeMeter meter;
    std::vector<float> pending;    // the samples since the last cut
    std::size_t pendingStart = 0;  // pending[0]'s place in the take
    std::size_t parts = 0;         // cut so far, recognised or not
    std::size_t submitted = 0;
    bool over = false;             // finished or dropped
    std::shared_ptr<Shared> shared;  // also held by the jobs' callbacks
};
