// Where the program tells processors, compilers, byte orders and operating
// systems apart: which copies of the roll loop a build has and the marks
// they are built with, whether this processor can run them, which one is
// the fastest where that depends on the target, the vector types, the
// three-word xor, and what the Windows C runtime's errno says. The code
// inside those copies is not all here: the x86 copies in roll_loop.cpp,
// built only where DIE_ROLL_X86_COPIES is defined below, call AVX-512
// intrinsics and __builtin_popcount and carry GCC's noinline and flatten
// attributes, and the vector code of draw_source.h and roll_loop.cpp
// is written in GCC's and Clang's vector extensions, built only where
// DIE_ROLL_VECTORS is defined.
//
// The roll loop is written once over the compilers' vector extensions and
// built for the target's baseline (SSE2 on x86) and, in functions marked
// DIE_ROLL_WIDE_VECTORS and DIE_ROLL_WIDEST_VECTORS, for AVX2 and AVX-512;
// has_wide_vectors() and has_widest_vectors() say at run time whether this
// processor can run those copies, and xor3 gives the AVX-512 copy its
// three-input xor. Elsewhere the marks are empty and both are false, so
// only the baseline copy runs; DIE_ROLL_BASELINE_ONLY forces that anywhere.
//
// The vector loop cuts each 64-bit word into its 16-bit pieces by
// reinterpreting the vector, which gives the pieces low end first only on a
// little-endian target; DIE_ROLL_VECTORS is left undefined on others (and
// with DIE_ROLL_PLAIN_KERNEL), and they take the plain path, word by word.
// Big-endian targets (s390x in CI) could cut the pieces in draw order with
// one byte shuffle per vector, but the shuffle is no portable vector
// extension, and the only big-endian machine here is qemu, which cannot
// tell whether it pays. On x86-64 the plain path (the plain-kernel build)
// is several times slower than the vector ones (README, "Speed"): a vector
// path would be worth having on a real big-endian machine that rolls
// billions of times, and is not built until one is measured.
//
// Windows: MinGW's GCC keeps the stack aligned to 16 bytes only and cannot
// realign it for 32- and 64-byte AVX spills, yet spills them with aligned moves,
// which fault when the slot is not 32-byte aligned. The Windows builds
// therefore assemble the program with -Wa,-muse-unaligned-vector-move
// (CMakeLists.txt), which encodes every aligned vector move as an unaligned
// one: sound whatever the compiler spills, and as fast on aligned data. No
// other AVX instruction with a memory operand requires alignment.
#pragma once

#include <cstdint>

#if defined(__GNUC__)
#define DIE_ROLL_ALWAYS_INLINE [[gnu::always_inline]]
#else
#define DIE_ROLL_ALWAYS_INLINE
#endif

#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ && \
    !defined(DIE_ROLL_PLAIN_KERNEL)
#define DIE_ROLL_VECTORS 1
// Vectors of `bytes` bytes: of generator words, of the 16-bit pieces cut
// from them (read unsigned), of draws, of 16-bit counts. Members of a
// class, as GCC drops the attribute from a dependent alias.
template <int bytes>
struct vector_types {
    typedef std::uint64_t words __attribute__((vector_size(bytes)));  // NOLINT(modernize-use-using)
    // NOLINTNEXTLINE(modernize-use-using)
    typedef std::uint16_t pieces __attribute__((vector_size(bytes)));
    typedef std::int16_t draws __attribute__((vector_size(bytes)));  // NOLINT(modernize-use-using)
    // NOLINTNEXTLINE(modernize-use-using)
    typedef std::uint16_t counts __attribute__((vector_size(bytes)));
};
#endif

// Sets out to a ^ b ^ c, for a word or a vector of words, xored as
// (a ^ b) ^ c so that the compiler makes a ^ b once for two calls that share
// it. (No vector goes by value, for the same reason as in xoshiro_step.)
template <class word>
DIE_ROLL_ALWAYS_INLINE inline void xor3(word& out, const word& a, const word& b, const word& c)
{
    out = (a ^ b) ^ c;
}

