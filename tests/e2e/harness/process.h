// Run: starts a program on pipes in a session of its own (no controlling
// terminal, no /dev/tty), feeds it stdinText and captures its output and exit
// status; killed with SIGKILL after timeoutMs. The environment is Spawn's
// (env.h) without TERM, then env's entries; the private HOME
// is removed when Run returns, so a test that reads files written there
// passes its own HOME/APPDATA.
#pragma once

#include <string>
#include <vector>

namespace pktest {

struct RunResult {
    int status = -1;      // raw waitpid status, -1 if the program could not start
    int exitCode = -1;    // WEXITSTATUS, -1 when it did not exit normally
    bool timedOut = false;
    std::string out;      // standard output
    std::string err;      // standard error
};

RunResult Run(std::vector<std::string> argv, std::vector<std::string> env = {},
              std::string cwd = "", std::string stdinText = "", int timeoutMs = 30000);

}  // namespace pktest
