#pragma once
// How long an unused speech model stays in memory unless the user chose
// otherwise: the settings record's default and the transcription service's
// until it is told. Below the shortest the service waits the shortest.

inline constexpr int kDefaultIdleUnloadSeconds = 180;
inline constexpr int kShortestIdleUnloadSeconds = 10;
