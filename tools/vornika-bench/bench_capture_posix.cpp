#include <cstdio>

#include "tools/vornika-bench/bench.h"

void benchCapture(int, bool) { std::fputs("vornika-bench: capture is measured in the Windows build\n", stderr); }
