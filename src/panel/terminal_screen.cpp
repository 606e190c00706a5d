// Output of the terminal console: colour pairs, drawing the shadow grid's
// changed rows through curses, the cursor, and bytes pk writes itself.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <bitset>
#include <cerrno>
#include <string>
#include <utility>
#include <vector>

#include "panel/terminal_curses.h"
#include "panel/cell_glyphs.h"
#include "panel/terminal_session.h"
#include "panel/terminal_signals.h"
#include "panel/utf8.h"

#include <ncursesw/term.h>  // last: it defines a macro for every capability name

namespace pk {

namespace {

// Gives curses a colour pair at its first use: a screen uses a few of the
// 255, and making them all would cost every start-up a fifth of a
// millisecond.
void MakePair(TerminalSession& s, int pair) {
    if (pair <= 0 || pair >= static_cast<int>(s.pairsMade.size()) || s.pairsMade[pair]) return;
    short fg = 0, bg = 0;
    if (pair < COLOR_PAIRS && PairColours(pair, s.colours, fg, bg)) init_pair(static_cast<short>(pair), fg, bg);
    s.pairsMade[pair] = true;
}

// Cell x of a row as curses shows it: as a curses character, and as a
// one-byte curses character too when it is one printable ASCII character in
// one cell (else 0). Width 0 for the right half of a two-cell character,
// which is left out of the row given to curses (it places each character by
// its width).
struct CursesCell {
    cchar_t wide;
    chtype narrow = 0;
    int width = 1;
};

CursesCell CellChar(TerminalSession& s, const Cell* row, int cols, int x) {
    const Cell& c = row[x];
    CellStyle style = StyleFor(c.attr, s.colours);
    MakePair(s, style.pair);
    attr_t a = (style.bold ? A_BOLD : A_NORMAL) | (style.reverse ? A_REVERSE : A_NORMAL);
    wchar_t w[SHOWN_CHARS_MAX + 1] = {L' ', 0};
    CursesCell out;
    if (c.kind != CELL_GLYPH || s.utf8) {
        ShownChars shown = CellShows(row, cols, x);
        for (int i = 0; i < shown.count; ++i) w[i] = static_cast<wchar_t>(shown.chars[i]);
        out.width = shown.width;
    } else {
        bool lineDrawing = false;
        w[0] = static_cast<wchar_t>(AsciiGlyph(c.ch, &lineDrawing));
        if (lineDrawing) a |= A_ALTCHARSET;
    }
    setcchar(&out.wide, w, a, style.pair, nullptr);
    if (out.width == 1 && w[1] == 0 && PrintableAscii(char32_t(w[0])) && style.pair < 256)
        out.narrow = static_cast<chtype>(w[0]) | a | COLOR_PAIR(style.pair);
    return out;
}

// The curses characters of glyph cells in the attribute last drawn: most of
// a screen's fixed fields are such cells, and making each one (setcchar) is
// much of the cost of handing a row to curses. A glyph cell's character
// depends only on its byte and attribute, and on the colours and output
// chosen, which InitColours settles (it empties this).
struct GlyphCells {
    int attr = -1;
    std::bitset<256> made;
    CursesCell cells[256];
};
GlyphCells glyphCells;

const CursesCell& GlyphChar(TerminalSession& s, const Cell* row, int cols, int x) {
    const Cell& c = row[x];
    if (glyphCells.attr != (c.attr & 0xFF)) {
        glyphCells.attr = c.attr & 0xFF;
        glyphCells.made.reset();
    }
    if (!glyphCells.made[c.ch]) {
        glyphCells.cells[c.ch] = CellChar(s, row, cols, x);
        glyphCells.made[c.ch] = true;
    }
    return glyphCells.cells[c.ch];
}

// A row of glyph cells that are all printable ASCII goes to curses as
// one-byte characters, which it stores without looking up each one's width
// and rendition: most rows of a text file. False, with nothing drawn, for
// any other row.
bool DrawNarrowRow(TerminalSession& s, const Cell* cells, int n, int y) {
    static std::vector<chtype> row;  // kept from row to row
    row.clear();
    for (int x = 0; x < n; ++x) {
        if (cells[x].kind != CELL_GLYPH) return false;
        chtype ch = GlyphChar(s, cells, n, x).narrow;
        if (ch == 0) return false;
        row.push_back(ch);
    }
    mvwaddchnstr(stdscr, y, 0, row.data(), n);
    return true;
}

// One row of the grid into curses, cut to the terminal's present size.
void DrawRow(TerminalSession& s, int y) {
    if (y >= LINES) return;
    int n = std::min(s.grid.cols(), COLS);
    const Cell* cells = &s.grid.at(0, y);
    if (DrawNarrowRow(s, cells, n, y)) return;
    static std::vector<cchar_t> row;  // kept from row to row
    row.clear();
    for (int x = 0; x < n; ++x) {
        CursesCell cc = cells[x].kind == CELL_GLYPH ? GlyphChar(s, cells, n, x) : CellChar(s, cells, n, x);
        if (cc.width > 0) row.push_back(cc.wide);
    }
    mvwadd_wchnstr(stdscr, y, 0, row.data(), static_cast<int>(row.size()));
}

void ShowCursor(TerminalSession& s) {
    bool inside = s.cursor.x < std::min(s.cols, COLS) && s.cursor.y < std::min(s.rows, LINES);
    if (inside) wmove(stdscr, s.cursor.y, s.cursor.x);
    int visibility = !s.cursorVisible ? 0 : (!s.cursorShapes && s.cursorSize > 50 ? 2 : 1);
    curs_set(visibility);
}

// The bytes that set the cursor's shape, when it is to change.
std::string CursorShapeChange(TerminalSession& s) {
    if (!s.cursorShapes || !s.cursorVisible) return "";
    int shape = s.cursorSize <= 50 ? 3 : 1;  // blinking underline or blinking block
    if (shape == s.shapeShown) return "";
    s.shapeShown = shape;
    const char* ss = tigetstr("Ss");
    return ss && ss != reinterpret_cast<char*>(-1) ? tiparm(ss, shape) : "";
}

}  // namespace

void InitColours(TerminalSession& s) {
    if (!has_colors() || start_color() == ERR) {
        s.colours = 0;
        return;
    }
    if (use_default_colors() == ERR) assume_default_colors(COLOR_WHITE, COLOR_BLACK);
    if (COLORS >= 16 && COLOR_PAIRS >= 256) s.colours = 16;
    else if (COLORS >= 8 && COLOR_PAIRS >= 64) s.colours = 8;
    else s.colours = 0;
    s.pairsMade.reset();
    glyphCells.attr = -1;
}

// Curses writes a screen update a row at a time. While it updates, its
// descriptor points at the memory file instead, and the update reaches the
// terminal in one write: the terminal shows the screen whole, at once.
bool StartGathering(TerminalSession& s) {
    if (!s.gathering && !isendwin() && s.gather >= 0 && s.cursesOut >= 0)
        s.gathering = dup3(s.gather, s.cursesOut, O_CLOEXEC) >= 0;
    return s.gathering;
}

void SendPending(TerminalSession& s) {
    if (!s.gathering) {
        WriteTty(s, std::exchange(s.held, {}));
        return;
    }
    off_t size = lseek(s.gather, 0, SEEK_CUR);
    while (dup3(s.tty, s.cursesOut, O_CLOEXEC) < 0 && (errno == EINTR || errno == EBUSY)) {
    }
    s.gathering = false;
    s.gathered.resize(static_cast<size_t>(std::max<off_t>(size, 0)));
    ssize_t n = size > 0 ? pread(s.gather, s.gathered.data(), s.gathered.size(), 0) : 0;
    lseek(s.gather, 0, SEEK_SET);
    s.gathered.resize(static_cast<size_t>(std::max<ssize_t>(n, 0)));
    WriteTty(s, s.gathered += std::exchange(s.held, {}));
}

void FlushOutput(TerminalSession& s) {
    if (!s.active) return;
    if (TerminalResizePending()) FitCursesToTerminal(s);  // draw inside the terminal as it is now
    bool drawn = false;
    for (int y = 0; y < s.grid.rows(); ++y) {
        if (!s.grid.dirty(y)) continue;
        DrawRow(s, y);
        drawn = true;
    }
    s.grid.clearDirty();
    if (drawn) StartGathering(s);  // a cursor move alone is one write anyway
    ShowCursor(s);
    wnoutrefresh(stdscr);
    doupdate();
    s.held += CursorShapeChange(s);
    SendPending(s);
}

void MarkAllForRedraw(TerminalSession& s) {
    s.grid.markAllDirty();
    clearok(curscr, TRUE);
}

void RedrawAll(TerminalSession& s) {
    MarkAllForRedraw(s);
    FlushOutput(s);
}

void WriteTty(const TerminalSession& s, std::string_view bytes) {
    size_t done = 0;
    while (s.tty >= 0 && done < bytes.size()) {
        ssize_t n = write(s.tty, bytes.data() + done, bytes.size() - done);
        if (n > 0) done += static_cast<size_t>(n);
        else if (n < 0 && errno != EINTR) return;
    }
}

std::string Capability(const char* name) {
    const char* value = tigetstr(name);
    if (!value || value == reinterpret_cast<char*>(-1)) return "";
    std::string out;
    for (const char* p = value; *p; ++p) {
        if (p[0] == '$' && p[1] == '<') {  // padding "$<5>" is a delay, not output
            while (*p && *p != '>') ++p;
            if (!*p) break;
            continue;
        }
        out += *p;
    }
    return out;
}

bool CanAddressCursor(int tty) {
    int status = 0;
    TERMINAL* previous = cur_term;
    if (setupterm(nullptr, tty, &status) != OK) return true;
    const char* cup = tigetstr("cup");
    bool addressable = cup && cup != reinterpret_cast<char*>(-1);
    del_curterm(cur_term);
    set_curterm(previous);
    return addressable;
}

std::string CursorTo(int row, int col) {
    std::string cup = Capability("cup");
    if (cup.empty()) return "\033[" + std::to_string(row + 1) + ";" + std::to_string(col + 1) + "H";
    return tiparm(cup.c_str(), row, col);
}

}  // namespace pk
