// The shell command's process: "$SHELL -c TEXT" (/bin/sh without SHELL) in a
// terminal of its own - a tmux window, a screen window or a terminal
// emulator on the desktop - or, with none of those, in pk's own terminal.
#pragma once

#include <string>
#include <vector>

namespace pk {

// A shell command ready to start.
struct ShellLaunch {
    int error = 0;                  // 0, or why it cannot start (ENOENT: a program is missing)
    bool inThisTerminal = false;    // runs in pk's own terminal and is waited for
    std::string program;            // what is started: the shell or the terminal program
    std::vector<std::string> argv;  // its arguments, argv[0] included
    bool handEnvironment = false;   // the third argument from the end becomes a file holding pk's environment
};

// Finds the shell and the terminal of its own to run text in. The typed
// text travels as one argument, never spliced into a command string.
ShellLaunch PrepareShellCommand(const char* text);

// Starts a prepared command. A terminal of its own is not waited for and
// stays open, showing the exit status, until Enter; a tmux window gets pk's
// environment through a private file that its shell removes once read. In
// pk's own terminal the command is waited for, then "rc = N  Press Enter"
// waits for Enter; an ending signal to pk cuts either wait short. 0 when it
// started, else the errno.
int StartShellCommand(const ShellLaunch& launch);

}  // namespace pk
