// The whole Brennix run as one call, for the program's main and for any
// program that runs it in-process (tests, fuzzing).
#ifndef BRENNIX_BRENNIX_H
#define BRENNIX_BRENNIX_H

#include "console.h"

#include <string>

namespace brennix {

// Exit statuses of a run.
constexpr int exit_success = 0;
constexpr int exit_failure = 1; // input unreadable, a file not writable
constexpr int exit_usage = 2;   // usage screen, or a law that cannot work

// Runs Brennix on a command text (the six fields joined by single spaces,
// without the program's name) and returns the exit status.
int run_command(const std::string &command_text, Console &console);

} // namespace brennix

#endif
