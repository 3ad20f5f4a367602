#include "tools/vornika-model/download.h"

#include <cstdio>

#include "model/model_output.h"

// The transport is Windows' own (WinHTTP); this build has none.
int downloadCommand(const std::vector<std::string>&) {
    std::fputs("download needs the Windows build\n", stderr);
    return kConvertBadInput;
}
