// Signals of the terminal console. SIGTERM, SIGHUP and SIGINT only set a
// flag and wake the key reader through a self-pipe; so does SIGWINCH, for
// the reader to follow the new size. SIGQUIT and the crash signals write a
// prepared reset sequence to the terminal, put its modes back and re-raise.
// SIGTSTP puts the terminal back and stops; SIGCONT wakes the key reader so
// it takes the terminal again. Also the test for job control, which decides
// whether Ctrl+Z may stop pk.
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
// Ends the run as SIGTERM would (Ctrl+C where pk cannot show its screen).
void RequestTerminalEnd();

// What a SIGCONT found, reported once: the stop handler had given the
// terminal back (it must be taken again), or pk had kept it (a SIGSTOP from
// elsewhere: it is only redrawn).
enum class Continued { No, AfterStop, Kept };
Continued TakeTerminalContinued();

// A SIGWINCH (or a return from elsewhere, where the size may have changed)
// not yet followed. Take clears it.
bool TerminalResizePending();
bool TakeTerminalResized();
void MarkTerminalResized();

// Once pk gives its terminal back, at the end or to another program, the
// terminal's keys (Ctrl+C, Ctrl+\, Ctrl+Z) raise signals again while pk
// still runs: Hold blocks those signals from before that, Drop discards any
// that came and unblocks them once pk has the terminal back without them.
void HoldKeySignals();
void DropKeySignals();

// Stops pk's process group as the terminal's suspend key would, when a
// shell with job control can bring it back; otherwise does nothing.
void StopAsJob();
// Writes the reset sequence and restores the saved modes (for atexit and
// other last-resort paths; async-signal-safe).
void EmergencyTerminalReset();

}  // namespace pk
