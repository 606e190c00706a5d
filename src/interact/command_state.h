// The command line shared by the keyboard loop and the command interpreter,
// the last command, and the result codes of both.
#pragma once

#include <cstdint>

namespace pk {

constexpr int COMMAND_SIZE = 256;

// KeyboardLoop results.
constexpr int KEY_REDRAW = 0;
constexpr int KEY_END = 1;
constexpr int KEY_ENDLEAVE = 2;
constexpr int KEY_READFAIL = 3;

// Result bits of a command (ExecuteCommand) or a key, which the keyboard
// loop acts on.
constexpr uint32_t CMD_KEEPLINE = 0x01;
constexpr uint32_t CMD_KEEPMSG = 0x02;
constexpr uint32_t CMD_END = 0x04;
constexpr uint32_t CMD_ENDLEAVE = 0x08;
constexpr uint32_t CMD_REDRAW = 0x20;
constexpr uint32_t CMD_REPEAT = 0x40;
constexpr uint32_t CMD_FIND = 0x80;
constexpr uint32_t CMD_CURSOR = 0x100;  // keys only: the cursor's shape follows insert mode

struct CommandState {
    char commandLine[COMMAND_SIZE + 1] = {};  // blanks at start-up, then edited
    char lastCommand[COMMAND_SIZE + 1] = {};  // all NUL until the first Enter
};

extern CommandState commands;

// Back to the start (all NUL).
void ResetCommands();

// 1 + the index of the last character that is neither blank nor NUL; 0 if none.
int CommandLength();

}  // namespace pk
