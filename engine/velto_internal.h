#pragma once
// Inside the engine boundary, visible for tests and the benchmark only.

#include <ggml.h>
#include <whisper.h>

// The log forwarder installed into whisper and ggml.
void veltoForwardLog(ggml_log_level level, const char* text, void* userData);

// The loaded model's context, or null; its timings (whisper_print_timings)
// cover the last velto_transcribe alone. Only on the engine's own thread.
whisper_context* veltoContext();
