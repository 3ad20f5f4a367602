#pragma once
// What GetLogicalProcessorInformationEx(RelationProcessorCore) answers, read:
// one record per physical core, whose group masks name its logical processors.

#include <windows.h>

#include "engine/recognition_threads.h"

// Cores and logical processors in `length` bytes of such records; a record
// cut short or of size 0 ends the count.
ProcessorCounts countCoreRecords(const BYTE* records, DWORD length);
