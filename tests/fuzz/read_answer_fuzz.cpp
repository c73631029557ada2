// libFuzzer target: read_answer over any bytes. Every call must make
// progress or report the end, and a number it returns must be one that the
// input spelled out.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "dialogue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream in(text);
    std::streamoff last = -1;
    for (;;) {
        const answer a = read_answer(in);
        if (a.kind == answer_kind::end) {
            break;
        }
        const std::streamoff at = in.tellg();
        // Each answer other than the end consumes at least one character.
        if (at != -1 && at <= last) {
            std::abort();
        }
        last = at;
        if (a.kind == answer_kind::number) {
            // The number must appear in the text just before where reading stopped.
            const std::string digits =
                std::to_string(a.value < 0 ? -static_cast<std::int64_t>(a.value)
                                           : static_cast<std::int64_t>(a.value));
            const std::size_t end = at == -1 ? text.size() : static_cast<std::size_t>(at);
            if (end < digits.size() ||
                text.compare(end - digits.size(), digits.size(), digits) != 0) {
                std::abort();
            }
        }
    }
    return 0;
}
