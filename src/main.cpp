// die_roll: rolls a slightly unfair die as often as asked and reports the
// counts and their chi-squared statistic against a fair die.
#include <new>
#include <ostream>

#include "console.h"
#include "dialogue.h"
#include "experiment.h"

namespace {

// One line on standard error, with the system's reason where there is one;
// the status is 1 whether or not that line could be written.
int fail(const char* what, const char* reason)
{
    console_errors() << "die_roll: " << what << (*reason == '\0' ? "" : ": ") << reason
                     << std::endl;
    return 1;
}

int status_of(dialogue_end end)
{
    switch (end) {
        case dialogue_end::finished:
            return 0;
        case dialogue_end::input_failed:
            return fail("standard input could not be read",
                        console_failure_reason(console_stream::input));
        case dialogue_end::output_failed:
            return fail("standard output could not be written",
                        console_failure_reason(console_stream::output));
        case dialogue_end::errors_failed:
            break;
    }
    return 1;
}

}  // namespace

int main()
{
    seed_die();
    // The dialogue holds one character of its input at a time, so the heap
    // should never run out; if it does (the web build's is small and
    // fixed), that is said as any other failure is, not left to an abort.
    try {
        return status_of(run_dialogue(console_input(), console_output(), console_errors()));
    } catch (const std::bad_alloc&) {
        return fail("out of memory", "");
    }
}
