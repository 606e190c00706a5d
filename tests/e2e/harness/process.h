// Run: starts a program without a terminal (stdin, stdout and stderr are
// pipes; the child is in a session of its own, so it has no controlling
// terminal and cannot open /dev/tty), feeds it stdinText, and captures its
// output and exit status.
//
// Environment: as PtyTerm gives (see env.h: private HOME with .config and
// appdata folders, LANG=C.UTF-8, no TMUX/DISPLAY/..., stub folder first on
// PATH) but without TERM; then env's entries ("NAME=value" sets, bare "NAME"
// removes). The private HOME is removed when Run returns, so a test that
// wants to look at files written there passes its own HOME/APPDATA.
// A child still running after timeoutMs is killed with SIGKILL.
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
