// What the other end-to-end tests take on trust from the harness and check
// only as absent: the title it reports, a private home and a clean
// environment, and Run's input, output, terminal and time limit.
#include <gtest/gtest.h>

#include "harness/process.h"
#include "harness/pty_term.h"

namespace {

TEST(Harness, TitleHomeAndEnvironment) {
    pktest::PtyTerm t(10, 200);
    ASSERT_TRUE(t.start({"/bin/sh", "-c",
                         "printf '\\033]0;hello\\007'; "
                         "echo \"$HOME|${TMUX-none}|${DISPLAY-none}|$EXTRA|${XDG_CONFIG_HOME-gone}\"; read line"},
                        {"EXTRA=yes", "XDG_CONFIG_HOME"}));
    EXPECT_TRUE(t.waitFor(t.home() + "|none|none|yes|gone", 3000)) << t.screenText();
    EXPECT_EQ(t.title, "hello");
}

TEST(Harness, RunCapturesOutputStatusAndHasNoTerminal) {
    pktest::RunResult r = pktest::Run(
        {"sh", "-c", "cat; echo err >&2; echo \"$V\"; (exec 3</dev/tty) 2>/dev/null || echo no-tty; exit 3"},
        {"V=value"}, "", "input\n");
    EXPECT_EQ(std::tuple(r.timedOut, r.exitCode, r.out, r.err), std::tuple(false, 3, "input\nvalue\nno-tty\n", "err\n"));
    pktest::RunResult slow = pktest::Run({"sleep", "10"}, {}, "", "", 200);
    EXPECT_TRUE(slow.timedOut && slow.exitCode == -1);
}

}  // namespace
