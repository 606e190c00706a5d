// The terminal console: opening the terminal (/dev/tty, size check, locale,
// curses set-up, pk's own modes), the Console operations over the shadow
// grid, and the ways of giving the terminal back.
#include "panel/terminal_console.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "panel/frame_text.h"
#include "panel/terminal_clipboard.h"
#include "panel/terminal_curses.h"
#include "panel/terminal_session.h"
#include "panel/terminal_signals.h"
#include "panel/utf8.h"

namespace pk {

namespace {

constexpr int kResizeWaitMs = 500;
constexpr const char* kModesOn = "\033[?1000h\033[?1006h";
constexpr const char* kModesOff = "\033[?1006l\033[?1000l";

// A terminal smaller than 80 x 24 is asked to grow (xterm's CSI 8 t) and
// given half a second to do so.
bool EnsureMinimumSize(int tty, int& cols, int& rows) {
    if (cols >= MIN_COLUMNS && rows >= MIN_ROWS) return true;
    std::string ask = "\033[8;" + std::to_string(std::max(rows, MIN_ROWS)) + ";" +
                      std::to_string(std::max(cols, MIN_COLUMNS)) + "t";
    (void)!write(tty, ask.data(), ask.size());
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kResizeWaitMs);
    while (std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        TerminalSize(tty, cols, rows);
        if (cols >= MIN_COLUMNS && rows >= MIN_ROWS) return true;
    }
    return false;
}

bool NoLocaleChosen() {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* v = getenv(name);
        if (v && *v && std::strcmp(v, "C") != 0 && std::strcmp(v, "POSIX") != 0) return false;
    }
    return true;
}

std::string PasteOn() {
    std::string be = Capability("BE");
    return be.empty() ? "\033[?2004h" : be;
}

std::string PasteOff() {
    std::string bd = Capability("BD");
    return bd.empty() ? "\033[?2004l" : bd;
}

// What the signal handlers write to put the terminal back.
std::string ResetSequence(const TerminalSession& s) {
    std::string reset = kModesOff + PasteOff();
    if (s.cursorShapes) reset += "\033[0 q";
    reset += Capability("sgr0") + Capability("cnorm") + Capability("rmkx");
    if (s.altScreen) reset += Capability("rmcup");
    return reset;
}

int CurrentCols(const TerminalSession& s) {
    int cols = s.cols, rows = s.rows;
    TerminalSize(s.tty, cols, rows);
    return cols;
}

void AtExit() {
    TerminalSession& s = Session();
    if (s.active) TerminalConsole()->restoreScreen();
}

int StartCurses(TerminalSession& s) {
    FILE* out = fdopen(fcntl(s.tty, F_DUPFD_CLOEXEC, 0), "w");
    FILE* in = fdopen(fcntl(s.tty, F_DUPFD_CLOEXEC, 0), "r");
    if (!out || !in) return errno ? errno : EBADF;
    s.cursesOut = fileno(out);
    s.gather = memfd_create("pk-screen", MFD_CLOEXEC);  // without one, curses writes as it goes
    set_escdelay(25);
    s.curses = newterm(nullptr, out, in);
    if (!s.curses) s.curses = newterm("xterm-256color", out, in);
    if (!s.curses) return ENOTTY;
    set_term(s.curses);
    if (Capability("cup").empty()) {  // refused before anything is written
        delscreen(s.curses);
        s.curses = nullptr;
        return ENOTSUP;
    }
    raw();
    noecho();
    nonl();
    // From here curses only writes until the first screen: what it writes
    // to start (the alternate screen) goes out with that screen, in its one
    // write. Not before: curses sets the terminal's modes through its
    // descriptor. Keypad mode waits for the first read (BuildKeyMap).
    StartGathering(s);
    set_escdelay(25);
    s.altScreen = !Capability("smcup").empty();
    s.cursorShapes = !Capability("Ss").empty();
    InitColours(s);
    return 0;
}

class Terminal final : public Console {
public:
    int open() override;
    bool queryScreen(ScreenInfo& info) override;
    bool setWindow(const Rect& window) override;
    bool readAttribute(Coord at, uint16_t& attr) override;
    bool getCursorInfo(int& size, bool& visible) override;
    bool setCursorInfo(int size, bool visible) override;
    bool setCursorPosition(Coord at) override;
    bool writeChars(Coord at, const uint8_t* bytes, int count) override;
    bool writeAttrs(Coord at, const uint16_t* attrs, int count) override;
    bool fillAttrs(uint16_t attr, int count) override;
    bool fillChars(uint8_t ch, int count) override;
    bool writeCells(const Cell* block, Coord blockSize, const Rect& target) override;
    bool readCells(Cell* block, Coord blockSize, const Rect& source) override;
    void updateScreen() override { FlushOutput(Session()); }
    bool readInput(InputRecord& record) override;
    void setTick(int ms) override { Session().tickMs = ms; }
    void flushInput() override;
    bool pushInput(const InputRecord& record) override;
    void beep() override;
    void tone() override;
    bool readClipboard(std::string& text) override;
    void restoreScreen() override;
    void leaveScreen(bool dropLastLine) override;
    void suspend() override;
    void resume() override;
    bool endRequested() const override { return TerminalEndRequested(); }
    int lastError() const override { return Session().lastError; }

private:
    bool fail(int error) {
        Session().lastError = error;
        return false;
    }
};

