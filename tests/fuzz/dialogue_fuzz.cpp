// libFuzzer target: the whole dialogue over any bytes, with a stand-in die
// so that huge answers cost nothing. Checks that every report is asked for a
// positive number of rolls, that standard output holds only prompts and
// well-formed reports, and that each prompt written again follows exactly
// one complaint.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

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

// Whether `text` holds `part` at `at`; if so, moves `at` past it.
bool take(const std::string& text, std::size_t& at, std::string_view part)
{
    if (text.compare(at, part.size(), part) != 0) {
        return false;
    }
    at += part.size();
    return true;
}

// Moves `at` past a run of decimal digits, or of the characters a default
// formatted double may hold; false for an empty run.
bool take_run(const std::string& text, std::size_t& at, const char* allowed)
{
    const std::size_t end = text.find_first_not_of(allowed, at);
    const std::size_t stop = end == std::string::npos ? text.size() : end;
    if (stop == at) {
        return false;
    }
    at = stop;
    return true;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::ostringstream out;
    std::ostringstream err;
    // String streams never fail, so the dialogue can end only one way.
    if (run_dialogue(in, out, err, spread_evenly) != dialogue_end::finished) {
        std::abort();
    }

    // Standard output: the first prompt, then any run of prompts written
    // again after a refused answer and of reports each closed by a prompt.
    const std::string text = out.str();
    std::size_t at = 0;
    std::size_t prompts_again = 0;
    if (!take(text, at, prompt_text)) {
        std::abort();
    }
    while (at < text.size()) {
        if (take(text, at, prompt_text)) {
            ++prompts_again;
            continue;
        }
        bool report = take(text, at, "\n") && take(text, at, counts_label);
        for (int face = 0; report && face < 6; ++face) {
            report = take_run(text, at, "0123456789") && take(text, at, " ");
        }
        report = report && take(text, at, "\n\n") && take(text, at, statistic_label) &&
                 take_run(text, at, "0123456789.e+-") && take(text, at, "\n\n") &&
                 take(text, at, prompt_text);
        if (!report) {
            std::abort();
        }
    }

    // Standard error: one complaint line for each prompt written again.
    const std::string complaint = std::string(complaint_text) + "\n";
    const std::string complaints = err.str();
    if (complaints.size() != prompts_again * complaint.size()) {
        std::abort();
    }
    for (std::size_t c = 0; c < complaints.size(); c += complaint.size()) {
        if (complaints.compare(c, complaint.size(), complaint) != 0) {
            std::abort();
        }
    }
    return 0;
}
