// The die's random source: draws uniform over 0 to 32767, one per roll.
//
// The bits come from xoshiro256++ (Blackman and Vigna, 2019), run as
// `lane_count` (8) independent streams: SplitMix64 turns the 32-bit seed
// into lane 0's four state words, and lane j + 1 starts 2^128 steps after
// lane j, so no two lanes can overlap in any run. Each step yields one
// 64-bit word per lane; every word is cut into four 16-bit pieces from the
// low end up, and the high 15 bits of each piece (piece >> 1) are one draw,
// uniform over exactly 32,768 values. A draw is then at or above a value s
// exactly when its piece, read unsigned, is at or above 2s.
//
// One step of all lanes is a block of `block_draws` (32) draws. The
// sequence of draws is block after block, and within a block lane after
// lane, piece after piece: block b, lane j, piece k is draw
// b*block_draws + 4*j + k. Draws made ahead of need wait for the next
// caller, so every draw is used exactly once, in order.
//
// A count over whole blocks does not depend on the order in which the
// lanes are stepped, so make_blocks steps as many lanes at once as the
// caller's registers hold and hands the pieces over in whatever order that
// gives; every way of stepping leaves the same state.
//
// This file knows nothing of dice: the mapping of draws to faces lives in
// experiment.h.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

#include "platform.h"

inline constexpr int max_draw = 32767;
inline constexpr int lane_count = 8;
inline constexpr int draws_per_word = 4;
inline constexpr int block_draws = lane_count * draws_per_word;

// One step of xoshiro256++ on the state s0..s3: sets `out` to the output
// and advances the state. `word` is std::uint64_t, or a vector of them that
// steps as many streams at once; the rotations are written as shifts so
// that both take them. (The output is no return value, as returning a
// vector by value draws an ABI warning where the caller is built for AVX2.)
//
// The published step xors in place: s2 ^= s0, s3 ^= s1, s1 ^= s2, s0 ^= s3,
// s2 ^= t. Here s1 and s2 each become the xor of three words, through xor3
// (platform.h): one instruction where the copy is built for AVX-512, and
// elsewhere the published xors, s2 ^ s0 made once for both.
template <class word>
DIE_ROLL_ALWAYS_INLINE inline void xoshiro_step(word& out, word& s0, word& s1, word& s2, word& s3)
{
    const word sum = s0 + s3;
    out = ((sum << 23) | (sum >> 41)) + s0;
    const word t = s1 << 17;
    s3 ^= s1;
    xor3(s1, s2, s0, s1);
    xor3(s2, s2, s0, t);
    s0 ^= s3;
    s3 = (s3 << 45) | (s3 >> 19);
}

class draw_source {
  public:
    // Fills all lanes from the seed; no draw is pending.
    explicit draw_source(std::uint32_t seed);

    // The next draw of the sequence, 0 to 32767.
    std::uint16_t take_draw();

    // How many draws of the last block made are still to be taken.
    [[nodiscard]] int draws_pending() const
    {
        return block_draws - next_pending_;
    }

#if defined(DIE_ROLL_VECTORS)
    // A vector of `bytes` bytes of 16-bit pieces, read unsigned.
    template <int bytes>
    using piece_vector = typename vector_types<bytes>::pieces;

    // Makes `blocks` whole blocks and hands every piece of them to
    // use(piece_vector<bytes>), a vector at a time: `lanes_at_once` lanes are
    // stepped together through all the blocks, then the next as many. No
    // draw may be pending. Inline, as the roll loop is built around it.
    template <int bytes, int lanes_at_once, class consumer>
    DIE_ROLL_ALWAYS_INLINE void make_blocks(std::uint64_t blocks, consumer&& use)
    {
        using words = typename vector_types<bytes>::words;
        constexpr int lanes_per_vector = bytes / static_cast<int>(sizeof(std::uint64_t));
        constexpr int parts = lanes_at_once / lanes_per_vector;
        static_assert(parts * lanes_per_vector == lanes_at_once && lane_count % lanes_at_once == 0);
        constexpr std::size_t size = sizeof(words);
        for (int first = 0; first < lane_count; first += lanes_at_once) {
            // The state of the lanes of one vector, as named members: GCC
            // keeps these in registers, where it spills a plain array of them.
            struct part_state {
                words s0, s1, s2, s3;
            } s[parts];
            for (int p = 0; p < parts; ++p) {
                const int j = first + p * lanes_per_vector;
                std::memcpy(&s[p].s0, &word_[0][j], size);
                std::memcpy(&s[p].s1, &word_[1][j], size);
                std::memcpy(&s[p].s2, &word_[2][j], size);
                std::memcpy(&s[p].s3, &word_[3][j], size);
            }
            for (std::uint64_t b = blocks; b > 0; --b) {
                for (int p = 0; p < parts; ++p) {
                    words out;
                    xoshiro_step(out, s[p].s0, s[p].s1, s[p].s2, s[p].s3);
                    // Little-endian: the pieces of each word low end first.
                    use(reinterpret_cast<piece_vector<bytes>>(out));
                }
            }
            for (int p = 0; p < parts; ++p) {
                const int j = first + p * lanes_per_vector;
                std::memcpy(&word_[0][j], &s[p].s0, size);
                std::memcpy(&word_[1][j], &s[p].s1, size);
                std::memcpy(&word_[2][j], &s[p].s2, size);
                std::memcpy(&word_[3][j], &s[p].s3, size);
            }
        }
    }
#endif

    // Makes one whole block into `draws`. No draw may be pending.
    void make_block(std::array<std::uint16_t, block_draws>& draws);

  private:
    // word_[k][j] is word k of lane j's state: laid out by word so that one
    // step of all lanes is a handful of vector operations.
    std::uint64_t word_[4][lane_count] = {};
    // Draws already made but not yet taken; pending_[next_pending_] is next.
    std::array<std::uint16_t, block_draws> pending_ = {};
    int next_pending_ = block_draws;
};

// The building blocks of the generator, kept visible for their tests.
using xoshiro_state = std::array<std::uint64_t, 4>;
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
