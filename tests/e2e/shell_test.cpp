// The shell command in the real pk: in pk's own terminal when there is no
// other (the command gets the terminal and its keys, the "Press Enter"
// prompt takes keys as keys, an ending signal to pk ends both the orderly
// way), and in a tmux window of its own, which pk does not wait for, which
// gets pk's environment through a private file and no descriptor of pk's.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "pk_driver.h"

namespace pktest {
namespace {

// A process's open descriptors, and those of them without close-on-exec.
std::set<int> Descriptors(pid_t pid, bool inheritedOnly = false) {
    std::set<int> fds;
    std::string folder = "/proc/" + std::to_string(pid);
    std::error_code gone;
    for (const auto& entry : std::filesystem::directory_iterator(folder + "/fd", gone)) {
        int fd = std::stoi(entry.path().filename().string());
        std::string info = ReadAll(folder + "/fdinfo/" + std::to_string(fd));
        size_t flags = info.find("flags:");
        bool closeOnExec = flags != std::string::npos && (std::stoul(info.substr(flags + 6), nullptr, 8) & O_CLOEXEC);
        if (!inheritedOnly || !closeOnExec) fds.insert(fd);
    }
    return fds;
}

TEST(Shell, SameTerminalRunsTheCommandThenGivesTheTerminalBack) {
    Pk pk;
    ASSERT_TRUE(pk.start({pk.dir.write("a.txt", "first line\n")}, {"SHELL=/bin/sh"}));
    // The quotes keep the typed line itself from matching the output; read
    // is a builtin, so Ctrl+C in the terminal's normal mode ends the shell.
    pk.t.send("dos printf '\\033]0;%s\\007' own; echo \"from the\" \"shell\"; read line\r");
    ASSERT_TRUE(pk.t.waitFor("from the shell", kWait)) << pk.t.screenText();
    EXPECT_EQ(pk.t.title, "own");  // the command writes to the terminal itself
    EXPECT_FALSE(pk.t.altScreen);
    pk.t.send("\x1a");  // stops the command alone, and pk continues it
    pk.t.send("\x03");
    ASSERT_TRUE(pk.t.waitFor("rc = 130", kWait)) << pk.t.screenText();
    // At the prompt Ctrl+C, Ctrl+\ and Ctrl+Z are keys like any other.
    pk.t.send("\x03\x1c\x1a\r");
    ASSERT_TRUE(pk.t.waitFor("COMMAND ==>", kWait, 2)) << pk.t.screenText();
    ASSERT_TRUE(pk.t.waitFor("first line", kWait)) << pk.t.screenText();
    // pk, untouched by the interrupt, reads keys one at a time with no echo.
    ASSERT_TRUE(pk.settle());
    struct termios modes {};
    ASSERT_TRUE(pk.t.slaveModes(modes));
    EXPECT_FALSE(modes.c_lflag & (ICANON | ECHO));
    pk.t.send("end\r");
    EXPECT_EQ(pk.t.exitCode(kWait), 0);
    EXPECT_TRUE(TerminalBack(pk.t));
}

// Ctrl+\\ and Ctrl+Z typed without pause as a command starts: pk has the
// terminal, its signal keys on, for a moment before the command has it,
// and the command may stop before it is under way; neither may end or hang
// pk (the command may get the keys). A race: without the sound behaviour
// about one run in ten fails.
TEST(Shell, SignalKeysAsACommandStartsNeitherEndNorHangPk) {
    for (int i = 0; i < 40; ++i) {
        Pk pk;
        pk.t.addStub("sh", "exit 3");
        ASSERT_TRUE(pk.start({pk.dir.write("a.txt", "text\n")}, {"SHELL=" + pk.t.stubDir() + "/sh"}));
        pk.t.send("dos x\r");
        for (int k = 0; k < 500 && pk.t.wait(0) == -1 && pk.t.screenText().find("Press Enter") == std::string::npos; ++k)
            pk.t.send(k % 2 ? "\x1a" : "\x1c"), pk.t.pump(1);
        ASSERT_TRUE(pk.t.waitFor("Press Enter", kWait) && pk.t.wait(0) == -1) << "run " << i << ", pk status " << pk.t.wait(0);
    }
}

TEST(Shell, EndingSignalsEndPkTheOrderlyWayDuringTheCommandAndAtItsPrompt) {
    for (int sig : {SIGTERM, SIGHUP}) {
        const bool atPrompt = sig == SIGHUP;
        Pk pk;
        std::string hangup = pk.dir / "hangup";
        ASSERT_TRUE(pk.start({pk.dir.write("a.txt", "a\tb\n")}, {"SHELL=/bin/sh"}));
        ASSERT_TRUE(pk.run({{"tabs\r", {}, 0, "Column 1 of 9"}}));  // a setting that must reach the file
        pk.t.send("dos trap 'echo hup > " + hangup + "; exit' HUP; echo \"run\"\"ning\"; " +
                  (atPrompt ? "exit 4" : "sleep 30 & wait") + "\r");
        ASSERT_TRUE(pk.t.waitFor(atPrompt ? "rc = 4" : "running", kWait)) << pk.t.screenText();
        pk.t.signal(sig);
        EXPECT_EQ(pk.t.exitCode(kWait), 0) << sig;
        EXPECT_TRUE(TerminalBack(pk.t));
        EXPECT_NE(ReadAll(pk.t.home() + "/appdata/pk/pk.ini").find("tabs=1"), std::string::npos) << sig;
        // A command still running was hung up, as a shell's jobs are.
        EXPECT_TRUE(atPrompt || pk.t.waitUntil([&] { return std::filesystem::exists(hangup); }, kWait));
    }
}

TEST(Shell, TmuxWindowGetsTheEnvironmentPrivatelyAndNoDescriptorOfPks) {
    Pk pk;
    std::string record = pk.dir / "tmux-args", run = pk.dir.mkdir("run");
    // The stub records its process id, its arguments and the handed file's
    // mode, runs the window's command with an environment of its own as the
    // tmux server would, then stays, as a window would.
    pk.t.addStub("tmux", "{ printf '%s\\n' $$ \"$@\"; stat -c %a \"$6\"; shift; env -i PATH=/bin TMUX=server \"$@\"; } > '" +
                             record + ".tmp'; /bin/mv '" + record + ".tmp' '" + record + "'; exec sleep 30");
    std::set<int> inherited = Descriptors(getpid(), true);  // what pk gets from this test
    inherited.insert({0, 1, 2});
    ASSERT_TRUE(pk.start({pk.dir.write("a.txt", "viewer text\n")},
                         {"SHELL=/bin/sh", "TMUX=/tmp/pk-test-tmux,1,0", "XDG_RUNTIME_DIR=" + run,
                          "PK_SHELL_TEST=it's a\nsecret"}));
    // The descriptors pk opened itself are all close-on-exec.
    EXPECT_EQ(Descriptors(pk.t.pid(), true), inherited);
    pk.t.send("printf '[%s]' \"$PK_SHELL_TEST\" \"$TMUX\"\r");
    ASSERT_TRUE(pk.t.waitUntil([&] { return std::filesystem::exists(record); }, kWait));
    // The stub's arguments, the file's mode, the command's output: the value
    // reached the command, not tmux's command line, and tmux's TMUX stays.
    std::string args = ReadAll(record);
    size_t shown = args.find("[it's a\nsecret][server]");
    EXPECT_EQ(args.find("secret"), shown + 8) << args;
    EXPECT_EQ(args.substr(args.find('\n'), 12), "\nnew-window\n");
    EXPECT_NE(args.find("\n/bin/sh\nprintf '[%s]' \"$PK_SHELL_TEST\" \"$TMUX\"\n600\n[it's"), std::string::npos) << args;
    EXPECT_NE(args.find("\nsh\n" + run + "/pk-env."), std::string::npos) << args;
    EXPECT_TRUE(std::filesystem::is_empty(run));  // the private file is gone
    // The window (once the stub is sleep) holds its standard three
    // descriptors and nothing of pk's.
    pid_t window = std::stoi(args);
    ASSERT_TRUE(pk.t.waitUntil([&] { return ReadAll("/proc/" + std::to_string(window) + "/comm") == "sleep\n"; }, kWait));
    EXPECT_EQ(Descriptors(window), (std::set<int>{0, 1, 2}));
    // pk took keys again at once, its screen untouched.
    ASSERT_TRUE(pk.settle());
    EXPECT_NE(pk.t.screenText().find("viewer text"), std::string::npos);
    EXPECT_EQ(pk.t.screenText().find("rc ="), std::string::npos);
}

}  // namespace
}  // namespace pktest
