// The shell command: runs "$SHELL -c TEXT" (/bin/sh without SHELL) in a
// terminal of its own - a tmux window, a screen window or a terminal
// emulator on the desktop - without waiting for it; with none of those, in
// pk's own terminal, waiting for it and for Enter. The typed text always
// travels as one argument of its own and is never put into a command string.
#include "files/shell.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "files/program_state.h"
#include "files/shell_process.h"
#include "panel/panel.h"

namespace pk {

namespace {

constexpr uint32_t KEEP_MESSAGE = 0x02;  // CMD_KEEPMSG

// Runs "$1" -c "$2" and keeps the window open, showing the exit status,
// until Enter.
constexpr const char* kWrapper = "\"$1\" -c \"$2\"; printf '\\nrc = %s  Press Enter' \"$?\"; read _";

bool IsSet(const char* name) {
    const char* v = getenv(name);
    return v && *v;
}

// A way to get a terminal of its own: the program and the arguments that
// come before the command to run in it.
struct Launch {
    std::string program;
    std::vector<std::string> leading;
};

// Desktop terminal emulators in the order they are tried.
bool DesktopTerminal(Launch& launch) {
    const char* named = getenv("TERMINAL");
    const std::string candidates[] = {named && *named ? named : "", "x-terminal-emulator", "xterm"};
    for (const std::string& name : candidates) {
        if (name.empty() || !FindProgram(name, launch.program)) continue;
        std::string base = launch.program.substr(launch.program.rfind('/') + 1);
        if (base == "xterm" && program.screenWidth && program.screenHeight)
            launch.leading = {"-geometry", std::to_string(program.screenWidth) + "x" + std::to_string(program.screenHeight)};
        launch.leading.push_back("-e");
        return true;
    }
    return false;
}

// 1 when a terminal of its own was chosen, 0 when there is none to be had,
// -1 when one is wanted but its program is missing.
int ChooseLaunch(Launch& launch) {
    if (IsSet("TMUX")) {
        // A tmux window starts with the tmux server's environment: hand it
        // pk's own, so the command sees what it would see in pk's shell.
        launch.leading = {"new-window"};
        for (char** e = environ; *e != nullptr; ++e) {
            if (std::strncmp(*e, "TMUX", 4) == 0) continue;  // tmux sets its own
            launch.leading.insert(launch.leading.end(), {"-e", *e});
        }
        return FindProgram("tmux", launch.program) ? 1 : -1;
    }
    if (IsSet("STY")) {
        launch.leading = {"-X", "screen"};
        return FindProgram("screen", launch.program) ? 1 : -1;
    }
    if (IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY")) return DesktopTerminal(launch) ? 1 : -1;
    return 0;
}

uint32_t Failed(int err, char* message) {
    if (err == ENOENT) snprintf(message, 22, "Pgm not found");
    else snprintf(message, 22, "rc = %u", unsigned(err));
    return KEEP_MESSAGE;
}

uint32_t RunHere(const std::string& shell, const char* text, char* message) {
    if (fullconsole()) fullconsole()->suspend();
    int status = 0;
    int err = RunInForeground(shell, {shell, "-c", text}, status);
    if (err == 0) WaitForEnter(status);
    if (fullconsole()) fullconsole()->resume();
    return err ? Failed(err, message) : 0;
}

}  // namespace

uint32_t RunShellCommand(const char* text, char* message) {
    const char* named = getenv("SHELL");
    std::string shell;
    if (!FindProgram(named && *named ? named : "/bin/sh", shell)) return Failed(ENOENT, message);
    Launch launch;
    int how = ChooseLaunch(launch);
    if (how < 0) return Failed(ENOENT, message);
    if (how == 0) return RunHere(shell, text, message);
    std::vector<std::string> argv{launch.program};
    argv.insert(argv.end(), launch.leading.begin(), launch.leading.end());
    argv.insert(argv.end(), {"/bin/sh", "-c", kWrapper, "sh", shell, text});
    int err = StartDetached(launch.program, argv);
    return err ? Failed(err, message) : 0;
}

}  // namespace pk
