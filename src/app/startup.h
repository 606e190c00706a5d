// Start-up: the command line, the settings path, loading every name
// (first phase) and the console set-up (second phase).
#pragma once

#include <vector>

namespace pk {

constexpr int START_FAILED = 0;
constexpr int START_OK = 1;
constexpr int START_USAGE = 2;  // help option or --version shown: exit 0

// 1 when text is one of the help options ("?", "/?", "-?", "/h", "-h", "/H",
// "-H", "--help"), compared exactly.
int IsHelpOption(const char* text);
// The usage text on standard output.
void ShowUsage();

// First phase: settings path, options, loading each name (or standard
// input), long messages on standard error. With copy (no terminal: the
// files go to standard output) standard input is not read; copy gets what
// to write, in order (copy_out.h).
int StartUpFirstPhase(int argc, char** argv, std::vector<int>* copy = nullptr);
// Second phase: panel library, geometry, cursor, cell blocks, the fixed
// fields of the main screen, the command line, the settings.
int ConsoleSetUp();
// Both phases.
int StartUp(int argc, char** argv);

}  // namespace pk
