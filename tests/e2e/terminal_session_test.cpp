// The terminal console's life: start-up on different terminals and sizes,
// the ways it gives the terminal back (restore, leave, signals, stop and
// continue), cursor shapes, the bell, resizes and the notice below 80x24.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>

#include <cstdlib>

#include "harness/keys_demo.h"
#include "harness/process.h"

namespace {

using namespace pk;
using pktest::KeysDemo;
using pktest::KeyText;
using pktest::PtyTerm;

bool LineModes(PtyTerm& t, bool on) {
    struct termios modes{};
    return t.slaveModes(modes) && ((modes.c_lflag & ECHO) != 0) == on && ((modes.c_lflag & ICANON) != 0) == on &&
           ((modes.c_lflag & ISIG) != 0) == on;
}

// The terminal is back as a shell wants it: normal screen, no mouse or
// paste reporting, cursor visible with the user's shape, echo and line mode.
void ExpectRestored(PtyTerm& t) {
    EXPECT_FALSE(t.altScreen);
    EXPECT_EQ(t.mouseMode, 0);
    EXPECT_FALSE(t.decMode(2004) || t.decMode(1006) || t.decMode(1));
    EXPECT_TRUE(t.cursorVisible);
    const std::string& out = t.output();
    size_t reset = out.rfind("\033[0 q");
    ASSERT_NE(reset, std::string::npos);
    for (const char* shape : {"\033[3 q", "\033[1 q"}) EXPECT_TRUE(out.rfind(shape) < reset || out.rfind(shape) == std::string::npos);
    EXPECT_TRUE(LineModes(t, true));
}

void ExpectRaw(PtyTerm& t) {
    EXPECT_TRUE(LineModes(t, false));
    EXPECT_TRUE(t.altScreen);
    EXPECT_EQ(t.mouseMode, VTERM_PROP_MOUSE_CLICK);
}

TEST(TerminalSession, EveryEndingGivesTheTerminalBack) {
    struct Case {
        const char* keys;
        int sig;
        bool killed;  // by sig, else exited with status
        int status;
        const char* shown;  // on the shell's screen afterwards
    };
    const Case cases[] = {
        {"\033[21~", 0, false, 0, "keys: F10"},
        {"\x18", 0, false, 5, nullptr},  // exit() without a restore of its own
        {"", SIGTERM, false, 4, "read failed, error 4, end requested 1"},
        {"", SIGHUP, false, 4, "read failed, error 4, end requested 1"},
        {"", SIGINT, false, 4, "read failed, error 4, end requested 1"},
        {"", SIGQUIT, true, 0, nullptr},
        {"", SIGSEGV, true, 0, nullptr},
        {"", SIGABRT, true, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sig << " " << (c.shown ? c.shown : ""));
        KeysDemo d;
        ASSERT_TRUE(d.start());
        ExpectRaw(d.term);
        EXPECT_EQ(d.term.cursorShape, VTERM_PROP_CURSORSHAPE_UNDERLINE);  // size 10
        EXPECT_TRUE(d.expect("\033[2~", {KeyText(VKEY_INSERT, SCAN_INSERT)}));           // Insert: a block cursor to put back
        EXPECT_TRUE(d.term.waitUntil([&] { return d.term.cursorShape == VTERM_PROP_CURSORSHAPE_BLOCK; }));
        EXPECT_TRUE(d.expect("\x07", {KeyText('G', SCAN_G, '\a', LEFT_CTRL_PRESSED)}));  // Ctrl+G: the bell
        EXPECT_TRUE(d.term.waitUntil([&] { return d.term.bells == 1; }));
        d.term.send(c.keys);
        if (c.sig) d.term.signal(c.sig);
        int st = d.term.wait(5000);
        ASSERT_NE(st, -1);
        EXPECT_TRUE(c.killed ? WIFSIGNALED(st) && WTERMSIG(st) == c.sig : WIFEXITED(st) && WEXITSTATUS(st) == c.status);
        ExpectRestored(d.term);
        EXPECT_TRUE(!c.shown || d.term.waitFor(c.shown, 1000)) << d.term.screenText();
    }
}

TEST(TerminalSession, LeaveScreenKeepsTheLastFrame) {
    struct Case {
        const char* term;
        const char* keys;  // Shift+F10 drops the last line, Ctrl+F10 keeps it
        std::vector<std::pair<int, std::string>> rows;
        bool xtermDrop = false;  // also: modes, the bottom line gone, colours kept
    };
    const Case cases[] = {
        {"TERM=xterm-256color", "\033[21;2~", {{0, "KEYS READY"}, {1, KeysDemo::numbered(1, KeyText(VKEY_F10))}, {24, "keys: left"}}, true},
        // 25 rows and the program's own line: the first row scrolled away.
        {"TERM=xterm-256color", "\033[21;5~", {{0, KeysDemo::numbered(1, KeyText(VKEY_F10))}, {23, "BOTTOM LINE"}, {24, "keys: kept"}}},
        {"TERM=linux", "\033[21;2~", {{0, "KEYS READY"}, {24, "keys: left  "}}},  // no alternate screen
    };
    for (const Case& c : cases) {
        KeysDemo d;
        ASSERT_TRUE(d.start({c.term}));
        ASSERT_TRUE(d.term.waitFor("BOTTOM LINE", 3000, 24));
        d.term.send(c.keys);
        EXPECT_EQ(d.term.exitCode(5000), 0);
        for (const auto& [row, text] : c.rows) EXPECT_EQ(d.term.rowText(row).substr(0, text.size()), text) << d.term.screenText();
        if (!c.xtermDrop) continue;
        ExpectRestored(d.term);
        EXPECT_EQ(d.term.screenText().find("BOTTOM LINE"), std::string::npos);
        PtyTerm::CellInfo c0 = d.term.cell(0, 0), c1 = d.term.cell(1, 0);  // colours come back too
        EXPECT_TRUE(c0.fg == 15 && c0.bg == 4 && c1.fgDefault && c1.bgDefault);
    }
}

// A shell with job control runs the demo as a job: a stop gives the
// terminal back to the shell, which reports it and brings the job back with
// fg; the demo then takes the terminal again and redraws.
TEST(TerminalSession, StopAndContinueGiveBackAndRedraw) {
    PtyTerm t;
    ASSERT_TRUE(t.start({"bash", "-c", "set -m; \"$0\" keys; echo \"status $?\"; fg", PK_PANEL_DEMO}));
    ASSERT_TRUE(t.waitFor("KEYS READY", 5000, 0)) << t.screenText();
    std::string ready = t.rowText(0);
    pid_t demo = std::atoi(ready.substr(ready.find("pid=") + 4).c_str());
    ASSERT_GT(demo, 0);
    size_t before = t.output().size();
    kill(demo, SIGTSTP);
    ASSERT_TRUE(t.waitUntil([&] { return t.output().find("status 148", before) != std::string::npos; })) << t.screenText();
    ASSERT_TRUE(t.waitUntil([&] { return t.altScreen && t.mouseMode != 0; }));
    EXPECT_TRUE(t.waitFor("KEYS READY", 3000, 0));
    const std::string& out = t.output();
    size_t shown = out.find("status 148", before);
    EXPECT_LT(out.find("\033[?1049l", before), shown);  // left before the shell spoke,
    EXPECT_LT(out.find("\033[?2004l", before), shown);
    EXPECT_NE(out.find("\033[?1049h", shown), std::string::npos);  // taken again after
    EXPECT_NE(out.find("\033[?2004h", shown), std::string::npos);
    ExpectRaw(t);
    t.send("k");
    EXPECT_TRUE(t.waitFor(KeysDemo::numbered(1, KeyText('K', SCAN_K, 'k')), 3000, 1));
}

TEST(TerminalSession, SizesAndResizes) {
    for (int rows : {20, 24}) {  // a short terminal is asked to grow; 80x24 is enough
        KeysDemo d(rows, rows == 20 ? 70 : 80);
        d.term.acceptResizeRequests = true;
        ASSERT_TRUE(d.start());
        EXPECT_TRUE(d.term.waitFor("KEYS READY 80x24", 1000, 0));
    }
    KeysDemo d;  // below 80x24 only a notice, keys dropped; a resize is an event
    ASSERT_TRUE(d.start());
    d.term.resize(12, 40);
    EXPECT_TRUE(d.term.waitFor("Terminal too small: 40x12, pk", 2000, 0));
    d.term.send("a");
    d.term.resize(40, 120);
    EXPECT_TRUE(d.shows({"EVENT 4"}));
    EXPECT_TRUE(d.expect("b", {KeyText('B')}));
    EXPECT_TRUE(d.term.waitFor("KEYS READY 80x25", 2000, 0));
    d.term.resize(20, 79);  // Ctrl+C ends the run from the notice
    ASSERT_TRUE(d.term.waitFor("Terminal too small: 79x20, pk", 2000, 0));
    d.term.send("\x03");
    EXPECT_EQ(d.term.exitCode(5000), 4);
    EXPECT_TRUE(d.term.waitFor("read failed, error 4, end requested 1", 1000));
}

TEST(TerminalSession, OtherTerminalsAndNoTerminal) {
    const std::tuple<const char*, const char*, std::string> keys[] = {
        {"TERM=no-such-terminal", "\033[1;5H", KeyText(VKEY_HOME, SCAN_HOME, 0, LEFT_CTRL_PRESSED)},  // falls back to xterm
        {"TERM=screen-256color", "\033[15;2~", KeyText(VKEY_F5, SCAN_F5, 0, SHIFT_PRESSED)},  // what tmux sends
        {"TERM=screen-256color", "\033[1;3D", KeyText(VKEY_LEFT, SCAN_LEFT, 0, LEFT_ALT_PRESSED)},
        {"TERM=linux", "\033[[A", KeyText(VKEY_F1, SCAN_F1)},
    };
    for (auto [term, bytes, record] : keys) {
        KeysDemo d;
        ASSERT_TRUE(d.start({term}));
        EXPECT_TRUE(d.expect(bytes, {record})) << term;
        if (std::string(term) != "TERM=linux") continue;
        EXPECT_FALSE(d.term.altScreen);  // the Linux console: no alternate screen, End clears
        d.term.send("\033[21~");
        EXPECT_EQ(d.term.exitCode(5000), 0);
        EXPECT_EQ(d.term.rowText(0).substr(0, 9), "keys: F10") << d.term.screenText();
        EXPECT_EQ(d.term.screenText().find("KEYS READY"), std::string::npos);
    }
    pktest::RunResult r = pktest::Run({PK_PANEL_DEMO, "keys"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.out.find("open failed, error 6"), std::string::npos) << r.out;
}

}  // namespace
