#include "dialogue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <sstream>
#include <streambuf>
#include <string>
#include <utility>
#include <vector>

namespace {

// The program's words, the prompt here and the complaint below, are spelled
// out in this file and nowhere else among the tests: the others take them
// from src/dialogue.h, so that a change of wording is a change to this file
// too.
const std::string prompt = "How many times do you want to roll the die (enter 0 to quit): ";
// A stand-in die that puts every roll on face 3 and remembers what it was
// asked for.
std::vector<int> rolls_asked;
face_tally all_on_face_three(int n)
{
    rolls_asked.push_back(n);
    return {0, 0, n, 0, 0, 0};
}

face_tally split_between_one_and_six(int n)
{
    rolls_asked.push_back(n);
    return {n / 2, 0, 0, 0, 0, n - n / 2};
}

struct transcript {
    std::string out;
    std::string err;
    dialogue_end end;
};

transcript converse(const std::string& input, roll_function roll = all_on_face_three)
{
    rolls_asked.clear();
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const dialogue_end end = run_dialogue(in, out, err, roll);
    return {out.str(), err.str(), end};
}

std::string report(const std::string& counts, const std::string& statistic)
{
    return "\nThe observed counts: " + counts + "\n\nChi-squared = " + statistic + "\n\n" + prompt;
}

const std::string complaint = "The answer must be a whole number of rolls, at most 2147483647.\n";

// --- ending ---

TEST(dialogue, zero_at_the_first_prompt_writes_only_the_prompt)
{
    const transcript t = converse("0\n");
    EXPECT_EQ(t.out, prompt);
    EXPECT_EQ(t.err, "");
    EXPECT_EQ(t.end, dialogue_end::finished);
    EXPECT_TRUE(rolls_asked.empty());
}

TEST(dialogue, a_negative_answer_ends_like_zero)
{
    EXPECT_EQ(converse("-3\n").out, prompt);
    EXPECT_EQ(converse("-2147483648\n").out, prompt);
    EXPECT_TRUE(rolls_asked.empty());
}

TEST(dialogue, end_of_input_ends_quietly)
{
    EXPECT_EQ(converse("").out, prompt);
    EXPECT_EQ(converse("  \n\t\n").out, prompt);
    const transcript t = converse("4");
    EXPECT_EQ(t.out, prompt + report("0 0 4 0 0 0 ", "20"));
    EXPECT_EQ(t.err, "");
    EXPECT_EQ(t.end, dialogue_end::finished);
}

TEST(dialogue, nothing_is_read_after_the_closing_answer)
{
    std::istringstream in("0 5\n");
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(run_dialogue(in, out, err, all_on_face_three), dialogue_end::finished);
    int rest = 0;
    EXPECT_TRUE(in >> rest);
    EXPECT_EQ(rest, 5);
}

// --- reports ---

TEST(dialogue, one_roll_then_zero_reports_a_statistic_of_five)
{
    EXPECT_EQ(converse("1\n0\n").out, prompt + report("0 0 1 0 0 0 ", "5"));
}

TEST(dialogue, two_rolls_report_ten_when_alike_and_four_when_not)
{
    EXPECT_EQ(converse("2\n0\n").out, prompt + report("0 0 2 0 0 0 ", "10"));
    EXPECT_EQ(converse("2\n0\n", split_between_one_and_six).out,
              prompt + report("1 0 0 0 0 1 ", "4"));
}

TEST(dialogue, several_answers_on_one_line_each_get_a_report)
{
    const transcript t = converse("5 7 0\n");
    EXPECT_EQ(t.out, prompt + report("0 0 5 0 0 0 ", "25") + report("0 0 7 0 0 0 ", "35"));
    EXPECT_EQ(rolls_asked, (std::vector<int>{5, 7}));
}

TEST(dialogue, a_plus_sign_and_leading_zeros_are_accepted_however_many)
{
    const std::string zeros(1 << 20, '0');
    const transcript t = converse("+3 007 " + zeros + "5 -" + zeros + "2147483648 5");
    EXPECT_EQ(rolls_asked, (std::vector<int>{3, 7, 5}));
    EXPECT_EQ(t.err, "");
}

TEST(dialogue, a_statistic_of_a_million_prints_in_exponent_notation)
{
    EXPECT_EQ(converse("200000 0").out, prompt + report("0 0 200000 0 0 0 ", "1e+06"));
}

TEST(dialogue, the_largest_answer_is_rolled_that_many_times)
{
    const transcript t = converse("2147483647 0");
    EXPECT_EQ(rolls_asked, (std::vector<int>{2147483647}));
    EXPECT_EQ(t.out, prompt + report("0 0 2147483647 0 0 0 ", "1.07374e+10"));
}

TEST(dialogue, the_real_die_reports_the_faces_of_its_draws)
{
    // The faces of the first 600 draws of seed 1, one draw at a time.
    draw_source source(1);
    face_tally faces{};
    for (int i = 0; i < 600; ++i) {
        ++faces[static_cast<std::size_t>(face_for_draw(source.take_draw()))];
    }
    std::string counts;
    for (const auto count : faces) {
        counts += std::to_string(count) + " ";
    }
    std::ostringstream statistic;
    statistic << chi_squared(faces, 600);

    seed_die_with(1);
    std::istringstream in("600\n0\n");
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(run_dialogue(in, out, err), dialogue_end::finished);
    EXPECT_EQ(out.str(), prompt + report(counts, statistic.str()));
}

// --- bad answers ---

TEST(dialogue, a_word_is_refused_and_the_question_asked_again)
{
    const transcript t = converse("abc\n0\n");
    EXPECT_EQ(t.out, prompt + prompt);
    EXPECT_EQ(t.err, complaint);
    EXPECT_TRUE(rolls_asked.empty());
}

TEST(dialogue, the_fraction_after_a_whole_number_is_refused)
{
    const transcript t = converse("3.7\n0\n");
    EXPECT_EQ(t.out, prompt + report("0 0 3 0 0 0 ", "15") + prompt);
    EXPECT_EQ(t.err, complaint);
    EXPECT_EQ(rolls_asked, (std::vector<int>{3}));
}

TEST(dialogue, numbers_above_32_bits_are_refused_and_below_end_the_dialogue)
{
    const transcript t = converse("2147483648 99999999999999999999999 -2147483649 5");
    EXPECT_EQ(t.out, prompt + prompt + prompt);
    EXPECT_EQ(t.err, complaint + complaint);
    EXPECT_TRUE(rolls_asked.empty());
    const std::string digits(1 << 20, '9');
    const transcript longest = converse(digits + " +" + digits + "x 0");
    EXPECT_EQ(longest.out, prompt + prompt + prompt);
    EXPECT_EQ(longest.err, complaint + complaint);
    const transcript longer = converse("-99999999999999999999999 5");
    EXPECT_EQ(longer.out, prompt);
    EXPECT_EQ(longer.err, "");
    EXPECT_TRUE(rolls_asked.empty());
}

TEST(dialogue, a_lone_sign_is_refused)
{
    const transcript t = converse("- + 2 0");
    EXPECT_EQ(t.err, complaint + complaint);
    EXPECT_EQ(rolls_asked, (std::vector<int>{2}));
}

TEST(dialogue, the_rest_of_a_bad_word_is_skipped_up_to_white_space)
{
    const transcript t = converse("12abc34 5\n0");
    EXPECT_EQ(rolls_asked, (std::vector<int>{12, 5}));
    EXPECT_EQ(t.err, complaint);
}

TEST(dialogue, a_bad_word_at_the_end_of_input_is_refused_then_ends)
{
    const transcript t = converse("xyz");
    EXPECT_EQ(t.out, prompt + prompt);
    EXPECT_EQ(t.err, complaint);
}

TEST(dialogue, a_very_long_bad_word_is_consumed)
{
    const transcript t = converse(std::string(1 << 20, 'x') + " 1 0");
    EXPECT_EQ(rolls_asked, (std::vector<int>{1}));
    EXPECT_EQ(t.err, complaint);
}

TEST(read_answer, tells_numbers_words_and_the_end_apart)
{
    std::istringstream in(" 42\n-7 x9 -99999999999 8 ");
    answer a = read_answer(in);
    EXPECT_EQ(a.kind, answer_kind::number);
    EXPECT_EQ(a.value, 42);
    a = read_answer(in);
    EXPECT_EQ(a.kind, answer_kind::number);
    EXPECT_EQ(a.value, -7);
    EXPECT_EQ(read_answer(in).kind, answer_kind::unreadable);
    // Below the range: the lowest value, and the stream reads on.
    a = read_answer(in);
    EXPECT_EQ(a.kind, answer_kind::number);
    EXPECT_EQ(a.value, std::numeric_limits<std::int32_t>::min());
    a = read_answer(in);
    EXPECT_EQ(a.kind, answer_kind::number);
    EXPECT_EQ(a.value, 8);
    EXPECT_EQ(read_answer(in).kind, answer_kind::end);
    EXPECT_EQ(read_answer(in).kind, answer_kind::end);
}

// --- failed reads and writes ---

// Serves `text`, then fails once with a read error as a stream buffer must
// report one, by throwing, which the stream turns into badbit; then the
// input ends. Like a descriptor that would block, the error passes, so it
// shows only if it is looked at when it happens.
class failing_input : public std::streambuf {
  public:
    explicit failing_input(std::string text) : text_(std::move(text))
    {
        setg(text_.data(), text_.data(), text_.data() + text_.size());
    }

