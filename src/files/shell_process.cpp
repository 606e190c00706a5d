// Starting the shell command (see shell_process.h): which terminal of its
// own is to be had, with which arguments, and the "Press Enter" prompt after
// a command that ran in pk's own terminal.
#include "files/shell_process.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "files/program_state.h"
#include "panel/process.h"

namespace pk {

namespace {

// Runs "$1" -c "$2" and keeps the window open, showing the exit status,
// until Enter.
constexpr const char* kWrapper = "\"$1\" -c \"$2\"; printf '\\nrc = %s  Press Enter' \"$?\"; read _";

bool IsSet(const char* name) {
    const char* v = getenv(name);
    return v && *v;
}

// Desktop terminal emulators in the order they are tried; false when none.
bool DesktopTerminal(ShellLaunch& launch) {
    const char* named = getenv("TERMINAL");
    const std::string candidates[] = {named && *named ? named : "", "x-terminal-emulator", "xterm"};
    for (const std::string& name : candidates) {
        if (name.empty() || !FindProgram(name, launch.program)) continue;
        std::string base = launch.program.substr(launch.program.rfind('/') + 1);
        if (base == "xterm" && program.screenWidth && program.screenHeight) {
            std::string size = std::to_string(program.screenWidth);
            size.append("x").append(std::to_string(program.screenHeight));
            launch.argv.insert(launch.argv.end(), {"-geometry", size});
        }
        launch.argv.push_back("-e");
        return true;
    }
    return false;
}

// The program of a terminal of its own and the arguments that come before
// the command: 1 when chosen, 0 when there is none to be had, -1 when one is
// wanted but its program is missing.
int ChooseTerminal(ShellLaunch& launch) {
    if (IsSet("TMUX")) {
        // A tmux window starts with the tmux server's environment: hand it
        // pk's own, so the command sees what it would see in pk's shell.
        launch.argv.push_back("new-window");
        for (char** e = environ; *e != nullptr; ++e) {
            if (std::strncmp(*e, "TMUX", 4) == 0) continue;  // tmux sets its own
            launch.argv.insert(launch.argv.end(), {"-e", *e});
        }
        return FindProgram("tmux", launch.program) ? 1 : -1;
    }
    if (IsSet("STY")) {
        launch.argv.insert(launch.argv.end(), {"-X", "screen"});
        return FindProgram("screen", launch.program) ? 1 : -1;
    }
    if (IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY")) return DesktopTerminal(launch) ? 1 : -1;
    return 0;
}

// Shows "rc = N  Press Enter" on the controlling terminal and waits for it.
void WaitForEnter(int status) {
    int tty = open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (tty < 0) return;
    char text[64];
    int length = snprintf(text, sizeof text, "\r\nrc = %d  Press Enter", status);
    (void)!write(tty, text, size_t(length));
    char c = 0;
    ssize_t got;
    do got = read(tty, &c, 1);
    while ((got == 1 && c != '\n' && c != '\r') || (got < 0 && errno == EINTR));
    close(tty);
}

}  // namespace

ShellLaunch PrepareShellCommand(const char* text) {
    ShellLaunch launch;
    const char* named = getenv("SHELL");
    std::string shell;
    if (!FindProgram(named && *named ? named : "/bin/sh", shell)) {
        launch.error = ENOENT;
        return launch;
    }
    launch.argv.push_back("");  // argv[0]: the program, once chosen
    int how = ChooseTerminal(launch);
    if (how < 0) {
        launch.error = ENOENT;
        return launch;
    }
    if (how == 0) {
        launch.inThisTerminal = true;
        launch.program = shell;
        launch.argv = {shell, "-c", text};
        return launch;
    }
    launch.argv[0] = launch.program;
    launch.argv.insert(launch.argv.end(), {"/bin/sh", "-c", kWrapper, "sh", shell, text});
    return launch;
}

int StartShellCommand(const ShellLaunch& launch) {
    if (launch.error != 0) return launch.error;
    if (!launch.inThisTerminal) return StartDetached(launch.program, launch.argv);
    int status = 0;
    int err = RunInForeground(launch.program, launch.argv, status);
    if (err == 0) WaitForEnter(status);
    return err;
}

}  // namespace pk
