// How the harness starts a program, on a pseudo-terminal or on plain pipes
// (process.cpp): a private environment, PATH lookup in it, fork and exec.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace pktest {

// The test's own environment made private: LANG=C.UTF-8 (no LC_*, LINES,
// COLUMNS, TMUX, STY, DISPLAY, WAYLAND_DISPLAY, TERMINAL), HOME=home with
// XDG_CONFIG_HOME and APPDATA below it, PATH = stubDir, the system folders,
// then the test's own PATH.
std::vector<std::string> ChildEnvironment(const std::string& home, const std::string& stubDir);

// name when it holds a '/', else the first executable of that name on env's PATH.
std::string FindProgram(const std::string& name, const std::vector<std::string>& env);

// Forks argv with ChildEnvironment(home, home/stubs) (its folders made) and
// then changes: "NAME=value" sets, bare "NAME" removes. The child runs setup
// (its descriptors), goes to cwd when given and execs. The pid, or -1.
pid_t Spawn(const std::vector<std::string>& argv, const std::string& home, const std::vector<std::string>& changes,
            const std::string& cwd, const std::function<void()>& setup);

// Milliseconds until `until`, 0 once it has passed.
int MsLeft(std::chrono::steady_clock::time_point until);

}  // namespace pktest
