#include "roll_loop.h"

#include "platform.h"

#if defined(DIE_ROLL_X86_COPIES)
#include <immintrin.h>
#endif

namespace {

#if defined(DIE_ROLL_VECTORS)
template <int bytes>
using piece_vector = draw_source::piece_vector<bytes>;

// The baseline and AVX2 copies: each vector of pieces is counted by five
// vector comparisons into 16-bit lanes that hold one count per position in
// the vector, folded into at_least before a lane can overflow. The tests
// hold every copy to the draw-by-draw tally.
template <int bytes>
struct lane_counter {
    using lanes = typename vector_types<bytes>::counts;
    using draws = typename vector_types<bytes>::draws;

    edge_counts& at_least;
    // The draws, 0 to 32767, are compared signed (the one kind of 16-bit
    // comparison SSE2 and AVX2 have) as "above edge - 1", which is -1 to
    // 32766.
    std::int16_t below[5] = {};
    lanes c[5] = {};

    lane_counter(const draw_edges& edges, edge_counts& counts) : at_least(counts)
    {
        for (std::size_t e = 0; e < 5; ++e) {
            below[e] = static_cast<std::int16_t>(edges[e] - 1);
        }
    }

    // A comparison gives all ones, -1, where it holds: subtracted, it counts
    // one; where lanes count down (platform.h), added, and the fold negates
    // the lanes.
    DIE_ROLL_ALWAYS_INLINE void count(const piece_vector<bytes>& pieces)
    {
        const auto d = reinterpret_cast<draws>(pieces >> 1);
        for (std::size_t e = 0; e < 5; ++e) {
            if constexpr (count_lanes_down) {
                c[e] += reinterpret_cast<lanes>(d > below[e]);
            } else {
                c[e] -= reinterpret_cast<lanes>(d > below[e]);
            }
        }
    }

    void fold()
    {
        for (std::size_t e = 0; e < 5; ++e) {
            const lanes counted = count_lanes_down ? lanes{} - c[e] : c[e];
            for (int i = 0; i < bytes / 2; ++i) {
                at_least[e] += counted[i];
            }
            c[e] = lanes{};
        }
    }
};

// Each vector counted adds at most one to a lane.
constexpr std::uint32_t lane_room = 0xffff;

// The vectors of `bytes` bytes that one block of draws fills.
template <int bytes>
constexpr std::uint64_t vectors_per_block = block_draws * sizeof(std::uint16_t) / bytes;

// Counts each vector as the generator makes it.
template <int bytes>
struct counting_consumer {
    lane_counter<bytes>& counter;
    std::uint32_t room = lane_room;

    DIE_ROLL_ALWAYS_INLINE void operator()(const piece_vector<bytes>& pieces)
    {
        counter.count(pieces);
        if (--room == 0) {
            counter.fold();
            room = lane_room;
        }
    }
};

// One loop that makes and counts the draws, stepping `lanes_at_once` lanes
// together: the fastest where the vector registers hold their state and
// the counters at once.
template <int bytes, int lanes_at_once>
DIE_ROLL_ALWAYS_INLINE inline void count_blocks_in(draw_source& source, std::uint64_t blocks,
                                                   const draw_edges& edges, edge_counts& at_least)
{
    lane_counter<bytes> counter(edges, at_least);
    counting_consumer<bytes> consumer{counter};
    source.make_blocks<bytes, lanes_at_once>(blocks, consumer);
    counter.fold();
}

// Counts each vector, with no fold: for chunks too small to fill a lane.
template <int bytes>
struct chunk_consumer {
    lane_counter<bytes>& counter;

    DIE_ROLL_ALWAYS_INLINE void operator()(const piece_vector<bytes>& pieces)
    {
        counter.count(pieces);
    }
};

// Where the registers cannot hold the generator's state and the counters
// at once, the draws of `fill_blocks` blocks (a few hundred bytes to 2 KiB,
// in the first-level cache) are made by one loop, `fill`, and counted by
// another, each of which fits the registers. `fill` is out of line, so that
// the generator's state lives in registers only while it fills the buffer.
template <int bytes>
struct buffer_writer {
    piece_vector<bytes>* at;

