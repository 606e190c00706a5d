// The shell command: hands a command text to the user's shell in a terminal
// of its own, or in pk's own terminal when there is none.
#pragma once

#include <cstdint>

namespace pk {

// Returns 0 when the command was started, CMD_KEEPMSG (0x02) when it was not;
// message (at least 22 bytes) then holds "Pgm not found" or "rc = %u".
uint32_t RunShellCommand(const char* text, char* message);

}  // namespace pk
