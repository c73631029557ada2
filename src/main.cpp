// die_roll: rolls a slightly unfair die as often as asked and reports the
// counts and their chi-squared statistic against a fair die.
#include <ostream>

#include "console.h"
#include "dialogue.h"
#include "experiment.h"

namespace {

// One line on standard error, with the system's reason where there is one;
// the status is 1 whether or not that line could be written.
int fail(const char* what, console_stream which)
{
    const char* const reason = console_failure_reason(which);
    console_errors() << "die_roll: " << what << (*reason == '\0' ? "" : ": ") << reason
                     << std::endl;
    return 1;
}

}  // namespace

int main()
{
    seed_die();
    switch (run_dialogue(console_input(), console_output(), console_errors())) {
        case dialogue_end::finished:
            return 0;
        case dialogue_end::input_failed:
            return fail("standard input could not be read", console_stream::input);
        case dialogue_end::output_failed:
            return fail("standard output could not be written", console_stream::output);
        case dialogue_end::errors_failed:
            break;
    }
    return 1;
}