    DIE_ROLL_ALWAYS_INLINE void operator()(const piece_vector<bytes>& pieces)
    {
        *at++ = pieces;
    }
};

template <int bytes, std::uint64_t fill_blocks,
          void fill(draw_source&, std::uint64_t, piece_vector<bytes>*)>
DIE_ROLL_ALWAYS_INLINE inline void count_blocks_buffered(draw_source& source, std::uint64_t blocks,
                                                         const draw_edges& edges,
                                                         edge_counts& at_least)
{
    constexpr std::uint64_t per_block = vectors_per_block<bytes>;
    lane_counter<bytes> counter(edges, at_least);
    piece_vector<bytes> buffer[fill_blocks * per_block];
    std::uint32_t room = lane_room;
    while (blocks > 0) {
        const std::uint64_t n = blocks < fill_blocks ? blocks : fill_blocks;
        blocks -= n;
        const auto vectors = static_cast<std::uint32_t>(n * per_block);
        // Folded between fills, which keeps the fold out of the counting loop.
        if (vectors > room) {
            counter.fold();
            room = lane_room;
        }
        room -= vectors;
        fill(source, n, buffer);
        for (std::uint32_t i = 0; i < vectors; ++i) {
            counter.count(buffer[i]);
        }
    }
    counter.fold();
}

// The baseline copy: what the native builds run where the processor has
// no wider vectors (SSE2 on x86-64, NEON on Arm, the baseline preset).
// WebAssembly takes the buffered copy below instead (platform.h); natively
// this one loop is as fast or a little faster (3% in the benchmark's
// fast_tally rows, docs/speed.md), and so it stays. It makes its blocks in
// chunks too small to fill a lane and folds between them, so that its loop
// has no branch but its own: with the fold's test inside the loop, V8 moved
// the generator's state between registers and the stack at every step, and
// GCC's SSE2 code is as fast either way. GCC's AVX2 copy goes the other
// way, 7% slower in chunks, and keeps the test inside (docs/speed.md).
void count_blocks_baseline(draw_source& source, std::uint64_t blocks, const draw_edges& edges,
                           edge_counts& at_least)
{
    constexpr int bytes = 16;
    constexpr std::uint64_t chunk_blocks = lane_room / vectors_per_block<bytes>;
    lane_counter<bytes> counter(edges, at_least);
    chunk_consumer<bytes> consumer{counter};
    while (blocks > 0) {
        const std::uint64_t n = blocks < chunk_blocks ? blocks : chunk_blocks;
        blocks -= n;
        source.make_blocks<bytes, 4>(n, consumer);
        counter.fold();
    }
}

[[gnu::noinline]] void fill_baseline(draw_source& source, std::uint64_t blocks,
                                     piece_vector<16>* buffer)
{
    source.make_blocks<16, 4>(blocks, buffer_writer<16>{buffer});
}

// The baseline's vectors in two loops, for WebAssembly (platform.h): there
// the one loop's 18 vectors (four lanes' state, five counters and five
// edges) spill, as V8 and SpiderMonkey keep at most 15 or 16 in registers.
// Eight blocks a fill (512 bytes) was the best of 4, 8, 16 and 32 in all
// three browsers taken together (docs/speed.md).
void count_blocks_baseline_buffered(draw_source& source, std::uint64_t blocks,
                                    const draw_edges& edges, edge_counts& at_least)
{
    count_blocks_buffered<16, 8, fill_baseline>(source, blocks, edges, at_least);
}
#else
// The plain path, for other compilers and big-endian targets.
void count_blocks_baseline(draw_source& source, std::uint64_t blocks, const draw_edges& edges,
                           edge_counts& at_least)
{
    // Counted in local copies, which the call that makes each block cannot
    // reach, so that the edges and counts can stay in registers.
    const draw_edges local_edges = edges;
    edge_counts counts = at_least;
    std::array<std::uint16_t, block_draws> draws{};
    for (; blocks > 0; --blocks) {
        source.make_block(draws);
        for (const std::uint16_t d : draws) {
            count_draw(d, local_edges, counts);
        }
    }
    at_least = counts;
}
#endif

#if defined(DIE_ROLL_X86_COPIES)
DIE_ROLL_WIDE_VECTORS
void count_blocks_wide(draw_source& source, std::uint64_t blocks, const draw_edges& edges,
                       edge_counts& at_least)
{
    count_blocks_in<32, 8>(source, blocks, edges, at_least);
}

DIE_ROLL_WIDE_VECTORS [[gnu::noinline]] void fill_wide(draw_source& source, std::uint64_t blocks,
                                                       piece_vector<32>* buffer)
{
    source.make_blocks<32, 4>(blocks, buffer_writer<32>{buffer});
}

// 32-bit x86 with AVX2 has too few registers for the one loop: 32 blocks a
// fill (2 KiB).
DIE_ROLL_WIDE_VECTORS
void count_blocks_wide_buffered(draw_source& source, std::uint64_t blocks, const draw_edges& edges,
                                edge_counts& at_least)
{
    count_blocks_buffered<32, 32, fill_wide>(source, blocks, edges, at_least);
}

// AVX-512: all eight lanes in one vector of 32 pieces. Each piece is
// compared, unsigned, with twice each edge into a mask register (a draw is
// at or above s exactly when its piece is at or above 2s, which for s up
// to 32767 fits 16 bits), and the masks' bits are counted, into 32-bit
// counts that a chunk of blocks cannot overflow.
struct mask_counter {
    short twice_edge[5] = {};
    std::uint32_t c[5] = {};

