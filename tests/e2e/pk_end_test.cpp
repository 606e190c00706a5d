// How pk ends on the real terminal: End and F3 give back what the terminal
// showed before, Z leaves the last page, SIGTERM and SIGHUP end the orderly
// way, and the exit statuses of runs that never showed a screen.
#include <signal.h>
#include <termios.h>

#include <filesystem>
#include <string>

#include "harness/process.h"
#include "pk_driver.h"

namespace {

using namespace pktest;

std::string Lines(int count) {
    std::string s;
    for (int i = 1; i <= count; ++i) s += "page line " + std::to_string(i) + "\n";
    return s;
}

// pk started from a shell that first wrote a line of its own.
::testing::AssertionResult StartAfterBanner(Pk& pk, const std::string& file) {
    if (!pk.t.start({"/bin/sh", "-c", "echo before-pk; exec \"$0\" \"$1\"", PK_BINARY, file}))
        return ::testing::AssertionFailure() << "could not start";
    if (!pk.t.waitFor("Half", kWait, pk.t.rows() - 1)) return ::testing::AssertionFailure() << pk.t.screenText();
    return ::testing::AssertionSuccess();
}

void ExpectTerminalBack(const Pk& pk) {
    EXPECT_FALSE(pk.t.altScreen);
    EXPECT_EQ(pk.t.mouseMode, 0);
    EXPECT_FALSE(pk.t.decMode(2004));
    struct termios modes {};
    ASSERT_TRUE(pk.t.slaveModes(modes));
    EXPECT_TRUE(modes.c_lflag & ECHO);
    EXPECT_TRUE(modes.c_lflag & ICANON);
}

TEST(PkEnd, EndAndF3GiveBackTheTerminal) {
    for (const char* ending : {"end\r", "\x1bOR"}) {
        Pk pk;
        ASSERT_TRUE(StartAfterBanner(pk, pk.dir.write("a.txt", Lines(5))));
        ASSERT_TRUE(pk.t.altScreen);
        pk.t.send(ending);
        EXPECT_EQ(pk.t.exitCode(kWait), 0) << ending;
        ExpectTerminalBack(pk);
        EXPECT_EQ(pk.t.rowText(0).substr(0, 9), "before-pk");
        EXPECT_EQ(pk.t.rowText(3).substr(0, 9), std::string(9, ' '));
        EXPECT_EQ(pk.t.cursorRow, 1);
        EXPECT_EQ(pk.t.cursorCol, 0);
        EXPECT_TRUE(std::filesystem::exists(pk.t.home() + "/appdata/pk/pk.ini"));
    }
}

TEST(PkEnd, ZLeavesTheLastPage) {
    Pk pk;
    ASSERT_TRUE(pk.start({pk.dir.write("a.txt", Lines(100))}));
    pk.t.key(Fn(9));
    ASSERT_TRUE(pk.waitStatus("Line 80 of 100"));
    pk.command("z");
    EXPECT_EQ(pk.t.exitCode(kWait), 0);
    ExpectTerminalBack(pk);
    EXPECT_EQ(pk.t.rowText(3).substr(0, 12), "page line 80");
    EXPECT_EQ(pk.t.rowText(23).substr(0, 13), "page line 100");
    EXPECT_EQ(pk.t.rowText(24), std::string(80, ' '));
    EXPECT_EQ(pk.t.cursorRow, 24);
    EXPECT_EQ(pk.t.cursorCol, 0);
}

TEST(PkEnd, TerminatingSignalsEndTheOrderlyWay) {
    for (int sig : {SIGTERM, SIGHUP}) {
        Pk pk;
        ASSERT_TRUE(pk.start({pk.dir.write("a.txt", "a\tb\n")}));
        pk.command("tabs");  // a setting that must reach the file
        ASSERT_TRUE(pk.waitStatus("Column 1 of 9"));
        ASSERT_TRUE(pk.settle());
        pk.t.signal(sig);
        EXPECT_EQ(pk.t.exitCode(kWait), 0) << sig;
        ExpectTerminalBack(pk);
        std::string ini = ReadAll(pk.t.home() + "/appdata/pk/pk.ini");
        EXPECT_NE(ini.find("tabs=1"), std::string::npos) << sig << ini;
    }
}

TEST(PkEnd, ExitStatusesWithoutAScreen) {
    TempDir home;
    std::vector<std::string> env = {"HOME=" + home.path(), "APPDATA=" + home.path() + "/appdata"};
    RunResult none = pktest::Run({PK_BINARY}, env);
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_NE(none.out.find("Please include a filename on the command line."), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(home.path() + "/appdata/pk/pk.ini"));

    EXPECT_EQ(pktest::Run({PK_BINARY, "--version"}, env).exitCode, 0);
    EXPECT_EQ(pktest::Run({PK_BINARY, "/?"}, env).exitCode, 0);
    EXPECT_EQ(pktest::Run({PK_BINARY, home.path() + "/missing.txt"}, env).exitCode, 2);

    RunResult noTerminal = pktest::Run({PK_BINARY, home.write("a.txt", "a\n")}, env);
    EXPECT_EQ(noTerminal.exitCode, 2);
    EXPECT_NE(noTerminal.out.find("fullinit error, rc = "), std::string::npos);
}

TEST(PkEnd, FailedSettingsWriteExitsOne) {
    Pk pk;
    std::filesystem::create_directories(pk.t.home() + "/appdata/pk/pk.ini");  // cannot be replaced
    ASSERT_TRUE(pk.start({pk.dir.write("a.txt", "text\n")}));
    pk.command("end");
    EXPECT_EQ(pk.t.exitCode(kWait), 1);
}

TEST(PkEnd, TooSmallTerminalIsRefused) {
    Pk pk(20, 60);
    ASSERT_TRUE(pk.t.start({PK_BINARY, pk.dir.write("a.txt", "text\n")}));
    EXPECT_EQ(pk.t.exitCode(kWait), 2);
    EXPECT_NE(pk.t.screenText().find("at least 80 columns by 24 rows"), std::string::npos) << pk.t.screenText();
    EXPECT_NE(pk.t.screenText().find("fullinit error, rc = 34"), std::string::npos);
}

}  // namespace
