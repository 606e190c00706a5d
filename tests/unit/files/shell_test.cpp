// The shell command with stub terminal programs on a private PATH: which
// terminal is chosen and with which arguments, the typed text arriving as
// one argument, the two failure messages, and no zombie left behind.
#include "files/shell.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "files/state.h"
#include "panel/memory_console.h"
#include "temp_dir.h"

namespace {

// Records its arguments, one a line, then runs what follows "-e" (or, for
// tmux and screen, the /bin/sh that starts the command) with its output
// captured.
constexpr const char* kStub = R"(#!/bin/sh
for a in "$@"; do printf '%s\n' "$a"; done > "$PK_STUB_OUT.tmp"
while [ $# -gt 0 ] && [ "$1" != "-e" ] && [ "$1" != "/bin/sh" ]; do shift; done
[ "$1" = "-e" ] && shift
"$@" > "$PK_STUB_OUT.run" 2>&1
/bin/mv "$PK_STUB_OUT.tmp" "$PK_STUB_OUT"
)";

class Shell : public ::testing::Test {
protected:
    pktest::TempDir dir;
    std::string out = dir / "args";
    std::string savedPath = getenv("PATH") ? getenv("PATH") : "";
    char message[80] = {};

    void SetUp() override {
        for (const char* v : {"TMUX", "STY", "DISPLAY", "WAYLAND_DISPLAY", "TERMINAL"}) unsetenv(v);
        setenv("PATH", dir.path().c_str(), 1);
        setenv("SHELL", "/bin/sh", 1);
        setenv("PK_STUB_OUT", out.c_str(), 1);
        pk::program.screenWidth = 100;
        pk::program.screenHeight = 30;
    }
    void TearDown() override { setenv("PATH", savedPath.c_str(), 1); }

    void Stub(const std::string& name, const std::string& text = kStub) {
        std::string p = dir.write(name, text);
        chmod(p.c_str(), 0755);
    }

    // The stub's arguments once it has finished (it renames its file last).
    std::vector<std::string> StubArgs() {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!std::filesystem::exists(out) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::vector<std::string> args;
        std::istringstream in(pktest::ReadAll(out));
        for (std::string line; std::getline(in, line);) args.push_back(line);
        return args;
    }

    static std::vector<std::string> Command(const std::vector<std::string>& args, size_t from) {
        return std::vector<std::string>(args.begin() + long(std::min(from, args.size())), args.end());
    }
};

const std::string kText = "echo \"$0\" 'a;b' `x`";

TEST_F(Shell, DesktopTerminalGetsTheCommandAsSeparateArgumentsAndIsNotWaitedFor) {
    Stub("xterm");
    setenv("DISPLAY", ":99", 1);
    EXPECT_EQ(pk::RunShellCommand(("printf '%s|' one 'two three'; exit 3"), message), 0u);
    std::vector<std::string> args = StubArgs();
    ASSERT_GE(args.size(), 9u);
    EXPECT_EQ(Command(args, 0), (std::vector<std::string>{"-geometry", "100x30", "-e", "/bin/sh", "-c", args[5], "sh",
                                                           "/bin/sh", "printf '%s|' one 'two three'; exit 3"}));
    // The window shows the output and the exit status.
    std::string shown = pktest::ReadAll(out + ".run");
    EXPECT_NE(shown.find("one|two three|"), std::string::npos) << shown;
    EXPECT_NE(shown.find("rc = 3"), std::string::npos) << shown;
    // The started program was never pk's child: nothing to reap, no zombie.
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST_F(Shell, TerminalChoiceFollowsTheEnvironment) {
    struct Case {
        const char* variable;
        const char* value;
        const char* program;
        std::vector<std::string> leading;
    } cases[] = {
        {"TMUX", "/tmp/tmux-0/default,1,0", "tmux", {"new-window"}},
        {"STY", "1.pts-0.host", "screen", {"-X", "screen"}},
        {"WAYLAND_DISPLAY", "wayland-0", "x-terminal-emulator", {"-e"}},
        {"TERMINAL", "myterm", "myterm", {"-e"}},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(out);
        Stub(c.program);
        setenv(c.variable, c.value, 1);
        if (std::string(c.variable) == "TERMINAL") setenv("DISPLAY", ":1", 1);
        ASSERT_EQ(pk::RunShellCommand(kText.c_str(), message), 0u) << c.program << " " << message;
        std::vector<std::string> args = StubArgs();
        std::vector<std::string> want = c.leading;
        size_t script = want.size() + 2;
        ASSERT_GT(args.size(), script) << c.program;
        for (std::string s : {"/bin/sh", "-c", args[script].c_str(), "sh", "/bin/sh", kText.c_str()}) want.push_back(s);
        EXPECT_EQ(args, want) << c.program;
        unsetenv(c.variable);
        std::filesystem::remove(dir / c.program);
    }
}

TEST_F(Shell, MissingProgramsAndFailedStartsGiveTheirMessages) {
    setenv("DISPLAY", ":99", 1);
    EXPECT_EQ(pk::RunShellCommand("true", message), 0x02u);  // no terminal program at all
    EXPECT_STREQ(message, "Pgm not found");

    Stub("xterm");
    setenv("SHELL", "no-such-shell", 1);
    std::memset(message, 0, sizeof message);
    EXPECT_EQ(pk::RunShellCommand("true", message), 0x02u);
    EXPECT_STREQ(message, "Pgm not found");
    setenv("SHELL", (dir / "not-here/sh").c_str(), 1);
    EXPECT_EQ(pk::RunShellCommand("true", message), 0x02u);
    EXPECT_STREQ(message, "Pgm not found");

    // Found and executable, but no program the system can start.
    setenv("SHELL", "/bin/sh", 1);
    Stub("xterm", "this is not a program\n");
    EXPECT_EQ(pk::RunShellCommand("true", message), 0x02u);
    EXPECT_STREQ(message, "rc = 8");  // ENOEXEC
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(Shell, WithoutATerminalOfItsOwnTheConsoleIsHandedOverAndTakenBack) {
    // In a process without a controlling terminal there is nothing to run
    // the command in: the console still gets suspended and resumed, and the
    // failure is reported.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setsid();
        pk::MemoryConsole console;
        pk::program.console = &console;
        char text[80] = {};
        uint32_t r = pk::RunShellCommand("true", text);
        bool ok = r == 0x02 && std::string(text) == "rc = 6" && console.suspendCalls == 1 && console.resumeCalls == 1;
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
