// Writes the die's draws to standard output as a raw bit stream, for test
// batteries such as dieharder: the 15 bits of each draw, in draw order, are
// packed low bit first into 32-bit little-endian words. Runs until the
// reader closes the pipe.
//   raw_draws [seed]
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "draw_source.h"

int main(int argc, char** argv)
{
    const auto seed =
        argc > 1 ? static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 1U;
    draw_source source(seed);
    std::uint64_t bits = 0;
    int held = 0;
    std::uint32_t buffer[4096];
    for (;;) {
        for (auto& word : buffer) {
            while (held < 32) {
                bits |= std::uint64_t{source.take_draw()} << held;
                held += 15;
            }
            word = static_cast<std::uint32_t>(bits);
            bits >>= 32;
            held -= 32;
        }
        if (std::fwrite(buffer, sizeof buffer, 1, stdout) != 1) {
            return 0;
        }
    }
}
