// The program's standard streams, as the dialogue needs them.
//
// std::cin cannot tell a read error from the end of input, and std::cout
// keeps no reason for a failed write. These streams go through the C
// runtime's stdin, stdout and stderr as std::cin and std::cout do, so line
// ends and buffering stay the platform's own; but a read error sets badbit
// on the input stream, and each stream keeps the system's reason for its
// first failure. Reporting a failure allocates nothing.
#pragma once

#include <iosfwd>

enum class console_stream { input, output, errors };

std::istream& console_input();
std::ostream& console_output();
std::ostream& console_errors();

// The system's reason for the first failure on that stream, such as
// "No space left on device"; empty when there was none or none was given.
// Needs no heap, as the failure may be that there is none left.
const char* console_failure_reason(console_stream which);
