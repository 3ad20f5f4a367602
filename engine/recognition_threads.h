#pragma once
// Threads one recognition uses: the logical processors minus two, leaving
// two for the rest of the system on large machines, but at least four.

int recognitionThreadsFor(unsigned logicalProcessors);
unsigned logicalProcessorCount();
inline int recognitionThreads() { return recognitionThreadsFor(logicalProcessorCount()); }
