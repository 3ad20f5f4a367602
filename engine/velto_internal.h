#pragma once
// The log forwarder installed into whisper and ggml, visible for tests.

#include <ggml.h>

void veltoForwardLog(ggml_log_level level, const char* text, void* userData);
