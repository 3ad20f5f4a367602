#pragma once
// The cue sounds through the system's sound player.

#include <windows.h>

#include "app/cue_sounds.h"

// Starts the cue from module's WAVE resources and returns at once; a cue
// still playing is cut off. Silent (never the system's default sound) when
// the resource or the output is missing.
void playCueSound(HMODULE module, Cue cue);
