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
        {0, {9183,  18699, 23905, 21271, 21387, 21376, 21055, 8455,  4187,  24509, 5684,
             24245, 1577,  7147,  6129,  8107,  21767, 17280, 28477, 25050, 18160, 8338,
             18171, 1548,  21622, 23052, 6539,  24095, 6645,  23349, 18013, 11520}},
        {1, {17051, 28419, 20607, 20421, 17849, 11775, 4849,  23293, 8434,  21043, 27660,
             20244, 10539, 28283, 32430, 6487,  24717, 5695,  16690, 16194, 16079, 10485,
             28008, 2517,  4869,  21672, 28365, 3481,  19193, 14640, 25419, 20631}},
        {0xffffffff, {21717, 22324, 11017, 8359,  7591,  6901,  12299, 5884, 9344,  27484, 24810,
                      18049, 27016, 10786, 15933, 9940,  20588, 30773, 8000, 17904, 8825,  26977,
                      9621,  27981, 26969, 1086,  29032, 8799,  20845, 3807, 4441,  6108}},
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
