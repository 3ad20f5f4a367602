#include "tools/common/console.h"

void useBinaryStdout() {}
