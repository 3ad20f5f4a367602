#include "tools/common/console.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>

void useBinaryStdout() { _setmode(_fileno(stdout), _O_BINARY); }
