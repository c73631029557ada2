#include "experiment.h"

#include <ctime>

#include "platform.h"

namespace {

// The program's die: its state is all that lasts from one experiment to the
// next.
draw_source die{0};

// Counts of draws at or above each band start. Face counts follow from
// them by differences, and counting them is five comparisons per draw
// with no data-dependent branch or memory access.
using edge_counts = std::array<std::uint64_t, 5>;

void count_draw(std::uint16_t draw, edge_counts& at_least)
{
    // The top bit of (start - 1 - draw) in 32 bits is set where draw >=
    // start. Written as arithmetic, as compilers turn the comparisons into a
    // chain of branches (the edges ascend), each as unpredictable as a draw.
    for (std::size_t e = 0; e < at_least.size(); ++e) {
        at_least[e] += (band_starts[e] - 1U - std::uint32_t{draw}) >> 31;
    }
}

#if defined(DIE_ROLL_VECTORS)
// The hot loop: the generator hands whole blocks over as vectors of draws
// of `bytes` bytes; each is counted by five vector comparisons into 16-bit
// lanes that hold one count per position in the vector, folded into
// at_least before a lane can overflow. The tests hold it to the
// draw-by-draw tally.
template <int bytes>
struct lane_counter {
    using draws = draw_source::draw_vector<bytes>;
    using lanes = typename vector_types<bytes>::counts;

    edge_counts& at_least;
    lanes c[5] = {};

    DIE_ROLL_ALWAYS_INLINE void count(const draws& d)
    {
        // A comparison gives all ones where it holds; written as "above
        // start - 1", the one comparison SSE2 has.
        for (std::size_t e = 0; e < 5; ++e) {
            c[e] -= reinterpret_cast<lanes>(d > static_cast<std::int16_t>(band_starts[e] - 1));
        }
    }

    void fold()
    {
        for (std::size_t e = 0; e < 5; ++e) {
            for (int i = 0; i < bytes / 2; ++i) {
                at_least[e] += c[e][i];
            }
            c[e] = lanes{};
        }
    }
};

// Each vector counted adds at most one to a lane.
constexpr std::uint32_t lane_room = 0xffff;

// Counts each vector as the generator makes it.
template <int bytes>
struct counting_consumer {
    lane_counter<bytes>& counter;
    std::uint32_t room = lane_room;

    DIE_ROLL_ALWAYS_INLINE void operator()(const draw_source::draw_vector<bytes>& d)
    {
        counter.count(d);
        if (--room == 0) {
            counter.fold();
            room = lane_room;
        }
    }
};

// One loop that makes and counts the draws: the fastest where the vector
// registers hold the generator's state and the counters at once.
template <int bytes>
DIE_ROLL_ALWAYS_INLINE inline void count_blocks_in(draw_source& source, std::uint64_t blocks,
                                                   edge_counts& at_least)
{
    lane_counter<bytes> counter{at_least};
    counting_consumer<bytes> consumer{counter};
    source.make_blocks<bytes>(blocks, consumer);
    counter.fold();
}

// Where they do not (32-bit x86 with AVX2), the draws of `buffer_blocks`
// blocks (2 KiB, in the first-level cache) are made by one loop, fill_wide,
// and counted by another, each of which fits the registers.
struct draw_buffer_writer {
    draw_source::draw_vector<32>* at;

