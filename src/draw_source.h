// The die's random source: draws uniform over 0 to 32767, one per roll.
//
// The bits come from xoshiro256++ (Blackman and Vigna, 2019), run as
// `lane_count` independent streams whose starting states lie 2^128 steps
// apart, so they cannot overlap in any run. Each step yields one 64-bit word
// per lane; every word is cut into four 16-bit pieces from the low end up,
// and the low 15 bits of each piece are one draw. The top bit of each piece
// is dropped, so every draw is uniform over exactly 32,768 values.
//
// One step of all lanes is a block of `block_draws` draws. The sequence of
// draws is block after block, and within a block lane after lane, piece
// after piece: block b, lane j, piece k is draw b*block_draws + 4*j + k.
// Draws made ahead of need wait in `pending` for the next caller, so every
// draw is used exactly once, in order.
//
// This file knows nothing of dice: the mapping of draws to faces lives in
// experiment.h.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

inline constexpr int max_draw = 32767;
inline constexpr int lane_count = 4;
inline constexpr int draws_per_word = 4;
inline constexpr int block_draws = lane_count * draws_per_word;

// xoshiro256++ state of one stream: four words, never all zero.
using xoshiro_state = std::array<std::uint64_t, 4>;

struct draw_source {
    // word[k][j] is word k of lane j's state: laid out by word so that one
    // step of all lanes is a handful of vector operations.
    std::uint64_t word[4][lane_count];
    // Draws already made but not yet used; pending[next_pending] is next.
    std::array<std::uint16_t, block_draws> pending;
    int next_pending;
};

// Fills all lanes from a 32-bit seed and empties the pending draws.
void seed_source(draw_source& source, std::uint32_t seed);

// The next draw of the sequence, 0 to 32767.
std::uint16_t take_draw(draw_source& source);

// The next block, bypassing the pending draws (the caller must have used
// them up). Inline, as the fast tally loop is built around it.
inline void make_block(draw_source& source, std::array<std::uint16_t, block_draws>& draws)
{
    std::uint64_t out[lane_count];
    auto& s = source.word;
    for (int j = 0; j < lane_count; ++j) {
        out[j] = std::rotl(s[0][j] + s[3][j], 23) + s[0][j];
        const std::uint64_t t = s[1][j] << 17;
        s[2][j] ^= s[0][j];
        s[3][j] ^= s[1][j];
        s[1][j] ^= s[2][j];
        s[0][j] ^= s[3][j];
        s[2][j] ^= t;
        s[3][j] = std::rotl(s[3][j], 45);
    }
    if constexpr (std::endian::native == std::endian::little) {
        // The pieces of each word already sit low end first in memory.
        std::memcpy(draws.data(), out, sizeof out);
        for (auto& d : draws) {
            d &= 0x7fff;
        }
    } else {
        std::size_t i = 0;
        for (const std::uint64_t word : out) {
            for (int k = 0; k < draws_per_word; ++k) {
                draws[i++] = static_cast<std::uint16_t>((word >> (16 * k)) & 0x7fff);
            }
        }
    }
}

// The building blocks of the generator, kept visible for their tests.
std::uint64_t splitmix64_next(std::uint64_t& counter);
std::uint64_t xoshiro_next(xoshiro_state& s);
// Replaces s by the sum (in GF(2), that is xor) of T^k(s) over every k whose
// bit is set in `jump`, bit b of jump[w] standing for k = 64*w + b, T being
// one step of the generator. The polynomial with only bit k set advances s
// by k steps.
void xoshiro_jump(xoshiro_state& s, const std::array<std::uint64_t, 4>& jump);
// The published polynomial that advances a stream by 2^128 steps.
inline constexpr std::array<std::uint64_t, 4> jump_2_128 = {0x180ec6d33cfd0aba, 0xd5a61266f0c9392c,
                                                            0xa9582618e03fc9aa, 0x39abdc4529b1661c};
