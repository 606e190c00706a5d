// Finding programs on PATH and starting them for the shell command: detached
// (not waited for, and leaving no zombie) or in the foreground of pk's own
// terminal.
#pragma once

#include <string>
#include <vector>

namespace pk {

// The full path of an executable regular file: name itself when it holds a
// slash, else the first match in the folders of PATH. False when none.
bool FindProgram(const std::string& name, std::string& path);

// Starts path with argv (argv[0] included) in a session of its own, with
// standard input and output on /dev/null, and returns without waiting.
// 0 when the program was started, else the errno of the failure.
int StartDetached(const std::string& path, const std::vector<std::string>& argv);

// Runs path in its own process group in the foreground of the controlling
// terminal, ignoring SIGINT and SIGQUIT meanwhile, and gives the terminal
// back afterwards. status receives the exit code (128 + signal number for a
// killed program). 0, or the errno of the failure to start.
int RunInForeground(const std::string& path, const std::vector<std::string>& argv, int& status);

// Shows "rc = N" on the controlling terminal and waits for Enter.
void WaitForEnter(int status);

}  // namespace pk
