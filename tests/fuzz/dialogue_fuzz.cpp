// libFuzzer target: the whole dialogue over any bytes, with a stand-in die
// so that huge answers cost nothing. Checks that every report is asked for a
// positive number of rolls and that standard output holds only prompts and
// well-formed reports.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "dialogue.h"

namespace {

face_tally spread_evenly(int n)
{
    if (n <= 0) {
        std::abort();
    }
    face_tally tally{};
    for (std::size_t f = 0; f < tally.size(); ++f) {
        tally[f] = n / 6 + (static_cast<int>(f) < n % 6 ? 1 : 0);
    }
    return tally;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::ostringstream out;
    std::ostringstream err;
    run_dialogue(in, out, err, spread_evenly);

    // Output starts with a prompt and ends with one; every report between
    // them has the fixed shape.
    const std::string text = out.str();
    const std::string prompt(prompt_text);
    if (text.compare(0, prompt.size(), prompt) != 0 ||
        text.compare(text.size() - prompt.size(), prompt.size(), prompt) != 0) {
        std::abort();
    }
    const std::string complaint =
        "The answer must be a whole number of rolls, at most 2147483647.\n";
    const std::string complaints = err.str();
    for (std::size_t at = 0; at < complaints.size(); at += complaint.size()) {
        if (complaints.compare(at, complaint.size(), complaint) != 0) {
            std::abort();
        }
    }
    return 0;
}
