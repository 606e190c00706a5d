// The command interpreter.
#pragma once

#include <cstdint>

namespace pk {

// Runs the command in commandLine and returns its CMD_* bits.
uint32_t ExecuteCommand();

}  // namespace pk
