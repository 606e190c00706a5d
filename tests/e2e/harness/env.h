// Environment and argument helpers shared by the harness's two ways of
// starting a program (on a pseudo-terminal, or with plain pipes).
#pragma once

#include <string>
#include <vector>

namespace pktest {

// The test's own environment made private: LANG=C.UTF-8 (no LC_*, LINES,
// COLUMNS, TMUX, STY, DISPLAY, WAYLAND_DISPLAY, TERMINAL), HOME=home with
// XDG_CONFIG_HOME and APPDATA below it, PATH = stubDir, the system folders,
// then the test's own PATH.
std::vector<std::string> ChildEnvironment(const std::string& home, const std::string& stubDir);

// Applies "NAME=value" (set) and bare "NAME" (remove) entries in order.
void ApplyEnv(std::vector<std::string>& env, const std::vector<std::string>& changes);

// name when it holds a '/', else the first executable of that name on env's PATH.
std::string FindProgram(const std::string& name, const std::vector<std::string>& env);

// NULL-terminated array of pointers into strings (which must outlive it).
std::vector<char*> CStrings(std::vector<std::string>& strings);

}  // namespace pktest