// 32-bit x86 has eight vector registers, too few for the generator's state
// and the five counters at once: there the AVX2 loop makes its draws into a
// small buffer and counts them in a second loop (see roll_loop.cpp).
#if defined(__i386__)
inline constexpr int vector_registers = 8;
#else
inline constexpr int vector_registers = 16;
#endif

// WebAssembly, as the browsers compile it. Their compilers keep at most 15
// or 16 vectors in registers (x86-64's, less a scratch register), too few
// for the roll loop's 18, and spill some at every step: there the baseline
// copy in two loops over a buffer is the faster, by 15 to 20% in Chromium
// and Firefox. And Clang's WebAssembly back end makes the counters' c -=
// mask (a comparison's all ones, counted as one) into c + (mask & 1), five
// more instructions a vector, where c += mask, lanes counting down, is one
// each: 10 to 15% faster in the browsers. GCC's AVX2 loop runs 8% slower
// counting down, so elsewhere lanes count up. (docs/speed.md.)
#if defined(__wasm__)
inline constexpr bool buffer_baseline_draws = true;
inline constexpr bool count_lanes_down = true;
#else
inline constexpr bool buffer_baseline_draws = false;
inline constexpr bool count_lanes_down = false;
#endif

#if defined(DIE_ROLL_VECTORS) && (defined(__x86_64__) || defined(__i386__)) && \
    !defined(DIE_ROLL_BASELINE_ONLY)
// The roll loop's copies for wider vectors than the baseline's: AVX2, and
// AVX-512 with its byte and word instructions (BW: 16-bit comparisons into
// mask registers) and popcnt to count those masks. GCC's cpu checks ask the
// operating system too (XGETBV), so they are false where it does not save
// the wider registers.
#define DIE_ROLL_X86_COPIES 1
#include <immintrin.h>
#define DIE_ROLL_WIDE_VECTORS [[gnu::target("avx2")]]
#define DIE_ROLL_WIDEST_VECTORS [[gnu::target("avx512f,avx512bw,popcnt")]]
inline bool has_wide_vectors()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;  // NOLINT(readability-implicit-bool-conversion)
}
inline bool has_widest_vectors()
{
    __builtin_cpu_init();
    // NOLINTNEXTLINE(readability-implicit-bool-conversion)
    return __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512bw") != 0 &&
           __builtin_cpu_supports("popcnt") != 0;  // NOLINT(readability-implicit-bool-conversion)
}

// Eight words, only ever xored in the AVX-512 copy: there one vpternlogq
// does the work of two xors, which GCC 12 does not merge by itself. The
// immediate 0x96 is the truth table of the xor of three, whatever their
// order; c goes first, as the instruction writes over its first operand and
// the step never needs c again, so that no register is copied. Not
// always_inline: the step that calls it is built for the baseline, and only
// count_blocks_widest, flattened, can take it in.
using widest_words = vector_types<64>::words;
DIE_ROLL_WIDEST_VECTORS inline void xor3(widest_words& out, const widest_words& a,
                                         const widest_words& b, const widest_words& c)
{
    out = reinterpret_cast<widest_words>(
        _mm512_ternarylogic_epi64(reinterpret_cast<__m512i>(c), reinterpret_cast<__m512i>(a),
                                  reinterpret_cast<__m512i>(b), 0x96));
}
#else
#define DIE_ROLL_WIDE_VECTORS
#define DIE_ROLL_WIDEST_VECTORS
inline bool has_wide_vectors()
{
    return false;
}
inline bool has_widest_vectors()
{
    return false;
}
#endif

// The Windows C runtime sets errno to EINVAL for every system error it has
// no errno for (a broken pipe, a directory as input): there EINVAL says
// nothing about why a read or write failed.
#if defined(_WIN32)
inline constexpr bool einval_hides_the_reason = true;
#else
inline constexpr bool einval_hides_the_reason = false;
#endif
