#include "draw_source.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

TEST(splitmix64, matches_the_published_sequence_from_zero)
{
    std::uint64_t counter = 0;
    EXPECT_EQ(splitmix64_next(counter), 0xe220a8397b1dcdafU);
    EXPECT_EQ(splitmix64_next(counter), 0x6e789e6aa1b965f4U);
}

TEST(xoshiro, matches_the_published_sequence_from_one_two_three_four)
{
    // The first two follow by hand: rotl(1 + 4, 23) + 1 = 5 * 2^23 + 1, and
    // after one step the state is {7, 0, 2^18 + 2, 6 * 2^45}.
    xoshiro_state s = {1, 2, 3, 4};
    EXPECT_EQ(xoshiro_next(s), 41943041U);
    EXPECT_EQ(xoshiro_next(s), 58720359U);
    EXPECT_EQ(xoshiro_next(s), 3588806011781223U);
    EXPECT_EQ(xoshiro_next(s), 3591011842654386U);
}

xoshiro_state stepped(xoshiro_state s, int steps)
{
    for (int i = 0; i < steps; ++i) {
        xoshiro_next(s);
    }
    return s;
}

TEST(xoshiro, jump_by_a_single_power_advances_that_many_steps)
{
    const xoshiro_state start = {0x0123456789abcdef, 2, 3, 0xfedcba9876543210};
    for (const int k : {0, 1, 5, 63, 64, 100}) {
        std::array<std::uint64_t, 4> poly = {};
        poly[static_cast<std::size_t>(k / 64)] = std::uint64_t{1} << (k % 64);
        xoshiro_state s = start;
        xoshiro_jump(s, poly);
        EXPECT_EQ(s, stepped(start, k)) << "k = " << k;
    }
}

TEST(xoshiro, jump_by_a_sum_of_powers_is_the_xor_of_the_states)
{
    const xoshiro_state start = {11, 22, 33, 44};
    xoshiro_state s = start;
    xoshiro_jump(s, {0b1001, 0, 0, 0});
    const xoshiro_state a = stepped(start, 0);
    const xoshiro_state b = stepped(start, 3);
    for (std::size_t w = 0; w < s.size(); ++w) {
        EXPECT_EQ(s[w], a[w] ^ b[w]);
    }
}

TEST(draw_source, gives_the_known_first_draws_of_each_seed)
{
    // Written down from tools/known_draws.py, which computes them from the
    // published SplitMix64 and xoshiro256++ alone and finds the lanes 2^128
    // steps apart as the step's GF(2) matrix raised to 2^128, without the
    // jump polynomial: two blocks, lane after lane, piece after piece.
    struct known {
        std::uint32_t seed;
        std::array<std::uint16_t, std::size_t{2} * block_draws> draws;
    };
    const known rows[] = {
        {0,
         {4591,  9349,  11952, 10635, 10693, 10688, 26911, 4227,  2093,  28638, 2842,  12122, 788,
          19957, 3064,  4053,  17552, 2512,  6057,  27315, 21750, 11078, 28307, 3585,  23525, 12423,
          9322,  81,    26046, 24398, 32745, 15868, 27267, 25024, 14238, 12525, 9080,  20553, 9085,
          17158, 27195, 11526, 3269,  28431, 19706, 28058, 9006,  22144, 3045,  2774,  27097, 9090,
          23234, 31571, 24745, 29873, 17925, 6082,  12735, 27081, 23992, 15469, 12064, 32667}},
        {1,
         {24909, 14209, 26687, 26594, 25308, 22271, 18808, 28030, 4217,  26905, 30214, 26506, 5269,
          30525, 32599, 3243,  3923,  8443,  29742, 26249, 29400, 27359, 1537,  15483, 24963, 1822,
          2726,  31172, 4898,  22741, 8278,  31135, 28742, 19231, 8345,  24481, 24423, 5242,  30388,
          17642, 18818, 27220, 14182, 1740,  25980, 23704, 29093, 26699, 23007, 24585, 18327, 1642,
          20566, 4567,  2444,  25864, 2146,  9131,  15348, 30309, 32185, 19577, 1641,  15242}},
        {0xffffffff,
         {27242, 11162, 21892, 20563, 3795,  3450,  22533, 19326, 4672,  30126, 28789, 9024,  29892,
          5393,  7966,  4970,  2426,  21235, 6466,  14869, 23055, 4518,  23216, 14891, 21802, 30338,
          15261, 23982, 12168, 24535, 21141, 4986,  26678, 15386, 20384, 8952,  20796, 13488, 4810,
          13990, 29868, 16927, 14516, 20783, 10422, 1903,  18604, 19438, 80,    23614, 32414, 30193,
          27153, 17692, 26723, 6710,  18949, 29114, 28127, 27922, 32525, 1752,  29487, 1034}},
    };
    for (const known& row : rows) {
        draw_source source(row.seed);
        for (std::size_t i = 0; i < row.draws.size(); ++i) {
            ASSERT_EQ(source.take_draw(), row.draws[i]) << "seed " << row.seed << ", draw " << i;
        }
    }
}

