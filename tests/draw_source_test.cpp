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

// The draws as the documented layout defines them, one word at a time.
std::vector<std::uint16_t> reference_draws(std::uint32_t seed, int blocks)
{
    std::uint64_t counter = seed;
    std::vector<xoshiro_state> lanes(lane_count);
    for (auto& w : lanes[0]) {
        w = splitmix64_next(counter);
    }
    for (std::size_t j = 1; j < lanes.size(); ++j) {
        lanes[j] = lanes[j - 1];
        xoshiro_jump(lanes[j], jump_2_128);
    }
    std::vector<std::uint16_t> draws;
    for (int b = 0; b < blocks; ++b) {
        for (auto& lane : lanes) {
            const std::uint64_t word = xoshiro_next(lane);
            for (int k = 0; k < draws_per_word; ++k) {
                draws.push_back(static_cast<std::uint16_t>((word >> (16 * k)) & 0x7fff));
            }
        }
    }
    return draws;
}

TEST(draw_source, draws_are_the_low_15_bits_of_each_16_bit_piece_lane_by_lane)
{
    for (const std::uint32_t seed : {0U, 1U, 0xffffffffU}) {
        const auto expected = reference_draws(seed, 5);
        draw_source source(seed);
        for (std::size_t i = 0; i < expected.size(); ++i) {
            ASSERT_EQ(source.take_draw(), expected[i]) << "seed " << seed << ", draw " << i;
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
