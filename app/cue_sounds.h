#pragma once
// The short sounds that tell a user who looks elsewhere what the dictation
// does: recording really runs, the take ended, something failed. They are
// WAV resources of the executable, played without waiting. The start cue is
// heard by the microphone too, so the take's first samples, up to where the
// cue has died away, are dropped from it.

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "res/resource.h"

enum class Cue { Start, Stop, Error };

// The cue's WAVE resource (IDR_CUE_*, res/cue_sounds.rc).
int cueResource(Cue cue);

// After the cue is asked for, how long until its last sound has left the
// loudspeaker and the room: the output's start and latency plus an echo.
// On the sound stack the tests run on, the cue reached the microphone from
// 20 to 139 ms after the call (its 120 ms included); the rest is room for a
// slower output and the room's echo. Speech starts later: users wait for the cue.
inline constexpr std::chrono::milliseconds kStartCueReach{250};
inline constexpr std::chrono::milliseconds kLongestStartCueCut{500};

// How many of a take's samples (16 kHz) were recorded before the start cue,
// asked for at cueAskedAt, had died away; firstFrameAt is when the take's
// first sample was recorded (both on the audio clock, 100 ns units; 0 for
// not known). Never more than the take holds, nor than kLongestStartCueCut
// whatever the stamps say: a driver's wrong stamp must not drop the speech.
std::size_t startCueSamples(std::int64_t firstFrameAt, std::int64_t cueAskedAt, std::size_t takeSamples);
