// The terminal console's life: start-up on different terminals and sizes,
// the ways it gives the terminal back (restore, leave, signals, suspend),
// cursor shapes, the bell and resizes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>

#include <cstdlib>

#include "harness/keys_demo.h"
#include "harness/process.h"

namespace {

using pktest::KeysDemo;
using pktest::PtyTerm;

// The terminal is back as a shell wants it: normal screen, no mouse or
// paste reporting, cursor visible with the user's shape, echo and line mode.
void ExpectRestored(PtyTerm& t) {
    EXPECT_FALSE(t.altScreen);
    EXPECT_EQ(t.mouseMode, 0);
    EXPECT_FALSE(t.decMode(2004));
    EXPECT_FALSE(t.decMode(1006));
    EXPECT_FALSE(t.decMode(1));  // cursor keys back in normal mode
    EXPECT_TRUE(t.cursorVisible);
    size_t reset = t.output().rfind("\033[0 q");
    ASSERT_NE(reset, std::string::npos);
    EXPECT_TRUE(t.output().rfind("\033[3 q") < reset || t.output().rfind("\033[3 q") == std::string::npos);
    EXPECT_TRUE(t.output().rfind("\033[1 q") < reset || t.output().rfind("\033[1 q") == std::string::npos);
    struct termios modes{};
    ASSERT_TRUE(t.slaveModes(modes));
    EXPECT_TRUE(modes.c_lflag & ECHO);
    EXPECT_TRUE(modes.c_lflag & ICANON);
    EXPECT_TRUE(modes.c_lflag & ISIG);
}

void ExpectRaw(PtyTerm& t) {
    struct termios modes{};
    ASSERT_TRUE(t.slaveModes(modes));
    EXPECT_FALSE(modes.c_lflag & (ECHO | ICANON | ISIG));
    EXPECT_TRUE(t.altScreen);
    EXPECT_EQ(t.mouseMode, VTERM_PROP_MOUSE_CLICK);
}

TEST(TerminalSession, EndRestoresScreenModesAndCursorShape) {
    KeysDemo d;
    ASSERT_TRUE(d.start());
    ExpectRaw(d.term);
    EXPECT_EQ(d.term.cursorShape, VTERM_PROP_CURSORSHAPE_UNDERLINE);  // size 10
    EXPECT_TRUE(d.expect("\033[2~", {"KEY vk=2D sc=52"}));
    EXPECT_TRUE(d.term.waitUntil([&] { return d.term.cursorShape == VTERM_PROP_CURSORSHAPE_BLOCK; }));
    int bells = d.term.bells;
    EXPECT_TRUE(d.expect("\x07", {"KEY vk=47 sc=22 ch=07 st=0008"}));
    EXPECT_TRUE(d.term.waitUntil([&] { return d.term.bells == bells + 1; }));
    d.term.send("\033[21~");
    EXPECT_EQ(d.term.exitCode(5000), 0);
    ExpectRestored(d.term);
    EXPECT_EQ(d.term.rowText(0).substr(0, 9), "keys: F10");  // the shell's screen, blank before
}

TEST(TerminalSession, ExitWithoutRestoreStillRestores) {
    KeysDemo d;
    ASSERT_TRUE(d.start());
    EXPECT_TRUE(d.expect("\033[2~", {"KEY vk=2D sc=52"}));  // a block cursor to put back
    d.term.send("\x18");
    EXPECT_EQ(d.term.exitCode(5000), 5);
    ExpectRestored(d.term);
}

TEST(TerminalSession, LeaveScreenKeepsTheLastFrame) {
    for (bool dropLast : {true, false}) {
        KeysDemo d;
        ASSERT_TRUE(d.start());
        ASSERT_TRUE(d.term.waitFor("BOTTOM LINE", 3000, 24));
        d.term.send(dropLast ? "\033[21;2~" : "\033[21;5~");
        EXPECT_EQ(d.term.exitCode(5000), 0);
        ExpectRestored(d.term);
        if (dropLast) {
            EXPECT_EQ(d.term.rowText(0).substr(0, 10), "KEYS READY") << d.term.screenText();
            EXPECT_EQ(d.term.rowText(1).substr(0, 15), "#0001 KEY vk=79");
            EXPECT_EQ(d.term.rowText(24).substr(0, 10), "keys: left");
            EXPECT_EQ(d.term.screenText().find("BOTTOM LINE"), std::string::npos);
            PtyTerm::CellInfo c = d.term.cell(0, 0);  // colours come back too
            EXPECT_EQ(c.fg, 15);
            EXPECT_EQ(c.bg, 4);
            EXPECT_TRUE(d.term.cell(1, 0).fgDefault && d.term.cell(1, 0).bgDefault);
        } else {
            // 25 rows and the program's own line: the first row scrolled away.
            EXPECT_EQ(d.term.rowText(0).substr(0, 15), "#0001 KEY vk=79") << d.term.screenText();
            EXPECT_EQ(d.term.rowText(23).substr(0, 11), "BOTTOM LINE");
            EXPECT_EQ(d.term.rowText(24).substr(0, 10), "keys: kept");
        }
    }
}

TEST(TerminalSession, EndingSignalsEndTheReadAndRestore) {
    for (int sig : {SIGTERM, SIGHUP, SIGINT}) {
        KeysDemo d;
        ASSERT_TRUE(d.start());
        d.term.signal(sig);
        EXPECT_EQ(d.term.exitCode(5000), 4) << "signal " << sig;
        ExpectRestored(d.term);
        EXPECT_TRUE(d.term.waitFor("read failed, error 4, end requested 1", 1000)) << d.term.screenText();
    }
}

TEST(TerminalSession, CrashSignalsRestoreAndStillKill) {
    for (int sig : {SIGQUIT, SIGSEGV, SIGABRT}) {
        KeysDemo d;
        ASSERT_TRUE(d.start());
        d.term.signal(sig);
        int st = d.term.wait(5000);
        ASSERT_NE(st, -1);
        EXPECT_TRUE(WIFSIGNALED(st) && WTERMSIG(st) == sig) << "signal " << sig;
        ExpectRestored(d.term);
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
    ASSERT_TRUE(t.waitUntil([&] { return t.output().find("status 148", before) != std::string::npos; }))
        << t.screenText();
    ASSERT_TRUE(t.waitUntil([&] { return t.altScreen && t.mouseMode != 0; }));
    EXPECT_TRUE(t.waitFor("KEYS READY", 3000, 0));
    const std::string& out = t.output();
    size_t shown = out.find("status 148", before);
    size_t left = out.find("\033[?1049l", before);
    size_t pasteOff = out.find("\033[?2004l", before);
    EXPECT_LT(left, shown);
    EXPECT_LT(pasteOff, shown);
    EXPECT_NE(out.find("\033[?1049h", shown), std::string::npos);
    EXPECT_NE(out.find("\033[?2004h", shown), std::string::npos);
    ExpectRaw(t);
    t.send("k");
    EXPECT_TRUE(t.waitFor("#0001 KEY vk=4B sc=25 ch=6B", 3000, 1));
}

TEST(TerminalSession, SuspendHandsTheTerminalToAChildAndResumeRedraws) {
    KeysDemo d;
    ASSERT_TRUE(d.start());
    d.term.send("\033[21;3~");
    ASSERT_TRUE(d.term.waitFor("child says hi", 5000)) << d.term.screenText();
    EXPECT_FALSE(d.term.altScreen);
    EXPECT_EQ(d.term.mouseMode, 0);
    d.term.send("fine\r");  // the child reads a line in the terminal's normal mode
    ASSERT_TRUE(d.term.waitFor("KEYS BACK rc=0", 5000, 0)) << d.term.screenText();
    ExpectRaw(d.term);
    EXPECT_TRUE(d.term.decMode(2004));
    EXPECT_TRUE(d.term.waitFor("#0001 KEY vk=79 sc=44 ch=00 st=0002", 1000, 1));
    EXPECT_TRUE(d.term.waitFor("BOTTOM LINE", 1000, 24));
}

TEST(TerminalSession, SizeCheckAsksToGrowAndRefusesATinyTerminal) {
    {
        KeysDemo d(20, 70);
        d.term.acceptResizeRequests = true;
        ASSERT_TRUE(d.start());
        EXPECT_TRUE(d.term.waitFor("KEYS READY 80x24", 1000, 0));
    }
    PtyTerm t(20, 70);
    ASSERT_TRUE(t.start({PK_PANEL_DEMO, "keys"}));
    EXPECT_EQ(t.exitCode(5000), 2);
    EXPECT_TRUE(t.waitFor("open failed, error 34", 1000)) << t.screenText();
    EXPECT_TRUE(t.waitFor("size 70x20", 1000));
    EXPECT_FALSE(t.altScreen);

    KeysDemo exact(24, 80);
    ASSERT_TRUE(exact.start());
    EXPECT_TRUE(exact.term.waitFor("KEYS READY 80x24", 1000, 0));
}

TEST(TerminalSession, ResizeNeverBreaksTheScreenOrTheInput) {
    KeysDemo d;
    ASSERT_TRUE(d.start());
    d.term.resize(12, 40);
    EXPECT_TRUE(d.expect("a", {"KEY vk=41"}));
    d.term.resize(40, 120);
    EXPECT_TRUE(d.expect("b", {"KEY vk=42"}));
    EXPECT_TRUE(d.term.waitFor("KEYS READY 80x25", 2000, 0));
    d.term.send("\033[21~");
    EXPECT_EQ(d.term.exitCode(5000), 0);
}

TEST(TerminalSession, OtherTerminalsAndNoTerminal) {
    {
        KeysDemo d;
        ASSERT_TRUE(d.start({"TERM=no-such-terminal"}));  // falls back to xterm-256color
        EXPECT_TRUE(d.expect("\033[1;5H", {"KEY vk=24 sc=47 ch=00 st=0008"}));
    }
    {
        KeysDemo d;  // screen's description lacks the modified keys tmux sends
        ASSERT_TRUE(d.start({"TERM=screen-256color"}));
        EXPECT_TRUE(d.expect("\033[15;2~", {"KEY vk=74 sc=3F ch=00 st=0010"}));
        EXPECT_TRUE(d.expect("\033[1;3D", {"KEY vk=25 sc=4B ch=00 st=0002"}));
    }
    {
        KeysDemo d;  // the Linux console: no alternate screen, End clears
        ASSERT_TRUE(d.start({"TERM=linux"}));
        EXPECT_FALSE(d.term.altScreen);
        EXPECT_TRUE(d.expect("\033[[A", {"KEY vk=70 sc=3B"}));
        d.term.send("\033[21~");
        EXPECT_EQ(d.term.exitCode(5000), 0);
        EXPECT_EQ(d.term.rowText(0).substr(0, 9), "keys: F10") << d.term.screenText();
        EXPECT_EQ(d.term.screenText().find("KEYS READY"), std::string::npos);
    }
    {
        KeysDemo d;  // the Linux console: leaving keeps the screen without its last line
        ASSERT_TRUE(d.start({"TERM=linux"}));
        d.term.send("\033[21;2~");
        EXPECT_EQ(d.term.exitCode(5000), 0);
        EXPECT_EQ(d.term.rowText(0).substr(0, 10), "KEYS READY") << d.term.screenText();
        EXPECT_EQ(d.term.rowText(24).substr(0, 12), "keys: left  ");
    }
    pktest::RunResult r = pktest::Run({PK_PANEL_DEMO, "keys"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.out.find("open failed, error 6"), std::string::npos) << r.out;
}

}  // namespace
