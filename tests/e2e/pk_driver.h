// Drives the real pk on the emulated terminal for the end-to-end suites:
// starting and ending it, running tables of steps (keys or bytes, then the
// text they must bring or a beep), a marker that proves every key sent
// before it was handled, and the text builders the suites share.
#pragma once

#include <gtest/gtest.h>
#include <termios.h>

#include <functional>
#include <string>
#include <vector>

#include "harness/pty_term.h"
#include "temp_dir.h"

namespace pktest {

constexpr int kWait = 5000;

inline VTermKey Fn(int n) { return static_cast<VTermKey>(VTERM_KEY_FUNCTION(n)); }
inline std::string B(size_t n) { return std::string(n, ' '); }

// line(1) to line(count), each ended by '\n'.
inline std::string Lines(int count, const std::function<std::string(int)>& line) {
    std::string s;
    for (int i = 1; i <= count; ++i) s += line(i) + "\n";
    return s;
}

// s, count times over.
inline std::string Repeat(const std::string& s, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += s;
    return out;
}

// Bytes or a key, then `want` on `row` (the status line unless given) and,
// when col >= 0, the cursor at (row, col); an empty `want` means one beep.
struct Step {
    std::string bytes = {};
    VTermKey key = VTERM_KEY_NONE;
    int mods = 0;
    std::string want = {};
    int row = 1, col = -1;
};

// A cell in the default colours, neither bold nor reversed.
inline bool Plain(const PtyTerm::CellInfo& c) { return c.fgDefault && c.bgDefault && !c.bold && !c.reverse; }

// Every mode pk set is back: main screen, no mouse reports, no bracketed
// paste, normal cursor keys, the cursor visible in the user's shape, the
// line discipline echoing, cooked and with its signal keys.
inline ::testing::AssertionResult TerminalBack(const PtyTerm& t) {
    struct termios modes {};
    if (!t.slaveModes(modes)) return ::testing::AssertionFailure() << "no terminal modes";
    const std::string& out = t.output();
    const size_t reset = out.rfind("\033[0 q");  // after any other shape, if one was set
    bool shapeBack = true;
    for (char n : std::string("123456")) shapeBack &= out.rfind(std::string("\033[") + n + " q") + 1 <= reset + 1;
    const tcflag_t line = ECHO | ICANON | ISIG;
    if (t.altScreen || t.mouseMode != 0 || t.decMode(2004) || t.decMode(1006) || t.decMode(1) || !t.cursorVisible ||
        !shapeBack || (modes.c_lflag & line) != line)
        return ::testing::AssertionFailure() << "alt " << t.altScreen << " mouse " << t.mouseMode << " paste "
                                             << t.decMode(2004) << " cursor " << t.cursorVisible << shapeBack
                                             << " lflag " << std::hex << modes.c_lflag;
    return ::testing::AssertionSuccess();
}

struct Pk {
    explicit Pk(int rows = 25, int cols = 80) : t(rows, cols) {}

    // Starts pk and waits for its first screen.
    ::testing::AssertionResult start(std::vector<std::string> args, std::vector<std::string> env = {}) {
        args.insert(args.begin(), PK_BINARY);
        if (!t.start(args, env)) return ::testing::AssertionFailure() << "could not start";
        if (!t.waitFor("Half", kWait, t.rows() - 1) || !t.waitFor("COMMAND ==>", kWait, 2))
            return ::testing::AssertionFailure() << t.screenText();
        return ::testing::AssertionSuccess();
    }

    ::testing::AssertionResult run(const std::vector<Step>& steps) {
        for (size_t i = 0; i < steps.size(); ++i) {
            const Step& s = steps[i];
            int bells = t.bells;
            if (s.key != VTERM_KEY_NONE) t.key(s.key, static_cast<VTermModifier>(s.mods));
            else t.send(s.bytes);
            bool ok = s.want.empty() ? waitBells(bells + 1) : t.waitFor(s.want, kWait, s.row);
            if (ok && s.col >= 0) ok = waitCursor(s.row, s.col);
            if (!ok) return ::testing::AssertionFailure() << "step " << i << " '" << s.want << "'\n" << t.screenText();
        }
        return ::testing::AssertionSuccess();
    }

    // Types the End command; pk's exit status, -1 unless it exits normally within kWait.
    int end() {
        t.send("end\r");
        return t.exitCode(kWait);
    }

    std::string status() const { return t.rowText(1); }
    // Every row and the cursor, for comparing whole screens.
    std::string shot() const { return t.screenText() + "@" + std::to_string(t.cursorRow) + "," + std::to_string(t.cursorCol); }
    std::string window() const { return t.rowText(2).substr(12, 67); }
    bool waitWindow(const std::string& text) { return t.waitUntil([&] { return window().find(text) != std::string::npos; }); }
    bool waitBells(int count) { return t.waitUntil([&] { return t.bells >= count; }) && t.bells == count; }
    bool waitCursor(int row, int col) { return t.waitUntil([&] { return t.cursorRow == row && t.cursorCol == col; }); }
    bool waitShape(int shape) { return t.waitUntil([&] { return t.cursorShape == shape; }); }

    // Types a marker, waits for it and takes it out again. Only while
    // nothing redraws (keys typed during a redraw are dropped).
    bool settle() {
        t.send("~");
        if (!waitWindow("~")) return false;
        t.send("\x7f");
        return t.waitUntil([&] { return window().find('~') == std::string::npos; });
    }

    TempDir dir;
    PtyTerm t;
};

}  // namespace pktest
