// ns per roll: the plain loop of one C-runtime rand() call, one division
// and up to five comparisons per roll, beside the program's tally_rolls
// with each copy of its roll loop.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "experiment.h"
#include "roll_loop.h"

namespace {

face_tally reference_tally(int n)
{
    face_tally tally{};
    for (int i = 0; i < n; ++i) {
        const double x = (std::rand() & 0x7fff) / 32767.0;
        const std::size_t face = x < 0.16   ? 0
                                 : x < 0.32 ? 1
                                 : x < 0.49 ? 2
                                 : x < 0.66 ? 3
                                 : x < 0.83 ? 4
                                            : 5;
        ++tally[face];
    }
    return tally;
}

void set_rate(benchmark::State& state)
{
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["ns_per_roll"] =
        benchmark::Counter(static_cast<double>(state.iterations() * state.range(0)),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void reference_loop(benchmark::State& state)
{
    std::srand(1);
    const auto n = static_cast<int>(state.range(0));
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        benchmark::DoNotOptimize(reference_tally(n));
    }
    set_rate(state);
}

// tally_rolls with one copy of the roll loop pinned.
void fast_tally(benchmark::State& state, roll_copy copy)
{
    if (!pin_roll_copy(copy)) {
        state.SkipWithError("this processor cannot run this copy");
        return;
    }
    seed_die_with(1);
    const auto n = static_cast<int>(state.range(0));
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
        benchmark::DoNotOptimize(tally_rolls(n));
    }
    set_rate(state);
    pin_roll_copy(fastest_roll_copy());
}

}  // namespace

BENCHMARK(reference_loop)->Arg(1000)->Arg(100'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(fast_tally, avx512, roll_copy::avx512)
    ->Arg(1000)
    ->Arg(100'000'000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(fast_tally, avx2, roll_copy::avx2)
    ->Arg(1000)
    ->Arg(100'000'000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(fast_tally, avx2_buffered, roll_copy::avx2_buffered)
    ->Arg(1000)
    ->Arg(100'000'000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(fast_tally, baseline, roll_copy::baseline)
    ->Arg(1000)
    ->Arg(100'000'000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(fast_tally, baseline_buffered, roll_copy::baseline_buffered)
    ->Arg(1000)
    ->Arg(100'000'000)
    ->Unit(benchmark::kMillisecond);
// The largest answer, with the copy the program picks on this processor.
BENCHMARK_CAPTURE(fast_tally, picked, fastest_roll_copy())
    ->Arg(2'147'483'647)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

BENCHMARK_MAIN();
