/* Force-included into every whisper/ggml source of the Windows builds.
 * Fills two gaps of Debian's mingw-w64 (headers 10, GCC 12). */
#ifndef VORNIKA_MINGW_COMPAT_H
#define VORNIKA_MINGW_COMPAT_H

/* The thread power-throttling request type is missing from these headers;
 * ggml-cpu uses it to keep its threads off the efficiency cores. */
#ifndef THREAD_POWER_THROTTLING_CURRENT_VERSION
#define THREAD_POWER_THROTTLING_CURRENT_VERSION 1
#define THREAD_POWER_THROTTLING_EXECUTION_SPEED 0x1
#define THREAD_POWER_THROTTLING_VALID_FLAGS THREAD_POWER_THROTTLING_EXECUTION_SPEED
typedef struct _THREAD_POWER_THROTTLING_STATE {
    unsigned long Version;
    unsigned long ControlMask;
    unsigned long StateMask;
} THREAD_POWER_THROTTLING_STATE;
#endif

/* GCC 12's AMX tile intrinsics pass the stride as `long`, which is 32 bits
 * on Windows and does not assemble as an address register; GCC 13 uses
 * `long long`. Only the AMX variant of the CPU backend defines __AMX_TILE__. */
#if defined(__AMX_TILE__) && defined(__x86_64__)
#include <immintrin.h>
#undef _tile_loadd_internal
#define _tile_loadd_internal(dst, base, stride)                                                     \
    __asm__ volatile("{tileloadd\t(%0,%1,1), %%tmm" #dst "|tileloadd\t%%tmm" #dst ", [%0+%1*1]}" \
                     ::"r"((const void *)(base)), "r"((long long)(stride)))
#undef _tile_stream_loadd_internal
#define _tile_stream_loadd_internal(dst, base, stride)                                                  \
    __asm__ volatile("{tileloaddt1\t(%0,%1,1), %%tmm" #dst "|tileloaddt1\t%%tmm" #dst ", [%0+%1*1]}" \
                     ::"r"((const void *)(base)), "r"((long long)(stride)))
#undef _tile_stored_internal
#define _tile_stored_internal(src, base, stride)                                                      \
    __asm__ volatile("{tilestored\t%%tmm" #src ", (%0,%1,1)|tilestored\t[%0+%1*1], %%tmm" #src "}" \
                     ::"r"((void *)(base)), "r"((long long)(stride))                                \
                     : "memory")
#endif

#endif