    explicit mask_counter(const draw_edges& edges)
    {
        for (std::size_t e = 0; e < 5; ++e) {
            twice_edge[e] = static_cast<short>(2 * edges[e]);
        }
    }

    DIE_ROLL_WIDEST_VECTORS void operator()(const piece_vector<64>& pieces)
    {
        const auto v = reinterpret_cast<__m512i>(pieces);
        for (std::size_t e = 0; e < 5; ++e) {
            const __mmask32 at_or_above =
                _mm512_cmpge_epu16_mask(v, _mm512_set1_epi16(twice_edge[e]));
            c[e] += static_cast<std::uint32_t>(__builtin_popcount(at_or_above));
        }
    }
};

// Each block adds at most block_draws to a count.
constexpr std::uint64_t mask_chunk_blocks = 0xffffffffU / block_draws;

// Flattened: the counter's intrinsics can be inlined only into a function
// built for AVX-512, this one, not into make_blocks on its own.

DIE_ROLL_WIDEST_VECTORS [[gnu::flatten]] void count_blocks_widest(draw_source& source,
                                                                  std::uint64_t blocks,
                                                                  const draw_edges& edges,
                                                                  edge_counts& at_least)
{
    while (blocks > 0) {
        const std::uint64_t n = blocks < mask_chunk_blocks ? blocks : mask_chunk_blocks;
        blocks -= n;
        mask_counter counter(edges);
        source.make_blocks<64, 8>(n, counter);
        for (std::size_t e = 0; e < 5; ++e) {
            at_least[e] += counter.c[e];
        }
    }
}
#endif

using count_blocks_function = void (*)(draw_source&, std::uint64_t, const draw_edges&,
                                       edge_counts&);

count_blocks_function copy_of(roll_copy copy)
{
    switch (copy) {
        case roll_copy::baseline:
            return count_blocks_baseline;
        case roll_copy::baseline_buffered:
#if defined(DIE_ROLL_VECTORS)
            return count_blocks_baseline_buffered;
#else
            break;
#endif
#if defined(DIE_ROLL_X86_COPIES)
        case roll_copy::avx2:
            return has_wide_vectors() ? count_blocks_wide : nullptr;
        case roll_copy::avx2_buffered:
            return has_wide_vectors() ? count_blocks_wide_buffered : nullptr;
        case roll_copy::avx512:
            return has_widest_vectors() ? count_blocks_widest : nullptr;
#else
        case roll_copy::avx2:
        case roll_copy::avx2_buffered:
        case roll_copy::avx512:
            break;
#endif
    }
    return nullptr;
}

count_blocks_function chosen_copy = copy_of(fastest_roll_copy());

}  // namespace

void count_blocks(draw_source& source, std::uint64_t blocks, const draw_edges& edges,
                  edge_counts& at_least)
{
    chosen_copy(source, blocks, edges, at_least);
}

roll_copy fastest_roll_copy()
{
    // AVX-512 is the fastest wherever it runs, in 32-bit builds too: its
    // comparisons go into mask registers and its state fits four vector
    // registers. Of the AVX2 copies, the one loop is faster where sixteen
    // vector registers hold eight streams' state and the counters; with
    // eight (32-bit x86) it spills, and the buffered copy is faster. So it
    // is with the baseline's in WebAssembly. The figures are in
    // docs/speed.md.
    if (has_widest_vectors()) {
        return roll_copy::avx512;
    }
    if (!has_wide_vectors()) {
        return buffer_baseline_draws ? roll_copy::baseline_buffered : roll_copy::baseline;
    }
    return vector_registers < 16 ? roll_copy::avx2_buffered : roll_copy::avx2;
}

bool pin_roll_copy(roll_copy copy)
{
    const count_blocks_function chosen = copy_of(copy);
    if (chosen == nullptr) {
        return false;
    }
    chosen_copy = chosen;
    return true;
}
