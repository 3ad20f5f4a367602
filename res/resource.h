// The executable's resource numbers, for the .rc files and for the C++ that
// loads them. Plain #defines and nothing else: windres reads this file too,
// and the portable core includes it without windows.h. The manifest goes by
// Windows' own names (CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST).
#ifndef VORNIKA_RES_RESOURCE_H
#define VORNIKA_RES_RESOURCE_H

// The icon group: the program's file, its windows and the tray.
#define IDI_PROGRAM 101

// The cue sounds, WAVE resources.
#define IDR_CUE_START 201
#define IDR_CUE_STOP 202
#define IDR_CUE_ERROR 203

#endif
