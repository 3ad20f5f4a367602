#pragma once
// The fixed recognition settings of the program, shared with the benchmark so
// that it compares against the library with exactly the same parameters.

#include <whisper.h>

whisper_full_params veltoRecognitionParams(int threads);