TEST(draw_source, the_same_seed_gives_the_same_draws_and_another_seed_others)
{
    draw_source a(1765000000);
    draw_source b(1765000000);
    draw_source c(1765000001);
    int differing = 0;
    for (int i = 0; i < 1000; ++i) {
        const auto da = a.take_draw();
        ASSERT_EQ(da, b.take_draw());
        differing += da != c.take_draw() ? 1 : 0;
    }
    EXPECT_GT(differing, 990);
}

TEST(draw_source, reseeding_forgets_pending_draws)
{
    draw_source source(7);
    const std::uint16_t first = source.take_draw();
    source.take_draw();
    EXPECT_EQ(source.draws_pending(), block_draws - 2);
    source = draw_source(7);
    EXPECT_EQ(source.draws_pending(), 0);
    EXPECT_EQ(source.take_draw(), first);
}

// Pearson's statistic of observed counts against equal expectation.
double uniform_chi_squared(const std::vector<std::int64_t>& counts, std::int64_t total)
{
    const double expected = static_cast<double>(total) / static_cast<double>(counts.size());
    double sum = 0.0;
    for (const auto c : counts) {
        const double d = static_cast<double>(c) - expected;
        sum += d * d / expected;
    }
    return sum;
}

// A statistic with k degrees of freedom has mean k and standard deviation
// sqrt(2k); six of those either way is never reached by chance.
void expect_plausible(double statistic, double degrees)
{
    EXPECT_NEAR(statistic, degrees, 6.0 * std::sqrt(2.0 * degrees));
}

TEST(draw_source, every_value_from_0_to_32767_is_equally_likely)
{
    draw_source source(20261208);
    constexpr std::int64_t n = 4'000'000;
    std::vector<std::int64_t> counts(max_draw + 1);
    for (std::int64_t i = 0; i < n; ++i) {
        const std::uint16_t d = source.take_draw();
        ASSERT_LE(d, max_draw);
        ++counts[d];
    }
    EXPECT_GT(counts[0], 0);
    EXPECT_GT(counts[max_draw], 0);
    expect_plausible(uniform_chi_squared(counts, n), max_draw);
}

TEST(draw_source, successive_draws_are_independent_in_their_high_bits)
{
    // Pairs of neighbours cross pieces of one word, words of two lanes and
    // blocks, so a flaw in how they are cut or interleaved shows here.
    draw_source source(42);
    constexpr std::int64_t pairs = 2'000'000;
    std::vector<std::int64_t> counts(256);
    for (std::int64_t i = 0; i < pairs; ++i) {
        const std::size_t high_first = source.take_draw() >> 11U;
        const std::size_t high_second = source.take_draw() >> 11U;
        ++counts[high_first * 16 + high_second];
    }
    expect_plausible(uniform_chi_squared(counts, pairs), 255);
}

}  // namespace
