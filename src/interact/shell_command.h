// The shell command as the user meets it: a command text handed to the
// user's shell, and the message when it could not be started.
#pragma once

#include <cstdint>

namespace pk {

// Starts text with the shell; in pk's own terminal the console is suspended
// while it runs. 0 when it started; CMD_KEEPMSG with "Pgm not found" (a
// program is missing) or "rc = N" (any other errno) when it did not.
uint32_t RunShellCommand(const char* text);

}  // namespace pk
