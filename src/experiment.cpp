#include "experiment.h"

#include <chrono>

#include "roll_loop.h"

namespace {

// The program's die: its state is all that lasts from one experiment to the
// next.
draw_source die{0};

}  // namespace

void seed_die()
{
    // The real-time clock itself, not time(): glibc's time() reads the
    // kernel's coarse clock, which lags by up to a tick, so a run started
    // just after a second turns would seed from the second before. On
    // Windows, MinGW's library reads GetSystemTimePreciseAsFileTime where
    // the system has it (Windows 8 on), so no seam of our own is needed.
    const auto now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    seed_die_with(static_cast<std::uint32_t>(now.time_since_epoch().count()));
}

void seed_die_with(std::uint32_t seed)
{
    die = draw_source(seed);
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
    while (left > 0 && source.draws_pending() > 0) {
        count_draw(source.take_draw(), band_starts, at_least);
        --left;
    }
    // ...then whole blocks...
    count_blocks(source, left / block_draws, band_starts, at_least);
    left %= block_draws;
    // ...then part of one more, whose rest waits for the next experiment.
    for (; left > 0; --left) {
        count_draw(source.take_draw(), band_starts, at_least);
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
