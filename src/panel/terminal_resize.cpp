// Following the terminal's size: a SIGWINCH (never a poll) marks a resize;
// the reader waits for a burst of them to pass, then gives curses and the
// grid the new size and queues one RESIZE_EVENT for the program, which lays
// its screen out anew. Below the smallest size only a notice is shown until
// the terminal is large enough again.
#include <poll.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <string>

#include "panel/terminal_curses.h"
#include "panel/terminal_session.h"
#include "panel/terminal_signals.h"

namespace pk {

namespace {

constexpr int kSettleMs = 20;      // this long without a resize ends a burst
constexpr int kSettleMaxMs = 200;  // a longer burst is followed anyway
constexpr int kMaxCells = INT16_MAX;

// Waits while SIGWINCHes keep coming, so that a window being dragged is
// redrawn once it rests. Any signal wakes the wait; only a quiet spell of
// kSettleMs ends it (or an ending signal, or kSettleMaxMs in all).
void SettleResizes() {
    int64_t end = NowMs() + kSettleMaxMs;
    for (;;) {
        DrainTerminalSignals();
        TakeTerminalResized();
        int left = static_cast<int>(end - NowMs());
        if (left <= 0 || TerminalEndRequested()) return;
        struct pollfd p{TerminalSignalFd(), POLLIN, 0};
        if (poll(&p, 1, std::min(kSettleMs, left)) == 0) return;
    }
}

bool TooSmall(int cols, int rows) { return cols < MIN_COLUMNS || rows < MIN_ROWS; }

void ShowNotice(int cols, int rows) {
    std::string text = "Terminal too small: " + std::to_string(cols) + "x" + std::to_string(rows) +
                       ", pk needs " + std::to_string(MIN_COLUMNS) + "x" + std::to_string(MIN_ROWS);
    resize_term(rows, cols);
    werase(stdscr);
    mvwaddnstr(stdscr, 0, 0, text.c_str(), std::min(cols, static_cast<int>(text.size())));
    curs_set(0);
    clearok(curscr, TRUE);
    wnoutrefresh(stdscr);
    doupdate();
}

// Reads what was typed while only the notice shows: Ctrl+C ends the run,
// Ctrl+Z stops it as a job, anything else is dropped. False to end.
bool TakeKeysWhileTooSmall(TerminalSession& s) {
    while (DecodeNext(s)) {
    }
    for (const InputRecord& r : s.queue) {
        if (IsInterruptKey(r)) RequestTerminalEnd();
        if (IsSuspendKey(r)) StopAsJob();
    }
    s.queue.clear();
    return !TerminalEndRequested();
}

// Shows the notice until the terminal is at least the smallest size, which
// cols and rows then hold. False when the run is to end meanwhile.
bool WaitWhileTooSmall(TerminalSession& s, int& cols, int& rows) {
    while (TooSmall(cols, rows)) {
        ShowNotice(cols, rows);
        if (!WaitForInput(s) || !TakeKeysWhileTooSmall(s)) return false;
        TakeBackAfterContinue(s);
        SettleResizes();
        TerminalSize(s.tty, cols, rows);
    }
    return true;
}

}  // namespace

bool TerminalSize(int tty, int& cols, int& rows) {
    struct winsize ws{};
    if (ioctl(tty, TIOCGWINSZ, &ws) != 0 || ws.ws_col == 0 || ws.ws_row == 0) return false;
    cols = std::min<int>(ws.ws_col, kMaxCells);
    rows = std::min<int>(ws.ws_row, kMaxCells);
    return true;
}

void FitCursesToTerminal(TerminalSession& s) {
    int cols = COLS, rows = LINES;
    if (!TerminalSize(s.tty, cols, rows)) return;
    if (cols != COLS || rows != LINES) {
        resize_term(rows, cols);
        clearok(curscr, TRUE);
    }
    if (cols != s.cols || rows != s.rows) MarkTerminalResized();
}

bool FollowResize(TerminalSession& s) {
    SettleResizes();
    int cols = s.cols, rows = s.rows;
    if (!TerminalSize(s.tty, cols, rows)) return true;
    if (!WaitWhileTooSmall(s, cols, rows)) {
        if (TerminalEndRequested()) s.lastError = EINTR;  // else the terminal's failure stands
        return false;
    }
    resize_term(rows, cols);
    // Whatever the size, the terminal may have cut or moved what it showed:
    // all of it is drawn again.
    s.grid.markAllDirty();
    clearok(curscr, TRUE);
    if (cols == s.cols && rows == s.rows) return true;
    s.grid.resize(cols, rows);
    s.cols = cols;
    s.rows = rows;
    InputRecord event;
    event.eventType = RESIZE_EVENT;
    event.position = {static_cast<int16_t>(cols), static_cast<int16_t>(rows)};
    s.queue.push_back(event);
    return true;
}

}  // namespace pk
