#include "dialogue.h"

#include <istream>
#include <limits>
#include <locale>
#include <ostream>

answer read_answer(std::istream& in)
{
    using traits = std::istream::traits_type;
    // A read error may cut a number short, so badbit is looked at after
    // every step, before anything read is used.
    constexpr answer failed = {answer_kind::failed, 0};
    // Leading white space is skipped first, so that running out of input
    // after it is told apart from a word that is not a number.
    in >> std::ws;
    const bool at_end = traits::eq_int_type(in.peek(), traits::eof());
    if (in.bad()) {
        return failed;
    }
    if (at_end) {
        return {answer_kind::end, 0};
    }
    std::int32_t value = 0;
    in >> value;
    if (in.bad()) {
        return failed;
    }
    if (!in.fail()) {
        return {answer_kind::number, value};
    }
    // A number below the range is stored as the lowest value, which ends
    // the dialogue as any answer of zero or less does; every other failed
    // extraction (a word, a lone sign, a number above the range) is refused.
    in.clear();
    if (value == std::numeric_limits<std::int32_t>::min()) {
        return {answer_kind::number, value};
    }
    const auto& ctype = std::use_facet<std::ctype<char>>(in.getloc());
    for (;;) {
        const auto next = in.peek();
        if (in.bad()) {
            return failed;
        }
        if (traits::eq_int_type(next, traits::eof()) ||
            ctype.is(std::ctype_base::space, traits::to_char_type(next))) {
            break;
        }
        in.ignore();
    }
    return {answer_kind::unreadable, 0};
}

namespace {

void write_report(std::ostream& out, const face_tally& tally, int n)
{
    out << std::endl << counts_label;
    for (const std::int32_t count : tally) {
        out << count << ' ';
    }
    out << std::endl << std::endl;
    out << statistic_label << chi_squared(tally, n) << std::endl;
}

// Writes the prompt where the answer will be typed; false if it failed.
bool prompt(std::ostream& out)
{
    out << prompt_text << std::flush;
    return !out.fail();
}

}  // namespace

dialogue_end run_dialogue(std::istream& in, std::ostream& out, std::ostream& err,
                          roll_function roll)
{
    if (!prompt(out)) {
        return dialogue_end::output_failed;
    }
    for (;;) {
        const answer a = read_answer(in);
        switch (a.kind) {
            case answer_kind::end:
                return dialogue_end::finished;
            case answer_kind::failed:
                return dialogue_end::input_failed;
            case answer_kind::unreadable:
                if (!(err << complaint_text << std::endl)) {
                    return dialogue_end::errors_failed;
                }
                break;
            case answer_kind::number:
                if (a.value <= 0) {
                    return dialogue_end::finished;
                }
                write_report(out, roll(a.value), a.value);
                out << std::endl;
                break;
        }
        if (!prompt(out)) {
            return dialogue_end::output_failed;
        }
    }
}
