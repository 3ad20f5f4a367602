#pragma once
/* The engine boundary: one whisper model behind a handful of C functions.
 * Not thread-safe: every call but velto_set_log_callback comes from one
 * thread. Failures return 1 or NULL and leave a reason in velto_last_error. */

#ifdef __cplusplus
extern "C" {
#endif

typedef void (*VeltoLogFn)(const char* text);

/* 0: a model is loaded (also when one already was); 1: failure. */
int velto_load(const char* modelPath, int useGpu);

/* UTF-8 text of all segments (may be ""), or NULL. Release with velto_free_text. */
char* velto_transcribe(const float* samples, int count, int threads);

/* As velto_transcribe, with UTF-8 words the model should expect (NULL or ""
 * for none) as its initial prompt. A prompt longer than the model takes is
 * cut after its last whole word that fits, and the log callback is told. */
char* velto_transcribe_prompted(const float* samples, int count, int threads, const char* prompt);

/* As velto_transcribe_prompted, with the UTF-8 text the speech continues
 * (NULL or "" for none), given to the model after the words: of it, the end
 * that fits beside them is kept (at most 200 tokens), from a word's start. */
char* velto_transcribe_in_context(const float* samples, int count, int threads, const char* prompt,
                                  const char* context);

void velto_free_text(char* text);

/* Asks the recognition running now (or the next one to start) to stop early:
 * velto_transcribe then returns NULL with "aborted". Any thread. */
void velto_abort(void);
void velto_unload(void);
const char* velto_backend(void);
/* The graphics card the model runs on, as its driver names it; "" on the processor. */
const char* velto_device(void);
/* Loads the backends, the graphics card's too, and names the card a load
 * with useGpu would recognise on; "" when there is none. */
const char* velto_find_gpu(void);
/* 1 once a graphics backend has loaded (velto_find_gpu or a load on the
 * card), with or without a device. */
int velto_has_gpu_backend(void);
const char* velto_last_error(void);
void velto_set_log_callback(VeltoLogFn sink);

#ifdef __cplusplus
}
#endif
