// Drives the real pk on the emulated terminal for the pk_*_test suites:
// starting it on files, reading the status line, the command window and the
// hex view's first offset, waiting for beeps, and a marker key that proves
// everything sent before it has been handled.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness/pty_term.h"
#include "temp_dir.h"

namespace pktest {

constexpr int kWait = 5000;

inline VTermKey Fn(int n) { return static_cast<VTermKey>(VTERM_KEY_FUNCTION(n)); }
inline VTermModifier Mods(int m) { return static_cast<VTermModifier>(m); }

struct Pk {
    explicit Pk(int rows = 25, int cols = 80) : t(rows, cols) {}

    // Starts pk on the files and waits for the first screen.
    ::testing::AssertionResult start(std::vector<std::string> args, std::vector<std::string> env = {}) {
        args.insert(args.begin(), PK_BINARY);
        if (!t.start(args, env)) return ::testing::AssertionFailure() << "could not start";
        if (!t.waitFor("Half", kWait, t.rows() - 1) || !t.waitFor("COMMAND ==>", kWait, 2))
            return ::testing::AssertionFailure() << t.screenText();
        return ::testing::AssertionSuccess();
    }

    std::string status() const { return t.rowText(1); }
    std::string window() const { return t.rowText(2).substr(12, 67); }
    std::string hexOffset() const { return t.rowText(3).substr(3, 8); }

    bool waitStatus(const std::string& text) { return t.waitFor(text, kWait, 1); }
    bool waitWindow(const std::string& text) {
        return t.waitUntil([&] { return window().find(text) != std::string::npos; }, kWait);
    }
    bool waitHexOffset(const std::string& offset) {
        return t.waitUntil([&] { return hexOffset() == offset; }, kWait);
    }
    bool waitBells(int count) {
        return t.waitUntil([&] { return t.bells >= count; }, kWait) && t.bells == count;
    }
    bool waitCursor(int row, int col) {
        return t.waitUntil([&] { return t.cursorRow == row && t.cursorCol == col; }, kWait);
    }

    // Sends a key sequence that beeps and waits for exactly one more bell.
    bool beeps(const std::string& bytes) {
        int before = t.bells;
        t.send(bytes);
        return waitBells(before + 1);
    }
    bool beepsKey(VTermKey key, int mods = 0) {
        int before = t.bells;
        t.key(key, Mods(mods));
        return waitBells(before + 1);
    }

    // Types a marker into the command line, waits for it and takes it out
    // again: every key sent earlier has been handled by then. Only for use
    // while nothing redraws (keys typed during a redraw are dropped).
    bool settle() {
        t.send("~");
        if (!waitWindow("~")) return false;
        t.send("\x7f");
        return t.waitUntil([&] { return window().find('~') == std::string::npos; }, kWait);
    }

    // A command line run with Enter.
    void command(const std::string& text) { t.send(text + "\r"); }

    TempDir dir;
    PtyTerm t;
};

}  // namespace pktest