  protected:
    int_type underflow() override
    {
        if (failed_) {
            return traits_type::eof();
        }
        failed_ = true;
        throw std::ios_base::failure("read error");
    }

  private:
    std::string text_;
    bool failed_ = false;
};

// Takes `room` characters, then fails every write.
class failing_output : public std::streambuf {
  public:
    explicit failing_output(std::size_t room) : room_(room) {}
    std::string taken;

  protected:
    int_type overflow(int_type c) override
    {
        if (taken.size() == room_) {
            return traits_type::eof();
        }
        taken.push_back(traits_type::to_char_type(c));
        return c;
    }

  private:
    std::size_t room_;
};

TEST(dialogue, a_read_error_ends_it_and_what_it_cut_short_is_not_acted_on)
{
    struct row {
        const char* before_error;
        std::vector<int> rolled;
    };
    // In turn: at the first answer, inside a number (where "123" may have
    // been on its way), in white space, inside a bad word.
    const row rows[] = {{"", {}}, {"5 1", {5}}, {"3 ", {3}}, {"7 x", {7}}};
    for (const row& r : rows) {
        rolls_asked.clear();
        failing_input buffer(r.before_error);
        std::istream in(&buffer);
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(run_dialogue(in, out, err, all_on_face_three), dialogue_end::input_failed)
            << r.before_error;
        EXPECT_EQ(rolls_asked, r.rolled) << r.before_error;
        EXPECT_EQ(err.str(), "") << r.before_error;
    }
}

TEST(dialogue, a_failed_write_stops_it_before_anything_more_is_rolled)
{
    const std::string one_report = prompt + report("0 0 5 0 0 0 ", "25");
    // The first prompt, the middle of the first report, the second prompt.
    for (const std::size_t room : {std::size_t{0}, prompt.size() + 3, one_report.size() - 1}) {
        rolls_asked.clear();
        std::istringstream in("5 7 0");
        failing_output buffer(room);
        std::ostream out(&buffer);
        std::ostringstream err;
        EXPECT_EQ(run_dialogue(in, out, err, all_on_face_three), dialogue_end::output_failed)
            << room;
        EXPECT_EQ(rolls_asked, room == 0 ? std::vector<int>{} : std::vector<int>{5}) << room;
        EXPECT_EQ(buffer.taken, one_report.substr(0, room));
    }
    // A complaint that cannot be written ends the dialogue too.
    rolls_asked.clear();
    std::istringstream in("abc 5 0");
    std::ostringstream out;
    failing_output no_room(0);
    std::ostream err(&no_room);
    EXPECT_EQ(run_dialogue(in, out, err, all_on_face_three), dialogue_end::errors_failed);
    EXPECT_TRUE(rolls_asked.empty());
    EXPECT_EQ(out.str(), prompt);
}

}  // namespace
