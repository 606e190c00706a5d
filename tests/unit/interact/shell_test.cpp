// The shell command with stub terminal programs on a private PATH: which
// terminal is chosen and with which arguments, the typed text arriving as
// one argument, the two failure messages, and no zombie left behind. (tmux
// and the same-terminal fallback are proved end to end.)
#include "interact/shell_command.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "display/display_state.h"
#include "files/program_state.h"
#include "interact/command_state.h"
#include "temp_dir.h"

namespace {

// Records its arguments, one a line, then runs what follows "-e" (or, for
// tmux and screen, the /bin/sh that starts the command) with its output
// captured, and renames its record last.
constexpr const char* kStub = R"(#!/bin/sh
for a in "$@"; do printf '%s\n' "$a"; done > "$PK_STUB_OUT.tmp"
while [ $# -gt 0 ] && [ "$1" != "-e" ] && [ "$1" != "/bin/sh" ]; do shift; done
[ "$1" = "-e" ] && shift
"$@" > "$PK_STUB_OUT.run" 2>&1
/bin/mv "$PK_STUB_OUT.tmp" "$PK_STUB_OUT"
)";

const char* kText = "printf '%s|' \"$0\" 'two;three' `echo x`; exit 3";

class Shell : public ::testing::Test {
protected:
    pktest::TempDir dir;
    std::string out = dir / "args";
    std::string savedPath = getenv("PATH") ? getenv("PATH") : "";

    void SetUp() override {
        for (const char* v : {"TMUX", "STY", "DISPLAY", "WAYLAND_DISPLAY", "TERMINAL"}) unsetenv(v);
        setenv("PATH", dir.path().c_str(), 1);
        setenv("SHELL", "/bin/sh", 1);
        setenv("PK_STUB_OUT", out.c_str(), 1);
        pk::program.screenWidth = 100;
        pk::program.screenHeight = 30;
    }
    void TearDown() override { setenv("PATH", savedPath.c_str(), 1); }

    void Stub(const std::string& name, const std::string& text = kStub) { chmod(dir.write(name, text).c_str(), 0755); }

    // The stub's arguments once it has finished.
    std::vector<std::string> StubArgs() {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!std::filesystem::exists(out) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::vector<std::string> args;
        std::istringstream in(pktest::ReadAll(out));
        for (std::string line; std::getline(in, line);) args.push_back(line);
        return args;
    }
};

TEST_F(Shell, TerminalOfItsOwnFollowsTheEnvironmentAndIsNotWaitedFor) {
    struct Case { const char *variable, *value, *program; std::vector<std::string> leading; } cases[] = {
        {"DISPLAY", ":99", "xterm", {"-geometry", "100x30", "-e"}},
        {"STY", "1.pts-0.host", "screen", {"-X", "screen"}},
        {"WAYLAND_DISPLAY", "wayland-0", "x-terminal-emulator", {"-e"}},
        {"TERMINAL", "myterm", "myterm", {"-e"}},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(out);
        Stub(c.program);
        setenv(c.variable, c.value, 1);
        if (std::string(c.variable) == "TERMINAL") setenv("DISPLAY", ":1", 1);
        ASSERT_EQ(pk::RunShellCommand(kText), 0u) << c.program << " " << pk::display.messageText;
        std::vector<std::string> args = StubArgs();
        std::vector<std::string> want = c.leading;
        ASSERT_GT(args.size(), want.size() + 2) << c.program;
        want.insert(want.end(), {"/bin/sh", "-c", args[want.size() + 2], "sh", "/bin/sh", kText});
        EXPECT_EQ(args, want) << c.program;
        // The window shows the command's own output and its exit status.
        std::string shown = pktest::ReadAll(out + ".run");
        EXPECT_NE(shown.find("/bin/sh|two;three|x|"), std::string::npos) << shown;
        EXPECT_NE(shown.find("rc = 3"), std::string::npos) << shown;
        unsetenv(c.variable), unsetenv("DISPLAY");
        std::filesystem::remove(dir / c.program);
    }
    // The started programs were never pk's children: nothing to reap.
    const int reaped = waitpid(-1, nullptr, WNOHANG);
    EXPECT_EQ(std::pair(reaped, errno), std::pair(-1, ECHILD));
}

TEST_F(Shell, MissingProgramsAndFailedStartsGiveTheirMessages) {
    setenv("DISPLAY", ":99", 1);
    // terminal: the xterm stub's text, or none
    const struct { const char* terminal; const char* shell; const char* message; } cases[] = {
        {nullptr, "/bin/sh", "Pgm not found"},
        {kStub, "no-such-shell", "Pgm not found"},
        {"this is not a program\n", "/bin/sh", "rc = 8"},  // ENOEXEC
    };
    for (const auto& c : cases) {
        if (c.terminal) Stub("xterm", c.terminal);
        setenv("SHELL", c.shell, 1);
        pk::SetMessage("an earlier message");
        EXPECT_EQ(pk::RunShellCommand("true"), pk::CMD_KEEPMSG) << c.message;
        EXPECT_STREQ(pk::display.messageText, c.message);
    }
    EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
