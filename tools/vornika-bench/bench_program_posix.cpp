#include <cstdio>

#include "tools/vornika-bench/bench.h"

void benchProgram(int) { std::puts("program: the whole program runs in the Windows build only"); }
