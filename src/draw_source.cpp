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
    // One step of xoshiro256++; make_block does the same for all lanes.
    const std::uint64_t result = std::rotl(s[0] + s[3], 23) + s[0];
    const std::uint64_t t = s[1] << 17;
    s[2] ^= s[0];
    s[3] ^= s[1];
    s[1] ^= s[2];
    s[0] ^= s[3];
    s[2] ^= t;
    s[3] = std::rotl(s[3], 45);
    return result;
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

void seed_source(draw_source& source, std::uint32_t seed)
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
    for (int j = 0; j < lane_count; ++j) {
        if (j > 0) {
            xoshiro_jump(lane, jump_2_128);
        }
        for (std::size_t w = 0; w < lane.size(); ++w) {
            source.word[w][j] = lane[w];
        }
    }
    source.pending = {};
    source.next_pending = block_draws;
}

std::uint16_t take_draw(draw_source& source)
{
    if (source.next_pending == block_draws) {
        make_block(source, source.pending);
        source.next_pending = 0;
    }
    return source.pending[static_cast<std::size_t>(source.next_pending++)];
}
