// Run: starts a program on pipes in a session of its own (no controlling
// terminal, no /dev/tty), its standard input an empty pipe, and captures
// its output and exit status; killed with SIGKILL after timeoutMs. The
// environment is Spawn's (env.h) without TERM, then env's entries; the
// private HOME is removed when Run returns, so a test that reads files
// written there passes its own HOME/APPDATA.
#pragma once

#include <string>
#include <vector>

namespace pktest {

struct RunResult {
    int exitCode = -1;    // -1 when it did not start or did not exit normally
    std::string out;      // standard output
    std::string err;      // standard error
};

RunResult Run(std::vector<std::string> argv, std::vector<std::string> env = {}, std::string cwd = "",
              int timeoutMs = 30000);

}  // namespace pktest
