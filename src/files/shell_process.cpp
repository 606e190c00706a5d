// Starting the shell command (see shell_process.h): which terminal of its
// own is to be had, with which arguments, the file that hands pk's
// environment to a tmux window, and the "Press Enter" prompt after a command
// that ran in pk's own terminal.
#include "files/shell_process.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "files/program_state.h"
#include "files/write_all.h"
#include "panel/panel.h"
#include "panel/process.h"

namespace pk {

namespace {

// Runs "$1" -c "$2" and keeps the window open, showing the exit status,
// until Enter.
constexpr const char* kWrapper = "\"$1\" -c \"$2\"; printf '\\nrc = %s  Press Enter' \"$?\"; read _";
// Reads the environment file named by "$1", removes it, then runs what it
// read; the wrapper's arguments follow it.
constexpr const char* kLoadEnvironment = "eval \"$(cat -- \"$1\"; rm -f -- \"$1\")\"; shift; ";

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
        launch.argv.push_back("new-window");
        launch.handEnvironment = true;  // a window starts with the tmux server's environment
        return FindProgram("tmux", launch.program) ? 1 : -1;
    }
    if (IsSet("STY")) {
        launch.argv.insert(launch.argv.end(), {"-X", "screen"});
        return FindProgram("screen", launch.program) ? 1 : -1;
    }
    if (IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY")) return DesktopTerminal(launch) ? 1 : -1;
    return 0;
}

// Only names the shell can export; others cannot reach the command anyway.
bool IsShellName(std::string_view name) {
    auto letter = [](char c) { return c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (name.empty() || !letter(name[0])) return false;
    for (char c : name)
        if (!letter(c) && !(c >= '0' && c <= '9')) return false;
    return true;
}

// pk's environment as shell lines "export NAME='value'" (a quote in the
// value written '\''), tmux's own variables left to tmux.
std::string EnvironmentScript() {
    std::string script;
    for (char** e = environ; *e != nullptr; ++e) {
        std::string_view entry = *e;
        size_t equals = entry.find('=');
        std::string_view name = entry.substr(0, equals);
        if (equals == std::string_view::npos || !IsShellName(name) || name.starts_with("TMUX")) continue;
        script.append("export ").append(name).append("='");
        for (char c : entry.substr(equals + 1)) script.append(c == '\'' ? "'\\''" : std::string_view(&c, 1));
        script.append("'\n");
    }
    return script;
}

// Writes pk's environment to a new file only its owner can read (created
// exclusively, mode 0600) in $XDG_RUNTIME_DIR, else the temporary folder.
// 0 with its path, else the errno.
int WriteEnvironmentFile(std::string& path) {
    const char* runtime = getenv("XDG_RUNTIME_DIR");
    const char* temp = getenv("TMPDIR");
    int fd = -1;
    for (const char* folder : {runtime, temp, "/tmp"}) {
        if (folder == nullptr || *folder != '/') continue;
        path.assign(folder).append("/pk-env.XXXXXX");
        fd = mkostemp(path.data(), O_CLOEXEC);
        if (fd >= 0) break;
    }
    if (fd < 0) return errno;
    int err = WriteAll(fd, EnvironmentScript()) ? 0 : errno;
    if (close(fd) != 0 && err == 0) err = errno;
    if (err != 0) unlink(path.c_str());
    return err;
}

int StartWithEnvironment(const ShellLaunch& launch) {
    std::vector<std::string> argv = launch.argv;
    std::string& file = argv[argv.size() - 3];
    if (int err = WriteEnvironmentFile(file)) return err;
    int err = StartDetached(launch.program, argv);
    if (err != 0) unlink(file.c_str());
    return err;
}

bool EndRequested() { return fullconsole() != nullptr && fullconsole()->endRequested(); }

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
    // pk's environment goes through a file, never on a command line, where
    // ps shows it to anyone; its path takes the place of the "".
    if (launch.handEnvironment)
        launch.argv.insert(launch.argv.end(), {"/bin/sh", "-c", std::string(kLoadEnvironment) + kWrapper, "sh", ""});
    else
        launch.argv.insert(launch.argv.end(), {"/bin/sh", "-c", kWrapper, "sh"});
    launch.argv.insert(launch.argv.end(), {shell, text});
    return launch;
}

int StartShellCommand(const ShellLaunch& launch) {
    if (launch.error != 0) return launch.error;
    if (launch.handEnvironment) return StartWithEnvironment(launch);
    if (!launch.inThisTerminal) return StartDetached(launch.program, launch.argv);
    int status = 0;
    int err = RunInForeground(launch.program, launch.argv, status, EndRequested);
    if (err != 0) return err;
    char prompt[64];
    std::snprintf(prompt, sizeof prompt, "\r\nrc = %d  Press Enter", status);
    WaitForEnter(prompt, EndRequested);
    return 0;
}

}  // namespace pk
