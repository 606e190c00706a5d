// The shell command's policy: the console steps aside while a command runs
// in pk's own terminal, and a failure to start becomes a message that stays.
#include "interact/shell_command.h"

#include <cerrno>
#include <cstdio>

#include "display/display_state.h"
#include "files/shell_process.h"
#include "interact/command_state.h"
#include "panel/panel.h"

namespace pk {

uint32_t RunShellCommand(const char* text) {
    ShellLaunch launch = PrepareShellCommand(text);
    Console* console = launch.inThisTerminal ? fullconsole() : nullptr;
    if (console != nullptr) console->suspend();
    int err = StartShellCommand(launch);
    if (console != nullptr) console->resume();
    if (err == 0) return 0;
    char message[MESSAGE_SIZE] = "Pgm not found";
    if (err != ENOENT) std::snprintf(message, sizeof message, "rc = %u", unsigned(err));
    SetMessage(message);
    return CMD_KEEPMSG;
}

}  // namespace pk