int Terminal::open() {
    TerminalSession& s = Session();
    if (s.opened) return 0;
    int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (tty < 0) return s.lastError = errno;
    struct termios saved;
    if (tcgetattr(tty, &saved) != 0) {
        s.lastError = errno;
        ::close(tty);
        return s.lastError;
    }
    int cols = 0, rows = 0;
    TerminalSize(tty, cols, rows);
    // A terminal too small is asked to grow only when it can address its
    // cursor; one that cannot is refused before anything is written (and
    // else by StartCurses).
    bool small = cols < MIN_COLUMNS || rows < MIN_ROWS;
    if (small && !CanAddressCursor(tty)) {
        ::close(tty);
        return s.lastError = ENOTSUP;
    }
    bool bigEnough = EnsureMinimumSize(tty, cols, rows);
    s.cols = cols;  // also after a refusal, so the caller can say how large it is
    s.rows = rows;
    if (!bigEnough) {
        ::close(tty);
        return s.lastError = ERANGE;
    }
    s.tty = tty;
    s.utf8 = ChooseTerminalLocale();
    InstallTerminalSignals(tty, saved);
    if (int error = StartCurses(s)) {
        tcsetattr(tty, TCSANOW, &saved);  // curses may have changed its modes
        ::close(tty);
        s.tty = -1;
        return s.lastError = error;
    }
    if (s.cols <= 0 || s.rows <= 0) {
        s.cols = COLS;
        s.rows = LINES;
    }
    s.grid.reset(s.cols, s.rows);
    s.opened = true;
    EnterScreen(s, false);
    std::atexit(AtExit);
    return 0;
}

bool Terminal::queryScreen(ScreenInfo& info) {
    TerminalSession& s = Session();
    if (s.cols <= 0 || s.rows <= 0) return fail(ENOTTY);
    info.bufferSize = {static_cast<int16_t>(s.cols), static_cast<int16_t>(s.rows)};
    info.cursor = s.cursor;
    info.attributes = 0x07;
    info.window = {0, 0, static_cast<int16_t>(s.cols - 1), static_cast<int16_t>(s.rows - 1)};
    return true;
}

// The window is always the whole terminal at the origin; a request for the
// origin is granted once the terminal passed the size check at open.
bool Terminal::setWindow(const Rect& window) {
    if (!Session().opened) return fail(ENOTTY);
    if (window.left != 0 || window.top != 0) return fail(EINVAL);
    return true;
}

bool Terminal::readAttribute(Coord at, uint16_t& attr) {
    const TerminalSession& s = Session();
    if (!s.grid.contains(at)) return fail(EINVAL);
    attr = s.grid.at(at.x, at.y).attr;
    return true;
}

bool Terminal::getCursorInfo(int& size, bool& visible) {
    size = Session().cursorSize;
    visible = Session().cursorVisible;
    return true;
}

bool Terminal::setCursorInfo(int size, bool visible) {
    if (size < 1 || size > 100) return fail(EINVAL);
    Session().cursorSize = size;
    Session().cursorVisible = visible;
    return true;
}

bool Terminal::setCursorPosition(Coord at) {
    if (!Session().grid.contains(at)) return fail(EINVAL);
    Session().cursor = at;
    return true;
}

bool Terminal::writeChars(Coord at, const uint8_t* bytes, int count) {
    return Session().grid.writeChars(at, bytes, count) || fail(EINVAL);
}

bool Terminal::writeAttrs(Coord at, const uint16_t* attrs, int count) {
    return Session().grid.writeAttrs(at, attrs, count) || fail(EINVAL);
}

bool Terminal::fillAttrs(uint16_t attr, int count) {
    if (!Session().opened) return fail(ENOTTY);
    Session().grid.fillAttrs(attr, count);
    return true;
}

bool Terminal::fillChars(uint8_t ch, int count) {
    if (!Session().opened) return fail(ENOTTY);
    Session().grid.fillChars(ch, count);
    return true;
}

bool Terminal::writeCells(const Cell* block, Coord blockSize, const Rect& target) {
    return Session().grid.writeBlock(block, blockSize, target) || fail(EINVAL);
}

bool Terminal::readCells(Cell* block, Coord blockSize, const Rect& source) {
    return Session().grid.readBlock(block, blockSize, source) || fail(EINVAL);
}

