#include "app/cue_sounds_win.h"

#include <mmsystem.h>

void playCueSound(HMODULE module, Cue cue) {
    PlaySoundW(MAKEINTRESOURCEW(cueResource(cue)), module, SND_RESOURCE | SND_ASYNC | SND_NODEFAULT);
}
