// A DLL that a test copies, named like a backend of the library
// (ggml-cpu-planted.dll), into the folder it makes the current directory.
// Loading it marks the process's environment, so the test sees whether it ran.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) SetEnvironmentVariableW(L"VORNIKA_PLANTED_BACKEND_RAN", L"1");
    return TRUE;
}
