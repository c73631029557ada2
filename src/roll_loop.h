// The roll loop: counts whole blocks of draws against five edges, in copies
// built for the processors it may run on, one of them chosen at run time.
//
// It knows nothing of what the edges mean: for each edge it counts the draws
// at or above it, and its caller makes of those counts what it will (the
// die's faces, in experiment.cpp).
#pragma once

#include <array>
#include <cstdint>

#include "draw_source.h"

// Five draw values, each from 0 to max_draw.
using draw_edges = std::array<std::uint16_t, 5>;
// at_least[e] counts the draws at or above edges[e].
using edge_counts = std::array<std::uint64_t, 5>;

// Counts one draw: five comparisons, with no data-dependent branch or
// memory access.
inline void count_draw(std::uint16_t draw, const draw_edges& edges, edge_counts& at_least)
{
    // The top bit of (edge - 1 - draw) in 32 bits is set where draw >=
    // edge. Written as arithmetic, as compilers turn the comparisons into a
    // chain of branches (where the edges ascend), each as unpredictable as
    // a draw.
    for (std::size_t e = 0; e < at_least.size(); ++e) {
        at_least[e] += (edges[e] - 1U - std::uint32_t{draw}) >> 31;
    }
}

// Makes `blocks` whole blocks of the source and adds their draws to
// at_least. No draw of the source may be pending.
void count_blocks(draw_source& source, std::uint64_t blocks, const draw_edges& edges,
                  edge_counts& at_least);

// The copies of the roll loop: the target's baseline, in one loop and in two
// loops over a small buffer of pieces; AVX2, in one loop and in two, for
// processors with few vector registers; AVX-512. count_blocks runs the fastest one that this
// processor can run; the tests and the benchmark pin each in turn. In a
// plain-kernel build the baseline copy is the plain loop and the only one.
enum class roll_copy { baseline, baseline_buffered, avx2, avx2_buffered, avx512 };
// Makes count_blocks use that copy from now on; false, with nothing
// changed, where this build or processor cannot run it.
bool pin_roll_copy(roll_copy copy);
// The copy count_blocks uses when none is pinned.
roll_copy fastest_roll_copy();
