#include "dialogue.h"

#include <algorithm>
#include <istream>
#include <limits>
#include <locale>
#include <ostream>

answer read_answer(std::istream& in)
{
    using traits = std::istream::traits_type;
    // A read error may cut a number short, so badbit is looked at after
    // every character, before anything read is used.
    constexpr answer failed = {answer_kind::failed, 0};
    // Leading white space is skipped first, so that running out of input
    // after it is told apart from a word that is not a number.
    in >> std::ws;
    auto next = in.peek();
    if (in.bad()) {
        return failed;
    }
    if (traits::eq_int_type(next, traits::eof())) {
        return {answer_kind::end, 0};
    }
    // The number is read here a character at a time, rather than by the
    // stream's own extraction, which in some standard libraries keeps every
    // digit it reads: a line of millions of digits, leading zeros and all,
    // must take no more memory than a short one.
    const auto advance = [&in, &next] {
        in.ignore();
        next = in.peek();
        return !in.bad();
    };
    const bool negative = traits::eq_int_type(next, '-');
    if ((negative || traits::eq_int_type(next, '+')) && !advance()) {
        return failed;
    }
    // The magnitude stops growing just past the lowest value's, which is
    // enough to tell every case apart, so it never overflows.
    constexpr std::int64_t lowest_magnitude =
        -std::int64_t{std::numeric_limits<std::int32_t>::min()};
    std::int64_t magnitude = 0;
    bool digits = false;
    // (The end of input, a negative int_type, is no digit.)
    while (next >= '0' && next <= '9') {
        digits = true;
        magnitude = std::min(magnitude * 10 + (next - '0'), lowest_magnitude + 1);
        if (!advance()) {
            return failed;
        }
    }
    // A number below the range reads as the lowest value, which ends the
    // dialogue as any answer of zero or less does; a number above it, a
    // lone sign or a word is refused, as the stream's own extraction of an
    // int would refuse it.
    if (digits && negative) {
        return {answer_kind::number,
                static_cast<std::int32_t>(-std::min(magnitude, lowest_magnitude))};
    }
    if (digits && magnitude <= std::numeric_limits<std::int32_t>::max()) {
        return {answer_kind::number, static_cast<std::int32_t>(magnitude)};
    }
    const auto& ctype = std::use_facet<std::ctype<char>>(in.getloc());
    while (!traits::eq_int_type(next, traits::eof()) &&
           !ctype.is(std::ctype_base::space, traits::to_char_type(next))) {
        if (!advance()) {
            return failed;
        }
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
