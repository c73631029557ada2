// The console dialogue: prompt, read a number of rolls, report, repeat.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string_view>

#include "experiment.h"

inline constexpr std::string_view prompt_text =
    "How many times do you want to roll the die (enter 0 to quit): ";
inline constexpr std::string_view counts_label = "The observed counts: ";
inline constexpr std::string_view statistic_label = "Chi-squared = ";
// Written to the error stream, with a line end, for each unreadable answer.
inline constexpr std::string_view complaint_text =
    "The answer must be a whole number of rolls, at most 2147483647.";

// What one attempt to read an answer found.
enum class answer_kind {
    number,      // a whole number in `value`: in the signed 32-bit range, or
                 // below it, which reads as its lowest value, -2147483648
    unreadable,  // not such a number; the offending word has been skipped
    end,         // no more input
    failed,      // the stream reported a read error (badbit)
};

struct answer {
    answer_kind kind;
    std::int32_t value;  // meaningful only for answer_kind::number
};

// Reads the next white-space separated answer: an optional sign and
// decimal digits, as an int is extracted in the classic locale. An
// unreadable word is consumed up to the next white space, so a later read
// always makes progress. Only one character is held at a time, however
// long the number or the word.
answer read_answer(std::istream& in);

// How an experiment is rolled; tests and fuzzers pass a stand-in.
using roll_function = face_tally (*)(int n);

// Why the dialogue stopped.
enum class dialogue_end {
    finished,       // an answer of zero or less, or the end of input
    input_failed,   // `in` could not be read
    output_failed,  // a write to `out` failed
    errors_failed,  // a write to `err` failed
};

// Runs the dialogue until an answer of zero or less, the end of input, or
// the first failed read or write, after which nothing more is rolled or
// written. Reports go to `out`; a line on `err` explains each unreadable
// answer.
[[nodiscard]] dialogue_end run_dialogue(std::istream& in, std::ostream& out, std::ostream& err,
                                        roll_function roll = tally_rolls);
