// The full-screen panel library: screens described as tables of fields,
// drawn in colour through the console, with a key reader and an input editor.
// The library keeps one ConsoleState for the one console of the process.
#pragma once

#include <cstdint>

#include "panel/console.h"

namespace pk {

// Field flags.
constexpr uint16_t FLD_BOTTOM = 0x0100;
constexpr uint16_t FLD_LAST = 0x0200;
constexpr uint16_t FLD_UTF8 = 0x0400;  // the text is shown as UTF-8 (protected fields)
constexpr uint16_t FLD_CURSOR = 0x0800;
constexpr uint16_t FLD_AUTOSKIP = 0x1000;
constexpr uint16_t FLD_NOECHO = 0x2000;
constexpr uint16_t FLD_PROTECTED = 0x4000;
constexpr uint16_t FLD_NODISPLAY = 0x8000;

// Flags of fullpanel.
constexpr uint32_t PNL_KEEPOFFSET = 0x0004;
constexpr uint32_t PNL_ESCCLEAR = 0x0008;
constexpr uint32_t PNL_SILENT = 0x0020;
constexpr uint32_t PNL_ANYKEYEND = 0x0040;  // a panel without input fields: any key press ends the wait
constexpr uint32_t PNL_ESCEND = 0x0200;
constexpr uint32_t PNL_INPUT = 0x0800;
constexpr uint32_t PNL_ENTEREND = 0x1000;
constexpr uint32_t PNL_RESET = 0x2000;
constexpr uint32_t PNL_CLEAR = 0x4000;
constexpr uint32_t PNL_DISPLAY = 0x8000;
// fullpanel's result when its input step ended because the screen changed
// size; the caller lays its screen out anew and shows the panel again.
constexpr uint32_t PNL_RESIZED = 0x10000;

// One field of a panel: a rectangle of one screen line, a colour and a text
// buffer owned by the caller (exactly textLength bytes, not NUL-terminated).
struct PanelField {
    uint16_t number;        // caller's identifier, searched by fullfind
    uint16_t flags;         // FLD_*
    uint16_t colour;        // index 0..12 into the attribute table
    uint16_t row;           // 1-based; with FLD_BOTTOM counted up from the last line
    uint16_t column;        // 1-based
    uint16_t width;         // cells covered; 0 is never drawn
    uint16_t scrollOffset;  // index of the first text byte shown
    uint16_t textLength;    // size of the text buffer
    uint8_t* text;
};

// A panel is an array of PanelField whose last record has FLD_LAST.
using Panel = PanelField;

// The smallest usable screen: 80 columns by 24 rows (a terminal's common
// height).
constexpr int MIN_COLUMNS = 80;
constexpr int MIN_ROWS = 24;

constexpr int ATTRIBUTE_COUNT = 13;
using AttributeTable = uint8_t[ATTRIBUTE_COUNT];

// The attribute table the library starts with and start-up installs: light
// grey on black, bright white on black (2), black on light grey (3).
constexpr AttributeTable START_ATTRIBUTES = {
    0x07, 0x07, 0x0F, 0x70, 0x8F, 0x87, 0x00, 0x07, 0x07, 0x07, 0x00, 0x00, 0x00};

struct ConsoleState {
    Console* console = nullptr;  // output and input of the one console
    ScreenInfo screen;           // refreshed by every window check
    uint8_t initialAttribute = 0x07;
    uint32_t drawingStep = 0;    // 1 while drawing, 2 from then on
    uint32_t insertMode = 0;
    uint32_t capsFlag = 0;
    uint32_t lastError = 0;
};

// The console the library works on, the program's only one; set once before
// fullinit (the program gives it the terminal, tests an in-memory console).
void fullconsole(Console* console);
Console* fullconsole();
// The simple beep of a refused action, on that console.
void Beep();
// Forget all library state (uninitialised, default attribute table).
void fullreset();

ConsoleState* fullinit();
void fullattr(const uint8_t* table);
uint32_t fullpanel(uint32_t flags, PanelField* panel);
PanelField* fullfind(PanelField* panel, uint32_t number);

// Operations inside the library, exposed for the tests.
int fullcheck();
int fullwindow();
void fulldraw(const PanelField& field);
void fullclear(uint8_t attr);
void fullcursor(int size);
bool fullgoto(int x, int y);
int fullrow(const PanelField& field);
void fullkey(int32_t& ch, int32_t& scanCode, int32_t& repeat);
uint32_t fullwait(uint32_t flags);
int fullpush();
uint32_t fulledit(uint32_t flags, int count, PanelField* panel);
int fulltextend(const PanelField& field);

// The current attribute table (13 bytes).
const uint8_t* fullattributes();

}  // namespace pk
