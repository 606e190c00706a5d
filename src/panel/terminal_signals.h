// Signals of the terminal console. SIGTERM, SIGHUP and SIGINT only set a
// flag and wake the key reader through a self-pipe. SIGQUIT and the crash
// signals write a prepared reset sequence to the terminal, put its modes
// back and re-raise. SIGTSTP puts the terminal back and stops; SIGCONT
// wakes the key reader so it redraws the screen.
#pragma once

#include <termios.h>

#include <string_view>

namespace pk {

// Installs the handlers and the self-pipe (once). ttyFd and saved are what
// the handlers restore. False when the pipe cannot be made.
bool InstallTerminalSignals(int ttyFd, const struct termios& saved);
// The bytes that put the terminal back (modes off, normal screen); copied
// into a fixed buffer the handlers can use. Empty: nothing is written.
void SetTerminalResetSequence(std::string_view reset);
// The read end of the self-pipe, for poll; -1 before installation.
int TerminalSignalFd();
// Empties the self-pipe.
void DrainTerminalSignals();
bool TerminalEndRequested();
// True once after each SIGCONT.
bool TakeTerminalContinued();
// Writes the reset sequence and restores the saved modes (for atexit and
// other last-resort paths; async-signal-safe).
void EmergencyTerminalReset();

}  // namespace pk