    DIE_ROLL_ALWAYS_INLINE void operator()(const draw_source::draw_vector<32>& d)
    {
        *at++ = d;
    }
};

constexpr int buffer_blocks = 64;

// Out of line, so that the generator's state lives in registers only while
// it fills the buffer.
DIE_ROLL_WIDE_VECTORS [[gnu::noinline]] void fill_wide(draw_source& source, std::uint64_t blocks,
                                                       draw_source::draw_vector<32>* buffer)
{
    draw_buffer_writer writer{buffer};
    source.make_blocks<32>(blocks, writer);
}

DIE_ROLL_WIDE_VECTORS
void count_blocks_wide(draw_source& source, std::uint64_t blocks, edge_counts& at_least)
{
    count_blocks_in<32>(source, blocks, at_least);
}

DIE_ROLL_WIDE_VECTORS
void count_blocks_wide_buffered(draw_source& source, std::uint64_t blocks, edge_counts& at_least)
{
    constexpr int per_block = draw_source::vectors_per_block<32>;
    lane_counter<32> counter{at_least};
    draw_source::draw_vector<32> buffer[buffer_blocks * per_block];
    std::uint32_t room = lane_room;
    while (blocks > 0) {
        const std::uint64_t n = blocks < buffer_blocks ? blocks : buffer_blocks;
        blocks -= n;
        const auto vectors = static_cast<std::uint32_t>(n * per_block);
        // Folded between fills, which keeps the fold out of the counting loop.
        if (vectors > room) {
            counter.fold();
            room = lane_room;
        }
        room -= vectors;
        fill_wide(source, n, buffer);
        for (std::uint32_t i = 0; i < vectors; ++i) {
            counter.count(buffer[i]);
        }
    }
    counter.fold();
}

void count_blocks_baseline(draw_source& source, std::uint64_t blocks, edge_counts& at_least)
{
    count_blocks_in<16>(source, blocks, at_least);
}
#else
// The plain path, for other compilers and big-endian targets.
void count_blocks_baseline(draw_source& source, std::uint64_t blocks, edge_counts& at_least)
{
    // Counted in a local copy, which the call that makes each block cannot
    // reach, so that the counts can stay in registers.
    edge_counts counts = at_least;
    std::array<std::uint16_t, block_draws> draws{};
    for (; blocks > 0; --blocks) {
        source.make_block(draws);
        for (const std::uint16_t d : draws) {
            count_draw(d, counts);
        }
    }
    at_least = counts;
}
#endif

using count_blocks_function = void (*)(draw_source&, std::uint64_t, edge_counts&);

count_blocks_function copy_of(roll_copy copy)
{
    switch (copy) {
        case roll_copy::baseline:
            return count_blocks_baseline;
#if defined(DIE_ROLL_VECTORS)
        case roll_copy::avx2:
            return has_wide_vectors() ? count_blocks_wide : nullptr;
        case roll_copy::avx2_buffered:
            return has_wide_vectors() ? count_blocks_wide_buffered : nullptr;
#else
        case roll_copy::avx2:
        case roll_copy::avx2_buffered:
            break;
#endif
    }
    return nullptr;
}

count_blocks_function count_blocks = copy_of(fastest_roll_copy());

}  // namespace

roll_copy fastest_roll_copy()
{
    // Measured with the x86-64 build held to eight vector registers, as
    // 32-bit x86 has (-ffixed-xmm8 to -ffixed-xmm15), for the largest
    // answer: avx2 0.57 s, avx2_buffered 0.40 s; with all sixteen, avx2
    // 0.32 s, avx2_buffered 0.40 s.
    if (!has_wide_vectors()) {
        return roll_copy::baseline;
    }
    return vector_registers < 16 ? roll_copy::avx2_buffered : roll_copy::avx2;
}

bool pin_roll_copy(roll_copy copy)
{
    const count_blocks_function chosen = copy_of(copy);
    if (chosen == nullptr) {
        return false;
    }
    count_blocks = chosen;
    return true;
}

void seed_die()
{
    seed_die_with(static_cast<std::uint32_t>(std::time(nullptr)));
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
        count_draw(source.take_draw(), at_least);
        --left;
    }
    // ...then whole blocks...
    count_blocks(source, left / block_draws, at_least);
    left %= block_draws;
    // ...then part of one more, whose rest waits for the next experiment.
    for (; left > 0; --left) {
        count_draw(source.take_draw(), at_least);
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
