// Rolls for the page's Web Worker while the program waits for its first
// answer, so that the browser has compiled the roll loop at its best before
// the first experiment: a browser runs one long WebAssembly call to its end
// in the code it started with, which for a fresh page is its quick first
// compile. It rolls from a source of its own, so the die's draws are
// untouched and every answer rolls what the native program rolls.
#include <emscripten/emscripten.h>

#include "experiment.h"

// Rolls n times; the count of face 1, so that the rolls are not idle work.
extern "C" EMSCRIPTEN_KEEPALIVE int die_roll_warm_up(int n)
{
    draw_source source{0};
    return tally_rolls_from(source, n)[0];
}
