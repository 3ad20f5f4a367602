#pragma once
// The graphics-card check's own process (the program started with
// --gpu-check): loads the model on the card, recognises the warm-up second,
// does the same on the processor, writes what it found to the report file
// and returns its exit code (kGpuCheckPassed, kGpuCheckFailed or
// kGpuCheckNoDevice). A driver that crashes or hangs takes this process
// down, never the program; the program judges what is left (judgeGpuCheck).

#include <string>

// asciiModelPath: as the engine takes it (prepareEnginePath).
int runGpuCheck(const std::string& asciiModelPath, const std::wstring& reportPath);

// Set in the check's environment by tests: the check then waits for good, as
// a driver that hangs would.
inline constexpr char kGpuCheckHangVariable[] = "VORNIKA_TEST_GPU_CHECK_HANG";
