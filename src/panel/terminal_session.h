// State shared by the parts of the terminal console: the terminal it opened,
// the shadow screen, the key map and the queue of decoded input events.
// Used only inside src/panel/terminal_*.cpp.
#pragma once

#include <bitset>
#include <cstdint>
#include <deque>
#include <map>
#include <string>

#include "panel/cell_grid.h"
#include "panel/console.h"
#include "panel/input_decoder.h"
#include "panel/panel.h"

struct screen;  // ncurses' SCREEN

namespace pk {

struct TerminalSession {
    int tty = -1;                  // /dev/tty, opened once
    int cursesOut = -1;            // the descriptor curses writes to (a copy of tty)
    int gather = -1;               // a memory file that gathers one flush's output (-1: none)
    bool gathering = false;        // curses' descriptor points at it
    std::string gathered;          // its bytes, on their way to the terminal
    std::string held;              // pk's own bytes for the next flush's write
    struct screen* curses = nullptr;
    bool opened = false;           // open() succeeded
    bool active = false;           // pk's screen is up (not ended or handed over)
    bool altScreen = true;         // the terminal has an alternate screen
    bool cursorShapes = false;     // the terminal description has DECSCUSR
    bool utf8 = true;              // output in UTF-8; else the ASCII fallback
    int colours = 16;              // 16, 8 or 0 (see StyleFor)
    std::bitset<256> pairsMade;    // colour pairs given to curses, each at its first use
    int cols = 0;                  // the size the program draws for (the grid's)
    int rows = 0;
    CellGrid grid;                 // the screen as pk last wrote it
    Coord cursor;
    int cursorSize = 25;
    bool cursorVisible = true;
    int shapeShown = 0;            // DECSCUSR value last sent, 0 none
    std::deque<InputRecord> queue;
    std::string pending;           // input read with a paste, after its end marker
    size_t pendingTaken = 0;       // how much of it the decoder has taken
    InputDecoder decoder;
    std::map<int, InputRecord> keys;  // curses key code -> record
    bool keysMapped = false;       // keys built: at the first read, after the first screen
    int mouseCode = 0;             // private codes of "\e[<", "\e[200~", "\e[201~"
    int pasteBeginCode = 0;
    int pasteEndCode = 0;
    int lastError = 0;
    int tickMs = 0;                // readInput's tick (0: none)
    bool ticked = false;           // the last wait ended with no input
};

TerminalSession& Session();

// terminal_console.cpp: handing the terminal back and taking it again.
void LeaveScreenModes(TerminalSession& s);  // modes off, curses' endwin
// Curses' mode, pk's modes and a full redraw: now, or at the next flush.
void EnterScreen(TerminalSession& s, bool drawNow);
// After a SIGCONT: the terminal taken again (once more into the alternate
// screen only when the stop handler had left it) and redrawn.
void TakeBackAfterContinue(TerminalSession& s);

// terminal_screen.cpp: colours, drawing the shadow grid, flushing output.
void InitColours(TerminalSession& s);
void FlushOutput(TerminalSession& s);   // dirty rows, cursor, doupdate, cursor shape
void RedrawAll(TerminalSession& s);     // after a resize or a return to the screen
void MarkAllForRedraw(TerminalSession& s);  // RedrawAll at the next flush
void WriteTty(const TerminalSession& s, std::string_view bytes);
// Points curses' descriptor at the memory file (not after endwin: curses'
// refresh then sets the terminal's modes through it). True while it does.
bool StartGathering(TerminalSession& s);
// What curses wrote since StartGathering and the held bytes, to the terminal
// in one write; curses' descriptor is the terminal again. Before anything
// that sets the terminal's modes through curses.
void SendPending(TerminalSession& s);
// The terminal description's string capability name, padding removed; ""
// when it has none.
std::string Capability(const char* name);
std::string CursorTo(int row, int col);  // the cursor-address sequence
// False when TERM names a description without cursor addressing (dumb, a
// printing terminal); an unknown TERM passes (curses falls back to xterm).
bool CanAddressCursor(int tty);

// terminal_keymap.cpp: key codes of the curses reader.
// Built at the first read of input, so that the first screen need not wait
// for it.
void BuildKeyMap(TerminalSession& s);
// The bytes a key code stands for (to give pasted text back as typed).
std::string KeyCodeBytes(int code);

// terminal_input.cpp: reading and discarding input.
bool ReadInputEvent(TerminalSession& s, InputRecord& record);
void FlushInputEvents(TerminalSession& s);
// Decodes what the terminal has sent up to the end of one event into the
// queue; false when nothing was there.
bool DecodeNext(TerminalSession& s);
// Blocks until the terminal has input or a signal woke the reader; false
// when the terminal is gone.
bool WaitForInput(TerminalSession& s);
// Ctrl+Z as a key: never handed on, it stops pk as a job.
bool IsSuspendKey(const InputRecord& record);
bool IsInterruptKey(const InputRecord& record);  // Ctrl+C
// The steady clock in milliseconds, for input timing and resize bursts.
int64_t NowMs();

// terminal_resize.cpp: following the terminal's size.
// The terminal's size from the kernel, at most what a Coord holds; false
// when it reports none.
bool TerminalSize(int tty, int& cols, int& rows);
// Curses' idea of the size made the terminal's, so that nothing is drawn
// outside it; marks a resize pending when it differs from the grid's.
void FitCursesToTerminal(TerminalSession& s);
// A pending resize taken, after any burst of them has passed: the grid and
// curses get the new size and a RESIZE_EVENT is queued. Below the smallest
// size only a notice is shown until the terminal is large enough. False when
// the run is to end meanwhile (Ctrl+C, an ending signal, a dead terminal).
bool FollowResize(TerminalSession& s);

}  // namespace pk
