#include "dialogue.h"

#include <istream>
#include <locale>
#include <ostream>

answer read_answer(std::istream& in)
{
    using traits = std::istream::traits_type;
    // Leading white space is skipped first, so that running out of input
    // after it is told apart from a word that is not a number.
    in >> std::ws;
    if (traits::eq_int_type(in.peek(), traits::eof())) {
        return {answer_kind::end, 0};
    }
    std::int32_t value = 0;
    if (in >> value) {
        return {answer_kind::number, value};
    }
    // A failed extraction may leave any value behind (the nearest limit for
    // an out-of-range number); it is never used.
    if (in.bad()) {
        return {answer_kind::end, 0};
    }
    in.clear();
    const auto& ctype = std::use_facet<std::ctype<char>>(in.getloc());
    for (;;) {
        const auto next = in.peek();
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

}  // namespace

void run_dialogue(std::istream& in, std::ostream& out, std::ostream& err, roll_function roll)
{
    out << prompt_text << std::flush;
    for (;;) {
        const answer a = read_answer(in);
        if (a.kind == answer_kind::end) {
            return;
        }
        if (a.kind == answer_kind::unreadable) {
            err << complaint_text << std::endl;
            out << prompt_text << std::flush;
            continue;
        }
        if (a.value <= 0) {
            return;
        }
        write_report(out, roll(a.value), a.value);
        out << std::endl << prompt_text << std::flush;
    }
}
