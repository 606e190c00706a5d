// The end-to-end harness itself: that what a program writes on the pty shows
// on the emulated screen with its modes, and that Run captures plain output.
#include <gtest/gtest.h>

#include "harness/process.h"
#include "harness/pty_term.h"

namespace {

using pktest::PtyTerm;

TEST(Harness, ScreenColoursModesEnvironmentAndExit) {
    PtyTerm t(10, 50);
    t.addStub("xclip", "echo stubbed-$1");
    ASSERT_TRUE(t.start({"/bin/sh", "-c",
                         "printf '\\033[?1049h\\033[?2004h\\033[?1000h\\033[4 q\\033]0;hello\\007"
                         "\\033[3;5H\\033[1;31;44mAB\\033[0m\\007\\342\\230\\272\\n\\n'; echo \"$HOME\"; "
                         "echo \"|$TERM|$LANG|${TMUX-none}|${DISPLAY-none}|$EXTRA|${XDG_CONFIG_HOME-gone}\"; xclip one; "
                         "read line; printf 'got %s\\n' \"$line\"; exit 7"},
                        {"EXTRA=yes", "XDG_CONFIG_HOME"}));
    ASSERT_TRUE(t.waitFor("AB", 3000, 2)) << t.screenText();
    EXPECT_TRUE(t.waitFor("|xterm-256color|C.UTF-8|none|none|yes|gone", 3000)) << t.screenText();
    EXPECT_TRUE(t.waitFor("stubbed-one", 3000));
    EXPECT_TRUE(t.altScreen && t.decMode(2004) && !t.decMode(1006));
    EXPECT_EQ(t.mouseMode, VTERM_PROP_MOUSE_CLICK);
    EXPECT_EQ(t.cursorShape, VTERM_PROP_CURSORSHAPE_UNDERLINE);
    EXPECT_EQ(t.title, "hello");
    EXPECT_EQ(t.bells, 1);
    PtyTerm::CellInfo c = t.cell(2, 4);
    EXPECT_TRUE(c.ch == U'A' && c.bold && c.fg == 1 && c.bg == 4);
    EXPECT_TRUE(t.cell(2, 6).fgDefault);
    EXPECT_EQ(t.rowText(2).substr(6, 3), "\u263A");  // U+263A is 3 bytes of UTF-8
    EXPECT_TRUE(t.waitFor(t.home().substr(0, 40), 3000, 4));
    t.send("typed\r");
    EXPECT_TRUE(t.waitFor("got typed", 3000));
    EXPECT_EQ(t.exitCode(3000), 7);
}

TEST(Harness, RunCapturesOutputStatusAndHasNoTerminal) {
    pktest::RunResult r = pktest::Run(
        {"sh", "-c", "cat; echo err >&2; echo \"$V\"; (exec 3</dev/tty) 2>/dev/null || echo no-tty; exit 3"},
        {"V=value"}, "", "input\n");
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.out, "input\nvalue\nno-tty\n");
    EXPECT_EQ(r.err, "err\n");
    pktest::RunResult slow = pktest::Run({"sleep", "10"}, {}, "", "", 200);
    EXPECT_TRUE(slow.timedOut);
    EXPECT_EQ(slow.exitCode, -1);
}

}  // namespace
