#pragma once
// Threads one recognition uses: the logical processors minus two (leaving two
// for the rest of the system on large machines), at least four, but never more
// than the physical cores. ggml's threads wait for each other by spinning, so
// one thread more than there are cores makes a recognition many times slower;
// a second hardware thread of a core adds nothing to its arithmetic.

// What the system tells about its processors.
struct ProcessorCounts {
    unsigned logical = 0;        // logical processors (hardware threads)
    unsigned physicalCores = 0;  // 0 when the system does not say
};

// Pure: the rule above, never below 1.
int recognitionThreadsFor(const ProcessorCounts& processors);

// This machine's processors (platform part; asked afresh on every call).
ProcessorCounts processorCounts();

inline int recognitionThreads() { return recognitionThreadsFor(processorCounts()); }
