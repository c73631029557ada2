#include "draw_source.h"

#include <cstddef>

std::uint64_t splitmix64_next(std::uint64_t& counter)
{
    // SplitMix64 (Steele, Lea and Flood, 2014): a Weyl sequence through a
    // bijective mixer. The increment is 2^64 divided by the golden ratio;
    // the shifts and multipliers are Stafford's "Mix13".
    std::uint64_t z = (counter += 0x9e3779b97f4a7c15);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
    z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
    return z ^ (z >> 31);
}

std::uint64_t xoshiro_next(xoshiro_state& s)
{
    std::uint64_t out = 0;
    xoshiro_step(out, s[0], s[1], s[2], s[3]);
    return out;
}

void xoshiro_jump(xoshiro_state& s, const std::array<std::uint64_t, 4>& jump)
{
    // The step is linear over GF(2), so a sum of powers of it applied to s is
    // the xor of the states s passes through at those powers.
    xoshiro_state sum = {0, 0, 0, 0};
    for (const std::uint64_t bits : jump) {
        for (int b = 0; b < 64; ++b) {
            if (((bits >> b) & 1U) != 0) {
                for (std::size_t w = 0; w < sum.size(); ++w) {
                    sum[w] ^= s[w];
                }
            }
            xoshiro_next(s);
        }
    }
    s = sum;
}

draw_source::draw_source(std::uint32_t seed)
{
    // SplitMix64 spreads the 32 seed bits over the first lane's 256 (as the
    // generator's authors advise); four successive SplitMix64 outputs are
    // distinct, so the state is never all zero. Each further lane starts
    // 2^128 steps after the one before.
    std::uint64_t counter = seed;
    xoshiro_state lane = {};
    for (auto& w : lane) {
        w = splitmix64_next(counter);
    }
    for (std::size_t j = 0; j < lane_count; ++j) {
        if (j > 0) {
            xoshiro_jump(lane, jump_2_128);
        }
        for (std::size_t w = 0; w < lane.size(); ++w) {
            word_[w][j] = lane[w];
        }
    }
}

void draw_source::make_block(std::array<std::uint16_t, block_draws>& draws)
{
    std::size_t i = 0;
    for (std::size_t j = 0; j < lane_count; ++j) {
        std::uint64_t out = 0;
        xoshiro_step(out, word_[0][j], word_[1][j], word_[2][j], word_[3][j]);
        for (int k = 0; k < draws_per_word; ++k) {
            draws[i++] = static_cast<std::uint16_t>((out >> (16 * k + 1)) & 0x7fff);
        }
    }
}

std::uint16_t draw_source::take_draw()
{
    if (next_pending_ == block_draws) {
        make_block(pending_);
        next_pending_ = 0;
    }
    return pending_[static_cast<std::size_t>(next_pending_++)];
}
