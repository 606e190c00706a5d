// The command line shared by the keyboard loop and the command interpreter,
// its reset and the length of the text it holds.
#include "interact/command_state.h"

namespace pk {

CommandState commands;

void ResetCommands() { commands = CommandState{}; }

int CommandLength() {
    for (int i = COMMAND_SIZE - 1; i >= 0; --i) {
        char c = commands.commandLine[i];
        if (c != ' ' && c != '\0') return i + 1;
    }
    return 0;
}

}  // namespace pk
