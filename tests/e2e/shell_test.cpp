// The shell command in the real pk: in pk's own terminal when there is no
// other (the command gets the terminal and its keys, pk gets them back
// after Enter), and in a tmux window of its own, which pk does not wait for.
#include <gtest/gtest.h>
#include <termios.h>

#include <filesystem>
#include <string>

#include "pk_driver.h"

namespace pktest {
namespace {

TEST(Shell, SameTerminalRunsTheCommandThenGivesTheTerminalBack) {
    Pk pk;
    ASSERT_TRUE(pk.start({pk.dir.write("a.txt", "first line\n")}, {"SHELL=/bin/sh"}));
    // The quotes keep the typed line itself from matching the output; read
    // is a builtin, so Ctrl+C in the terminal's normal mode ends the shell.
    pk.t.send("dos echo \"from the\" \"shell\"; read line\r");
    ASSERT_TRUE(pk.t.waitFor("from the shell", kWait)) << pk.t.screenText();
    EXPECT_FALSE(pk.t.altScreen);
    pk.t.send("\x03");
    ASSERT_TRUE(pk.t.waitFor("rc = 130", kWait)) << pk.t.screenText();
    pk.t.send("\r");
    ASSERT_TRUE(pk.t.waitFor("COMMAND ==>", kWait, 2)) << pk.t.screenText();
    ASSERT_TRUE(pk.t.waitFor("first line", kWait)) << pk.t.screenText();
    // pk, untouched by the interrupt, reads keys one at a time with no echo.
    ASSERT_TRUE(pk.settle());
    struct termios modes {};
    ASSERT_TRUE(pk.t.slaveModes(modes));
    EXPECT_FALSE(modes.c_lflag & (ICANON | ECHO));
    pk.t.send("end\r");
    EXPECT_EQ(pk.t.exitCode(kWait), 0);
}

TEST(Shell, TerminalOfItsOwnIsNotWaitedFor) {
    Pk pk;
    std::string record = pk.dir / "tmux-args";
    // The stub keeps running for a while, as a window would.
    pk.t.addStub("tmux", "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + record + ".tmp'; /bin/mv '" +
                             record + ".tmp' '" + record + "'; sleep 30");
    ASSERT_TRUE(pk.start({pk.dir.write("a.txt", "viewer text\n")}, {"SHELL=/bin/sh", "TMUX=/tmp/pk-test-tmux,1,0", "PK_SHELL_TEST=a b"}));
    pk.t.send("git log --oneline 'a b'\r");
    ASSERT_TRUE(pk.t.waitUntil([&] { return std::filesystem::exists(record); }, kWait));
    std::string args = ReadAll(record);
    EXPECT_EQ(args.substr(0, args.find('\n')), "new-window");
    EXPECT_NE(args.find("\n/bin/sh\ngit log --oneline 'a b'\n"), std::string::npos) << args;
    // The window gets pk's environment, not the tmux server's.
    EXPECT_NE(args.find("\n-e\nPK_SHELL_TEST=a b\n"), std::string::npos) << args;
    EXPECT_EQ(args.find("\n-e\nTMUX="), std::string::npos) << args;
    // pk took keys again at once, its screen untouched.
    ASSERT_TRUE(pk.settle());
    EXPECT_NE(pk.t.screenText().find("viewer text"), std::string::npos);
    EXPECT_EQ(pk.t.screenText().find("rc ="), std::string::npos);
}

}  // namespace
}  // namespace pktest
