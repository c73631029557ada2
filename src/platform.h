// The one place that knows about processor features.
//
// The roll loop is built twice: for the baseline of the target (SSE2 on
// x86-64, and on 32-bit x86 whatever the build asks for) and, marked with
// DIE_ROLL_WIDE_VECTORS, for AVX2. has_wide_vectors() says at run time
// whether this processor can run the AVX2 copy. On other processors and
// compilers the marks are empty and has_wide_vectors() is false, so only
// the baseline copy runs; DIE_ROLL_BASELINE_ONLY forces that anywhere.
//
// Windows is left out: MinGW's GCC cannot align the stack to the 32 bytes
// that spilled AVX registers need there, and the baseline copy is fast.
#pragma once

#if defined(__GNUC__)
#define DIE_ROLL_ALWAYS_INLINE [[gnu::always_inline]]
#else
#define DIE_ROLL_ALWAYS_INLINE
#endif

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__)) && !defined(_WIN32) && \
    !defined(DIE_ROLL_BASELINE_ONLY)
#define DIE_ROLL_WIDE_VECTORS [[gnu::target("avx2")]]
inline bool has_wide_vectors()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;  // NOLINT(readability-implicit-bool-conversion)
}
#else
#define DIE_ROLL_WIDE_VECTORS
inline bool has_wide_vectors()
{
    return false;
}
#endif
