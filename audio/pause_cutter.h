#pragma once
// Where a long take is cut while the user still speaks, so that finished
// stretches can be recognised during the take: at a pause, found over 20 ms
// frames against a noise floor that follows the room (the quietest frame of
// the last kFloorWindow: speech always has quieter gaps between syllables
// within that time). Pure; fed on the capture path, one take per cutter. Not
// thread-safe.
//
// Once the audio not yet handed over reaches the threshold, the next pause of
// at least kShortestCutPause is cut in its middle (found when the speech
// resumes, or when the part reaches its longest length while the pause goes
// on). A part that reaches kLongestPart without such a pause is cut at the
// quietest frame of its last kFallbackWindow.

#include <chrono>
#include <cstddef>
#include <deque>
#include <utility>
#include <vector>

inline constexpr std::size_t kCutFrameSamples = 320;  // 20 ms at 16 kHz
inline constexpr std::chrono::milliseconds kShortestCutPause{500};
inline constexpr std::chrono::seconds kLongestPart{28};
inline constexpr std::chrono::seconds kFallbackWindow{5};
// A frame this far above the noise floor is speech. At 10 dB the quiet
// consonants of speech in a room at -30 dBFS made pauses of their own.
inline constexpr double kSpeechAboveFloorDb = 6.0;
inline constexpr std::chrono::seconds kFloorWindow{5};

class PauseCutter {
public:
    // afterSeconds: the threshold (live.afterSeconds); 0 never cuts.
    explicit PauseCutter(double afterSeconds);

    // Takes the take's next samples (16 kHz mono, in order) and returns the
    // cuts they made: positions counted in samples from the take's start,
    // each one starting a new part, in increasing order.
    std::vector<std::size_t> feed(const float* samples, std::size_t count);

private:
    void takeFrame(double frameDb, std::vector<std::size_t>& cuts);
    std::size_t frameStart(std::size_t frame) const { return frame * kCutFrameSamples; }
    void cutAt(std::size_t position, std::vector<std::size_t>& cuts);

    const std::size_t afterFrames;  // 0: off
    std::vector<float> pending;     // samples of a frame not yet complete
    std::size_t frames = 0;         // whole frames taken so far
    std::size_t partStart = 0;      // where the part not yet handed over starts (samples)
    // The last kFloorWindow's frames (index, level) whose levels rise from
    // front to back: the front is the floor.
    std::deque<std::pair<std::size_t, double>> floorCandidates;
    double floorDb = -100.0;
    std::size_t pauseFrames = 0;    // quiet frames in a row, ending with the last one
    // Each frame's level since the part began (for the fallback's quietest frame).
    std::vector<double> partLevels;
};