bool Terminal::readInput(InputRecord& record) {
    TerminalSession& s = Session();
    if (!s.active) return fail(EIO);
    return ReadInputEvent(s, record);
}

void Terminal::flushInput() {
    if (Session().active) FlushInputEvents(Session());
}

bool Terminal::pushInput(const InputRecord& record) {
    Session().queue.push_front(record);
    return true;
}

void Terminal::beep() {
    TerminalSession& s = Session();
    if (!s.active) return WriteTty(s, "\a");
    FlushOutput(s);
    ::beep();
}

void Terminal::tone() { beep(); }

bool Terminal::readClipboard(std::string& text) {
    if (ReadSystemClipboard(text)) return true;
    return fail(ENOENT);
}

// At the end pk gives the terminal back before it writes its settings: from
// then on the terminal's keys signal nothing to pk.
void Terminal::restoreScreen() {
    TerminalSession& s = Session();
    if (!s.active) return;
    HoldKeySignals();
    LeaveScreenModes(s);
    if (!s.altScreen) WriteTty(s, Capability("clear"));  // no saved screen to go back to
}

void Terminal::leaveScreen(bool dropLastLine) {
    TerminalSession& s = Session();
    if (!s.active) return;
    HoldKeySignals();
    LeaveScreenModes(s);
    int rows = dropLastLine ? s.rows - 1 : s.rows;
    if (s.altScreen) {
        WriteTty(s, FrameText(s.grid, rows, CurrentCols(s), s.colours, s.utf8));
    } else if (dropLastLine) {
        WriteTty(s, CursorTo(s.rows - 1, 0) + Capability("el"));
    } else {
        WriteTty(s, CursorTo(s.rows - 1, 0) + "\r\n");
    }
}

// The terminal's keys signal pk again from the moment it is given back
// until the program started has it, and again after it ended: in those
// moments they do nothing (held, then dropped).
void Terminal::suspend() {
    TerminalSession& s = Session();
    if (!s.active) return;
    HoldKeySignals();
    FlushOutput(s);
    LeaveScreenModes(s);
}

void Terminal::resume() {
    TerminalSession& s = Session();
    if (!s.opened || s.active) return;
    EnterScreen(s, true);
    DropKeySignals();
}

}  // namespace

TerminalSession& Session() {
    static TerminalSession session;
    return session;
}

void LeaveScreenModes(TerminalSession& s) {
    SendPending(s);  // endwin sets the terminal's modes through curses' descriptor
    std::string off = kModesOff + PasteOff();
    if (s.shapeShown) off += "\033[0 q";
    WriteTty(s, off);
    s.shapeShown = 0;
    curs_set(1);
    endwin();
    s.active = false;
    SetTerminalResetSequence("");
}

void EnterScreen(TerminalSession& s, bool drawNow) {
    s.active = true;
    s.shapeShown = 0;
    FitCursesToTerminal(s);  // the size may have changed while the terminal was away
    // The first refresh also enters curses' mode again after endwin. A new
    // screen waits for its first flush, which draws it whole in one pass
    // and sends pk's modes with it.
    if (drawNow) {
        RedrawAll(s);
        WriteTty(s, kModesOn + PasteOn());
    } else {
        MarkAllForRedraw(s);
        s.held += kModesOn + PasteOn();
    }
    SetTerminalResetSequence(ResetSequence(s));
}

// Curses never saw the stop, so its own endwin is not called again: that
// would leave the normal screen's cursor at its bottom row and put it back
// there at the end, over what the shell wrote meanwhile. Entering the
// alternate screen anew saves the cursor where the shell left it.
void TakeBackAfterContinue(TerminalSession& s) {
    Continued continued = TakeTerminalContinued();
    if (continued == Continued::No || !s.active) return;
    SendPending(s);  // curses sets the modes through its descriptor
    reset_prog_mode();
    std::string enter = continued == Continued::AfterStop && s.altScreen ? Capability("smcup") : "";
    WriteTty(s, enter + Capability("smkx") + kModesOn + PasteOn());
    curs_set(1);  // what the reset wrote; the next flush sets pk's own
    s.shapeShown = 0;
    FitCursesToTerminal(s);
    RedrawAll(s);
}

Console* TerminalConsole() {
    static Terminal terminal;
    return &terminal;
}

// UTF-8 output where the user's locale is UTF-8 or where none is chosen;
// the widths of characters follow the locale. Chosen once: text may be
// measured in other threads from then on.
bool ChooseTerminalLocale() {
    static const bool utf8 = [] {
        setlocale(LC_CTYPE, "");
        bool chosen = LocaleIsUtf8() || (NoLocaleChosen() && setlocale(LC_CTYPE, "C.UTF-8") && LocaleIsUtf8());
        ReadCharacterWidths();
        return chosen;
    }();
    return utf8;
}

}  // namespace pk
