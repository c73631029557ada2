// The die, its tally and the chi-squared statistic of one experiment.
//
// The die is deliberately a little unfair: five thresholds that are not
// multiples of one sixth cut the scaled draw into bands of unequal width, so
// faces 1 and 2 come up slightly less often than faces 3 to 6. The statistic
// is taken against a fair die all the same, which makes it grow in
// proportion to the number of rolls.
#pragma once

#include <array>
#include <cstdint>

#include "draw_source.h"

// Counts per face: index 0 for face 1 through index 5 for face 6.
using face_tally = std::array<std::int32_t, 6>;

// Thresholds on the scaled draw, ascending; face f + 1 is the band below
// face_bounds[f].
inline constexpr std::array<double, 5> face_bounds = {0.16, 0.32, 0.49, 0.66, 0.83};

// The face index (0 to 5) of one draw (0 to 32767): the draw divided by the
// largest draw, compared strictly with each threshold in turn.
constexpr int face_for_draw(int draw)
{
    const double x = draw / 32767.0;
    int face = 0;
    while (face < 5 && !(x < face_bounds[static_cast<std::size_t>(face)])) {
        ++face;
    }
    return face;
}

// The first draw of each face from face 2 on: the same bands in integers,
// which lets the roll loop count whole vectors of draws by comparison.
// A draw d shows face 1 + (number of band_starts at or below d).
inline constexpr std::array<std::uint16_t, 5> band_starts = [] {
    std::array<std::uint16_t, 5> starts{};
    for (std::size_t f = 0; f < starts.size(); ++f) {
        // Start near the threshold and settle on the first draw above it.
        int d = static_cast<int>(face_bounds[f] * 32767.0);
        while (face_for_draw(d) <= static_cast<int>(f)) {
            ++d;
        }
        while (face_for_draw(d - 1) > static_cast<int>(f)) {
            --d;
        }
        starts[f] = static_cast<std::uint16_t>(d);
    }
    return starts;
}();

// Seeds the die from the real-time clock's whole seconds since 1970-01-01
// UTC (their low 32 bits), read at this call: two runs that read the clock
// within the same second roll the same. Runs started a moment apart may
// still read it in different seconds.
void seed_die();
// Seeds the die with a fixed seed, for repeatable experiments.
void seed_die_with(std::uint32_t seed);

// Rolls the die n times (not at all for n <= 0) and counts the faces.
face_tally tally_rolls(int n);
// The same, drawing from the given source instead of the program's die.
face_tally tally_rolls_from(draw_source& source, int n);

// Pearson's chi-squared statistic of the tally against a fair die, n being
// the number of rolls that made it (at least 1).
double chi_squared(const face_tally& tally, int n);
