// libFuzzer target: read_answer over any bytes. Every call must make
// progress or report the end, and a number it returns must be one that the
// input spelled out (or, for the lowest value, any number below it).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
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
        if (a.kind != answer_kind::number) {
            continue;
        }
        // The number must appear in the text just before where reading
        // stopped; the lowest value may stand for any number below it.
        const std::size_t end = at == -1 ? text.size() : static_cast<std::size_t>(at);
        std::size_t start = end;
        while (start > 0 && text[start - 1] >= '0' && text[start - 1] <= '9') {
            --start;
        }
        std::string digits = text.substr(start, end - start);
        digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
        const std::string spelled = std::to_string(
            a.value < 0 ? -static_cast<std::int64_t>(a.value) : static_cast<std::int64_t>(a.value));
        const bool below = a.value == std::numeric_limits<std::int32_t>::min() && start > 0 &&
                           text[start - 1] == '-' &&
                           (digits.size() > spelled.size() ||
                            (digits.size() == spelled.size() && digits >= spelled));
        if (digits != spelled && !below) {
            std::abort();
        }
    }
    return 0;
}
