// Environment and argument helpers shared by the harness's two ways of
// starting a program (on a pseudo-terminal, or with plain pipes).
#pragma once

#include <string>
#include <vector>

namespace pktest {

// The test's own environment made private: LANG=C.UTF-8 (LC_ALL, LC_CTYPE,
// LC_MESSAGES, LINES, COLUMNS removed), HOME=home,
// XDG_CONFIG_HOME=home/.config, APPDATA=home/appdata, TMUX, STY, DISPLAY,
// WAYLAND_DISPLAY and TERMINAL removed, PATH = stubDir, then
// /usr/local/bin:/usr/bin:/bin, then the test's own PATH.
std::vector<std::string> ChildEnvironment(const std::string& home, const std::string& stubDir);

// Applies "NAME=value" (set, also to an empty value) and bare "NAME" (remove)
// entries to env, in order.
void ApplyEnv(std::vector<std::string>& env, const std::vector<std::string>& changes);

// The program to execute: name itself when it holds a '/', else the first
// executable of that name on env's PATH (name unchanged if none).
std::string FindProgram(const std::string& name, const std::vector<std::string>& env);

// NULL-terminated array of pointers into strings (which must outlive it).
std::vector<char*> CStrings(std::vector<std::string>& strings);

}  // namespace pktest
