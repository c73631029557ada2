#include "experiment.h"

#include <bit>
#include <cstring>
#include <ctime>

#include "cpu_dispatch.h"

namespace {

// The program's die: its state is all that lasts from one experiment to the
// next.
draw_source die = [] {
    draw_source source{};
    seed_source(source, 0);
    return source;
}();

// Counts of draws at or above each band start. Face counts follow from
// them by differences, and counting them is five comparisons per draw
// with no data-dependent branch or memory access.
using edge_counts = std::array<std::uint64_t, 5>;

void count_draw(std::uint16_t draw, edge_counts& at_least)
{
    for (std::size_t e = 0; e < at_least.size(); ++e) {
        at_least[e] += draw >= band_starts[e] ? 1U : 0U;
    }
}

// The hot loop: whole blocks straight from the generator, counted in 16-bit
// lanes that hold one count per position in the block. A lane gains at most
// one per block, so it is folded into at_least before it can overflow.
//
// With GCC or Clang (MinGW included) on a little-endian target it is
// make_block and count_draw written over the compilers' vector extensions,
// in vectors of `bytes` bytes: one word of all lanes' states, or all draws
// of a block, fill 32 bytes, that is one AVX2 vector or two SSE2 ones.
// The tests hold it to the draw-by-draw tally.
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ && \
    !defined(DIE_ROLL_PLAIN_KERNEL)
template <int bytes>
DIE_ROLL_ALWAYS_INLINE inline void count_blocks_in(draw_source& source, std::uint64_t blocks,
                                                   edge_counts& at_least)
{
    static_assert(sizeof source.word[0] == 32 && block_draws * 2 == 32);
    // typedef, as GCC drops the attribute from a dependent alias.
    typedef std::uint64_t words __attribute__((vector_size(bytes)));  // NOLINT(modernize-use-using)
    typedef std::int16_t draws __attribute__((vector_size(bytes)));   // NOLINT(modernize-use-using)
    typedef std::uint16_t lane_counts                                 // NOLINT(modernize-use-using)
        __attribute__((vector_size(bytes)));
    constexpr int parts = 32 / bytes;

    words s[4][parts];
    std::memcpy(s, source.word, sizeof s);

    constexpr std::uint64_t fold_every = 0xffff;
    while (blocks > 0) {
        const std::uint64_t run = blocks < fold_every ? blocks : fold_every;
        blocks -= run;
        // Each lane of c[e] counts the draws at or above band_starts[e] in
        // its position; a vector comparison gives all ones where it holds.
        lane_counts c[5][parts] = {};
        for (std::uint64_t b = 0; b < run; ++b) {
            for (int p = 0; p < parts; ++p) {
                const words sum = s[0][p] + s[3][p];
                const words out = ((sum << 23) | (sum >> 41)) + s[0][p];
                const words t = s[1][p] << 17;
                s[2][p] ^= s[0][p];
                s[3][p] ^= s[1][p];
                s[1][p] ^= s[2][p];
                s[0][p] ^= s[3][p];
                s[2][p] ^= t;
                s[3][p] = (s[3][p] << 45) | (s[3][p] >> 19);

                // Little-endian: the 16-bit pieces of each word in draw order.
                const draws d = reinterpret_cast<draws>(out) & 0x7fff;
                // Written as "above start - 1": the one comparison SSE2 has.
                for (std::size_t e = 0; e < 5; ++e) {
                    c[e][p] -= reinterpret_cast<lane_counts>(
                        d > static_cast<std::int16_t>(band_starts[e] - 1));
                }
            }
        }
        for (std::size_t e = 0; e < 5; ++e) {
            for (int p = 0; p < parts; ++p) {
                for (int i = 0; i < bytes / 2; ++i) {
                    at_least[e] += c[e][p][i];
                }
            }
        }
    }

    std::memcpy(source.word, s, sizeof s);
}

DIE_ROLL_WIDE_VECTORS
void count_blocks_wide(draw_source& source, std::uint64_t blocks, edge_counts& at_least)
{
    count_blocks_in<32>(source, blocks, at_least);
}

void count_blocks(draw_source& source, std::uint64_t blocks, edge_counts& at_least)
{
    static const bool wide = has_wide_vectors();
    if (wide) {
        count_blocks_wide(source, blocks, at_least);
    } else {
        count_blocks_in<16>(source, blocks, at_least);
    }
}
#else
// The plain path, for any other compiler.
void count_blocks(draw_source& source, std::uint64_t blocks, edge_counts& at_least)
{
    std::array<std::uint16_t, block_draws> draws{};
    for (; blocks > 0; --blocks) {
        make_block(source, draws);
        for (const std::uint16_t d : draws) {
            count_draw(d, at_least);
        }
    }
}
#endif

}  // namespace

void seed_die()
{
    seed_die_with(static_cast<std::uint32_t>(std::time(nullptr)));
}

void seed_die_with(std::uint32_t seed)
{
    seed_source(die, seed);
}

face_tally tally_rolls(int n)
{
    return tally_rolls_from(die, n);
}

face_tally tally_rolls_from(draw_source& source, int n)
{
    if (n <= 0) {
        return {};
    }
    const auto rolls = static_cast<std::uint64_t>(n);
    std::uint64_t left = rolls;
    edge_counts at_least = {};

    // Draws left over from the last experiment come first...
    while (left > 0 && source.next_pending < block_draws) {
        count_draw(take_draw(source), at_least);
        --left;
    }
    // ...then whole blocks...
    count_blocks(source, left / block_draws, at_least);
    left %= block_draws;
    // ...then part of one more, whose rest waits for the next experiment.
    for (; left > 0; --left) {
        count_draw(take_draw(source), at_least);
    }

    face_tally tally{};
    tally[0] = static_cast<std::int32_t>(rolls - at_least[0]);
    for (std::size_t f = 1; f < 5; ++f) {
        tally[f] = static_cast<std::int32_t>(at_least[f - 1] - at_least[f]);
    }
    tally[5] = static_cast<std::int32_t>(at_least[4]);
    return tally;
}

double chi_squared(const face_tally& tally, int n)
{
    if (n <= 0) {
        return 0.0;  // no rolls, nothing to stray from (and no division by zero)
    }
    // Summed face by face in this order, so that every build rounds alike.
    const double expected = n / 6.0;
    double sum = 0.0;
    for (const std::int32_t count : tally) {
        const double d = count - expected;
        sum += (d * d) / expected;
    }
    return sum;
}
