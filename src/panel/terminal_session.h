// State shared by the parts of the terminal console: the terminal it opened,
// the shadow screen, the key map and the queue of decoded input events.
// Used only inside src/panel/terminal_*.cpp.
#pragma once

#include <deque>
#include <map>
#include <string>

#include "panel/cell_grid.h"
#include "panel/console.h"
#include "panel/input_decoder.h"

struct screen;  // ncurses' SCREEN

namespace pk {

struct TerminalSession {
    int tty = -1;                  // /dev/tty, opened once
    struct screen* curses = nullptr;
    bool opened = false;           // open() succeeded
    bool active = false;           // pk's screen is up (not ended or handed over)
    bool altScreen = true;         // the terminal has an alternate screen
    bool cursorShapes = false;     // the terminal description has DECSCUSR
    bool utf8 = true;              // output in UTF-8; else the ASCII fallback
    int colours = 16;              // 16, 8 or 0 (see StyleFor)
    int cols = 0;                  // start-up size
    int rows = 0;
    CellGrid grid;                 // the screen as pk last wrote it
    Coord cursor;
    int cursorSize = 25;
    bool cursorVisible = true;
    int shapeShown = 0;            // DECSCUSR value last sent, 0 none
    std::deque<InputRecord> queue;
    InputDecoder decoder;
    std::map<int, InputRecord> keys;  // curses key code -> record
    int mouseCode = 0;             // private codes of "\e[<", "\e[200~", "\e[201~"
    int pasteBeginCode = 0;
    int pasteEndCode = 0;
    int lastError = 0;
};

TerminalSession& Session();

// terminal_console.cpp: handing the terminal back and taking it again.
void LeaveScreenModes(TerminalSession& s);  // modes off, curses' endwin
void EnterScreen(TerminalSession& s);       // curses' mode, pk's modes, full redraw

// terminal_screen.cpp: colours, drawing the shadow grid, flushing output.
void InitColours(TerminalSession& s);
void FlushOutput(TerminalSession& s);   // dirty rows, cursor, doupdate, cursor shape
void RedrawAll(TerminalSession& s);     // after a resize or a return to the screen
void WriteTty(const TerminalSession& s, std::string_view bytes);
// The terminal description's string capability name, padding removed; ""
// when it has none.
std::string Capability(const char* name);
std::string CursorTo(int row, int col);  // the cursor-address sequence

// terminal_keymap.cpp: key codes of the curses reader.
void BuildKeyMap(TerminalSession& s);
// The bytes a key code stands for (to give pasted text back as typed).
std::string KeyCodeBytes(int code);

// terminal_input.cpp: reading and discarding input.
bool ReadInputEvent(TerminalSession& s, InputRecord& record);
void FlushInputEvents(TerminalSession& s);

}  // namespace pk
