#include "experiment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "platform.h"
#include "roll_loop.h"

namespace {

// How many of the 32768 draws each face takes: the widths of its band.
constexpr face_tally band_widths{5243, 5243, 5570, 5571, 5570, 5571};

std::string printed(double value)
{
    std::ostringstream out;
    out << value;
    return out.str();
}

// --- the bands ---

TEST(face_for_draw, the_extreme_draws_give_faces_one_and_six)
{
    EXPECT_EQ(face_for_draw(0), 0);
    EXPECT_EQ(face_for_draw(32767), 5);
}

TEST(face_for_draw, neighbouring_draws_across_each_edge_fall_either_side)
{
    const int last_of_lower[] = {5242, 10485, 16055, 21626, 27196};
    for (int f = 0; f < 5; ++f) {
        EXPECT_EQ(face_for_draw(last_of_lower[f]), f);
        EXPECT_EQ(face_for_draw(last_of_lower[f] + 1), f + 1);
    }
}

TEST(face_for_draw, all_draws_fill_the_bands_of_the_table)
{
    face_tally counts{};
    for (int d = 0; d <= 32767; ++d) {
        ++counts[static_cast<std::size_t>(face_for_draw(d))];
    }
    EXPECT_EQ(counts, band_widths);
}

TEST(band_starts, give_the_face_of_face_for_draw_for_every_draw)
{
    for (int d = 0; d <= 32767; ++d) {
        int face = 0;
        for (const auto start : band_starts) {
            face += d >= start ? 1 : 0;
        }
        ASSERT_EQ(face, face_for_draw(d)) << "draw " << d;
    }
}

// --- rolling ---

// Rolls n times one draw at a time through face_for_draw: the plain
// definition the fast tally must agree with.
face_tally plain_tally(draw_source& source, int n)
{
    face_tally tally{};
    for (int i = 0; i < n; ++i) {
        ++tally[static_cast<std::size_t>(face_for_draw(source.take_draw()))];
    }
    return tally;
}

TEST(tally_rolls, one_roll_counts_one_face)
{
    // Seed 1's first draw is 24909 (see draw_source_test.cpp), which is
    // 0.76 of the largest draw: face 5.
    seed_die_with(1);
    EXPECT_EQ(tally_rolls(1), (face_tally{0, 0, 0, 0, 1, 0}));
}

TEST(tally_rolls, no_rolls_for_zero_or_negative_counts)
{
    EXPECT_EQ(tally_rolls(0), face_tally{});
    EXPECT_EQ(tally_rolls(-5), face_tally{});
    EXPECT_EQ(tally_rolls(std::numeric_limits<int>::min()), face_tally{});
}

TEST(tally_rolls, the_same_seed_rolls_the_same)
{
    seed_die_with(1765152000);
    const face_tally first = tally_rolls(1000);
    seed_die_with(1765152000);
    EXPECT_EQ(tally_rolls(1000), first);
}

TEST(seed_die, seeds_with_the_seconds_of_the_real_time_clock_from_the_start_of_one)
{
    // Seeded just after the clock has passed a whole second: a clock that
    // lags the real time (as time() does on Linux, by up to a tick) would
    // still give the second before. Retried should the clock tick between
    // seeding and checking.
    using std::chrono::seconds;
    using std::chrono::system_clock;
    for (int attempt = 0; attempt < 5; ++attempt) {
        const auto before = std::chrono::floor<seconds>(system_clock::now());
        auto second = before;
        while (second == before) {
            second = std::chrono::floor<seconds>(system_clock::now());
        }
        seed_die();
        const face_tally from_clock = tally_rolls(1000);
        if (std::chrono::floor<seconds>(system_clock::now()) != second) {
            continue;
        }
        // The low 32 bits of the seconds since 1970-01-01 UTC.
        seed_die_with(static_cast<std::uint32_t>(second.time_since_epoch().count()));
        EXPECT_EQ(tally_rolls(1000), from_clock);
        return;
    }
    FAIL() << "the clock kept ticking";
}

// Runs `check` once with each copy of the roll loop that this processor
// can run pinned, then lets tally_rolls choose again.
template <class check_function>
void for_each_roll_copy(check_function check)
{
    for (const roll_copy copy : {roll_copy::baseline, roll_copy::baseline_buffered, roll_copy::avx2,
                                 roll_copy::avx2_buffered, roll_copy::avx512}) {
        if (pin_roll_copy(copy)) {
            SCOPED_TRACE("roll copy " + std::to_string(static_cast<int>(copy)));
            check();
        }
    }
    pin_roll_copy(fastest_roll_copy());
}

TEST(roll_copy, every_copy_this_processor_has_can_be_pinned)
{
    EXPECT_TRUE(pin_roll_copy(roll_copy::baseline));
#if defined(DIE_ROLL_VECTORS)
    EXPECT_TRUE(pin_roll_copy(roll_copy::baseline_buffered));
#else
    EXPECT_FALSE(pin_roll_copy(roll_copy::baseline_buffered));
#endif
    EXPECT_EQ(pin_roll_copy(roll_copy::avx2), has_wide_vectors());
    EXPECT_EQ(pin_roll_copy(roll_copy::avx2_buffered), has_wide_vectors());
    EXPECT_EQ(pin_roll_copy(roll_copy::avx512), has_widest_vectors());
    // The choice: AVX-512 wherever it runs, else the AVX2 copy that suits
    // the build's vector registers, else the baseline that suits the target.
    const roll_copy wide = vector_registers < 16 ? roll_copy::avx2_buffered : roll_copy::avx2;
    const roll_copy baseline =
        buffer_baseline_draws ? roll_copy::baseline_buffered : roll_copy::baseline;
    EXPECT_EQ(fastest_roll_copy(), has_widest_vectors() ? roll_copy::avx512
                                   : has_wide_vectors() ? wide
                                                        : baseline);
    pin_roll_copy(fastest_roll_copy());
}

TEST(count_blocks, counts_against_any_edges_from_zero_to_the_largest_draw)
{
    // 1,280,000 draws: about 39 of each single value, so the top edges
    // are crossed too.
    const draw_edges edges = {0, 1, 16384, max_draw - 1, max_draw};
    constexpr std::uint64_t blocks = 40'000;
    for_each_roll_copy([&] {
        draw_source fast(3);
        draw_source plain(3);
        edge_counts counted = {};
        count_blocks(fast, blocks, edges, counted);
        edge_counts expected = {};
        for (std::uint64_t i = 0; i < blocks * block_draws; ++i) {
            const std::uint16_t d = plain.take_draw();
            for (std::size_t e = 0; e < edges.size(); ++e) {
                expected[e] += d >= edges[e] ? 1 : 0;
            }
        }
        ASSERT_GT(expected[4], 0U);
        EXPECT_EQ(expected[0], blocks * block_draws);
        EXPECT_EQ(counted, expected);
        edge_counts one_by_one = {};
        draw_source single(3);
        for (std::uint64_t i = 0; i < blocks * block_draws; ++i) {
            count_draw(single.take_draw(), edges, one_by_one);
        }
        EXPECT_EQ(one_by_one, expected);
    });
}

TEST(tally_rolls_from, equals_the_draw_by_draw_tally_around_every_block_size)
{
    // A 16-bit lane of the AVX2 loop gains two a block (a block is two of
    // its vectors), one of the baseline loop four, and each is folded before
    // it overflows: the sizes sit around the AVX2 loop's folds, every
    // second one of the baseline's.
    constexpr int fold = 32767 * block_draws;
    const int sizes[] = {fold - 1, fold,         fold + 1,     2 * fold - 1,
                         2 * fold, 2 * fold + 1, 4 * fold + 3, 3'000'001};
    for_each_roll_copy([&] {
        for (const int n : sizes) {
            draw_source fast(99);
            draw_source plain(99);
            ASSERT_EQ(tally_rolls_from(fast, n), plain_tally(plain, n)) << "n = " << n;
            // Both sources have used exactly n draws.
            EXPECT_EQ(fast.take_draw(), plain.take_draw()) << "n = " << n;
        }
    });
}

TEST(tally_rolls_from, counts_the_draws_either_side_of_every_edge_on_every_path)
{
    // Each draw of interest is found in a seeded source, then rolled alone
    // (the draw-by-draw path that takes pending draws) and within its whole
    // block (the vector path).
    std::vector<std::uint16_t> wanted = {0, max_draw};
    for (const auto start : band_starts) {
        wanted.push_back(static_cast<std::uint16_t>(start - 1));
        wanted.push_back(start);
    }
    struct found {
        draw_source block_start;
        int offset;
        std::uint16_t draw;
    };
    std::vector<found> places;
    draw_source probe(7);
    draw_source block_start = probe;
    for (int i = 0; !wanted.empty(); ++i) {
        if (i % block_draws == 0) {
            block_start = probe;
        }
        const std::uint16_t d = probe.take_draw();
        const auto at = std::find(wanted.begin(), wanted.end(), d);
        if (at != wanted.end()) {
            places.push_back({block_start, i % block_draws, d});
            wanted.erase(at);
        }
    }
    for_each_roll_copy([&] {
        for (const found& place : places) {
            draw_source alone = place.block_start;
            for (int k = 0; k < place.offset; ++k) {
                alone.take_draw();
            }
            face_tally one{};
            one[static_cast<std::size_t>(face_for_draw(place.draw))] = 1;
            EXPECT_EQ(tally_rolls_from(alone, 1), one) << "draw " << place.draw;
            draw_source whole = place.block_start;
            draw_source plain = place.block_start;
            EXPECT_EQ(tally_rolls_from(whole, block_draws), plain_tally(plain, block_draws))
                << "draw " << place.draw;
        }
    });
}

TEST(tally_rolls_from, every_split_uses_the_draws_of_one_experiment_in_order)
{
    // The first experiment leaves every count of draws pending, 0 to 31;
    // the second then takes every remainder, with up to three whole blocks
    // between.
    const draw_source seeded(5);
    for_each_roll_copy([&] {
        for (int a = 0; a < block_draws; ++a) {
            for (int b = 1; b <= 3 * block_draws + block_draws; ++b) {
                draw_source fast = seeded;
                draw_source plain = seeded;
                ASSERT_EQ(tally_rolls_from(fast, a), plain_tally(plain, a)) << a << " then " << b;
                ASSERT_EQ(fast.draws_pending(), plain.draws_pending()) << a << " then " << b;
                ASSERT_EQ(tally_rolls_from(fast, b), plain_tally(plain, b)) << a << " then " << b;
                ASSERT_EQ(fast.take_draw(), plain.take_draw()) << a << " then " << b;
            }
        }
    });
}

TEST(tally_rolls, the_largest_answer_is_counted_without_overflow)
{
    // Under an emulator (DIE_ROLL_EMULATED, set by CTest for the qemu
    // builds) a smaller answer that still crosses many folds of the lanes.
    const int n = std::getenv("DIE_ROLL_EMULATED") != nullptr
                      ? 100'000'007
                      : std::numeric_limits<std::int32_t>::max();
    seed_die_with(11);
    const face_tally tally = tally_rolls(n);
    // Each count within six standard deviations of n p: never missed by
    // chance, and far from anything a wrapped or lost count would give.
    for (std::size_t f = 0; f < tally.size(); ++f) {
        const double p = band_widths[f] / 32768.0;
        const double mean = n * p;
        EXPECT_NEAR(tally[f], mean, 6.0 * std::sqrt(mean * (1.0 - p))) << "face " << f + 1;
    }
}

// --- the statistic ---

TEST(chi_squared, one_roll_gives_five_whichever_face)
{
    for (std::size_t f = 0; f < 6; ++f) {
        face_tally tally{};
        tally[f] = 1;
        EXPECT_NEAR(chi_squared(tally, 1), 5.0, 1e-12);
        EXPECT_EQ(printed(chi_squared(tally, 1)), "5");
    }
}

TEST(chi_squared, two_rolls_give_ten_when_alike_and_four_when_not)
{
    EXPECT_EQ(printed(chi_squared({0, 0, 2, 0, 0, 0}, 2)), "10");
    EXPECT_EQ(printed(chi_squared({1, 0, 0, 0, 0, 1}, 2)), "4");
    EXPECT_NEAR(chi_squared({0, 0, 2, 0, 0, 0}, 2), 10.0, 1e-12);
    EXPECT_NEAR(chi_squared({0, 1, 1, 0, 0, 0}, 2), 4.0, 1e-12);
}

TEST(chi_squared, equal_counts_give_exactly_zero)
{
    EXPECT_EQ(chi_squared({1, 1, 1, 1, 1, 1}, 6), 0.0);
    EXPECT_EQ(chi_squared({100, 100, 100, 100, 100, 100}, 600), 0.0);
    EXPECT_EQ(printed(chi_squared({7, 7, 7, 7, 7, 7}, 42)), "0");
}

TEST(chi_squared, the_six_hundred_roll_example_gives_0_56)
{
    const double value = chi_squared({97, 95, 104, 102, 101, 101}, 600);
    EXPECT_NEAR(value, 0.56, 1e-12);
    EXPECT_EQ(printed(value), "0.56");
}

TEST(chi_squared, is_summed_face_by_face_in_order)
{
    // Computed in IEEE double, step by step as the program takes them (d =
    // count - n/6, then d * d / (n/6) added face by face, left to right).
    // The sum taken from face 6 down and the sum of squares divided once
    // differ from both in the last bits, d * (d / (n/6)) from the second,
    // and the shortcut (6/n) * sum(count^2) - n gives 0 for the first.
    struct row {
        face_tally tally;
        int n;
        double statistic;
    };
    const row rows[] = {
        {{357913941, 357913942, 357913941, 357913941, 357913941, 357913941},
         2147483647,
         0x1.400000028000ep-29},
        {{101723, 101932, 107607, 108099, 108037, 108193}, 635591, 0x1.df2de60a89fc4p+8},
    };
    for (const row& r : rows) {
        EXPECT_EQ(chi_squared(r.tally, r.n), r.statistic) << r.n;
    }
}

TEST(chi_squared, values_of_a_million_and_more_print_in_exponent_notation)
{
    EXPECT_EQ(printed(chi_squared({200000, 0, 0, 0, 0, 0}, 200000)), "1e+06");
    EXPECT_EQ(printed(chi_squared({199999, 0, 0, 0, 0, 0}, 199999)), "999995");
}

TEST(chi_squared, no_rolls_give_zero_rather_than_a_division_by_zero)
{
    EXPECT_EQ(chi_squared({}, 0), 0.0);
}

// The mean statistic over experiments of n rolls is 6 (1 - sum p^2) plus
// 6 n sum (p - 1/6)^2 for face probabilities p: about 85 for these bands
// at n = 100,000, and 5 for a fair die. Moving any one threshold to the
// nearest sixth shifts the mean by 13 or more; the statistic's standard
// deviation is about 18, so the mean of 1000 experiments lies within 0.6
// of its expectation, and the tolerance of 4 is over six of those.
TEST(tally_rolls, mean_statistic_grows_with_the_unfair_bands)
{
    constexpr int n = 100'000;
    double squares = 0.0;
    double offsets = 0.0;
    for (const int width : band_widths) {
        const double q = width / 32768.0;
        squares += q * q;
        offsets += (q - 1.0 / 6.0) * (q - 1.0 / 6.0);
    }
    const double expected_mean = 6.0 * (1.0 - squares) + 6.0 * n * offsets;
    ASSERT_NEAR(expected_mean, 85.0, 1.0);

    constexpr int experiments = 1000;
    seed_die_with(20261208);
    double total = 0.0;
    for (int i = 0; i < experiments; ++i) {
        total += chi_squared(tally_rolls(n), n);
    }
    EXPECT_NEAR(total / experiments, expected_mean, 4.0);
}

}  // namespace
