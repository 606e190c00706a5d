// Starting and reaping child processes (see process.h). Every child comes
// from Spawn: between fork and exec only async-signal-safe calls are made,
// and a failed exec reports its errno through a close-on-exec pipe, so a
// start is known to have worked once that pipe closes empty. Every child
// is reaped by Reap.
#include "panel/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace pk {

namespace {

using Clock = std::chrono::steady_clock;

// How a child is set up between fork and exec.
struct ChildSetup {
    int output = -1;        // its standard output; -1: /dev/null
    int terminal = -1;      // >= 0: own process group in this terminal's foreground, stdio inherited
    bool detached = false;  // started through a middle process that ends at once
};

bool IsExecutable(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::vector<char*> ArgPointers(const std::vector<std::string>& argv) {
    std::vector<char*> out;
    for (const std::string& a : argv) out.push_back(const_cast<char*>(a.c_str()));
    out.push_back(nullptr);
    return out;
}

// Signals a started program must see with their default action.
constexpr int kResetSignals[] = {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGPIPE, SIGTSTP,
                                 SIGTTIN, SIGTTOU, SIGCHLD, SIGWINCH, SIGCONT};

// In the child: default signal actions, nothing blocked, and no descriptor
// of pk's (its terminal included) handed on past exec.
void ResetChild() {
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    for (int sig : kResetSignals) sigaction(sig, &dfl, nullptr);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
#if defined(CLOSE_RANGE_CLOEXEC)
    if (close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0) return;
#endif
    struct rlimit lim {};
    int top = (getrlimit(RLIMIT_NOFILE, &lim) == 0 && lim.rlim_cur < 65536) ? int(lim.rlim_cur) : 65536;
    for (int fd = 3; fd < top; ++fd) {
        int flags = fcntl(fd, F_GETFD);
        if (flags >= 0) fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
    }
}

// Standard output on `output` (or /dev/null), input and error on /dev/null.
void RedirectStdio(int output) {
    if (output >= 0) dup2(output, 1);
    int null = open("/dev/null", O_RDWR);
    if (null < 0) return;
    dup2(null, 0);
    if (output < 0) dup2(null, 1);
    dup2(null, 2);
    if (null > 2) close(null);
}

[[noreturn]] void ReportAndExit(int report, int err) {
    (void)!write(report, &err, sizeof err);
    _exit(127);
}

[[noreturn]] void ExecChild(const char* path, char* const* argv, const ChildSetup& setup, int report) {
    if (setup.terminal >= 0) {
        setpgid(0, 0);
        tcsetpgrp(setup.terminal, getpid());  // SIGTTOU is still ignored here, as in pk
    } else {
        setsid();
        RedirectStdio(setup.output);
    }
    ResetChild();
    execv(path, argv);
    ReportAndExit(report, errno);
}

// The errno a child sent, or 0 when the pipe closed empty.
int ReadReport(int fd) {
    int err = 0;
    ssize_t got;
    do got = read(fd, &err, sizeof err);
    while (got < 0 && errno == EINTR);
    close(fd);
    return got == ssize_t(sizeof err) ? err : 0;
}

void WaitFor(pid_t pid) {
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

struct Child {
    pid_t pid = 0;  // 0: nothing to wait for (not started, failed, or detached)
    int error = 0;
};

// Forks and execs a child and waits until its exec is done. A child whose
// exec failed, and the middle process of a detached start, are reaped here.
Child Spawn(const std::string& path, const std::vector<std::string>& argv, const ChildSetup& setup) {
    std::vector<char*> args = ArgPointers(argv);
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) return {0, errno};
    pid_t pid = fork();
    if (pid == 0) {
        close(report[0]);
        if (setup.detached) {
            // The program belongs to init once this middle process ends.
            pid_t program = fork();
            if (program < 0) ReportAndExit(report[1], errno);
            if (program > 0) _exit(0);
        }
        ExecChild(path.c_str(), args.data(), setup, report[1]);
    }
    Child child{pid, pid < 0 ? errno : 0};
    close(report[1]);
    if (pid < 0) {
        close(report[0]);
        return {0, child.error};
    }
    child.error = ReadReport(report[0]);
    if (setup.detached || child.error != 0) {
        WaitFor(pid);
        child.pid = 0;
    }
    return child;
}

// Waits for a child and reaps it. A child that stops is continued (in the
// foreground of `terminal` again when one is given): pk has no job control
// to offer. When the deadline passes first, the child and its process group
// are killed and reaped: -1. Otherwise the exit status, or 128 + the signal
// that ended it.
int Reap(pid_t pid, Deadline until, int terminal) {
    const bool limited = until != Deadline::max();
    int raw = 0;
    for (;;) {
        pid_t r = waitpid(pid, &raw, WUNTRACED | (limited ? WNOHANG : 0));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return -1;
        if (r == pid && WIFSTOPPED(raw)) {
            if (terminal >= 0) tcsetpgrp(terminal, pid);
            kill(-pid, SIGCONT);
            continue;
        }
        if (r == pid) return WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : WEXITSTATUS(raw);
        if (Clock::now() >= until) break;
        usleep(2000);
    }
    kill(-pid, SIGKILL);
    kill(pid, SIGKILL);
    WaitFor(pid);
    return -1;
}

// Reads fd until it closes, the deadline passes or more than limit bytes
// came. False on time-out or overflow.
bool ReadUntil(int fd, std::string& out, Deadline until, size_t limit) {
    char buf[4096];
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0) return false;
        struct pollfd p {fd, POLLIN, 0};
        int r = poll(&p, 1, static_cast<int>(left));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return true;
        out.append(buf, static_cast<size_t>(n));
        if (out.size() > limit) return false;
    }
}

}  // namespace

bool FindProgram(std::string_view name, std::string& path) {
    if (name.empty()) return false;
    if (name.find('/') != std::string_view::npos) {
        path = name;
        return IsExecutable(path);
    }
    const char* env = getenv("PATH");
    std::string_view dirs = env ? env : "/usr/local/bin:/usr/bin:/bin";
    for (;;) {
        size_t colon = dirs.find(':');
        std::string_view dir = dirs.substr(0, colon);
        path.assign(dir.empty() ? "." : dir);
        path.append("/").append(name);
        if (IsExecutable(path)) return true;
        if (colon == std::string_view::npos) return false;
        dirs.remove_prefix(colon + 1);
    }
}

int RunForOutput(const std::string& path, const std::vector<std::string>& argv, Deadline until, size_t limit,
                 std::string& out) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return -1;
    Child child = Spawn(path, argv, ChildSetup{fds[1], -1, false});
    close(fds[1]);
    if (child.pid == 0) {
        close(fds[0]);
        return -1;
    }
    bool complete = ReadUntil(fds[0], out, until, limit);
    close(fds[0]);
    int status = Reap(child.pid, complete ? until : Deadline::min(), -1);
    return complete ? status : -1;
}

int StartDetached(const std::string& path, const std::vector<std::string>& argv) {
    return Spawn(path, argv, ChildSetup{-1, -1, true}).error;
}

int RunInForeground(const std::string& path, const std::vector<std::string>& argv, int& status) {
    int tty = open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (tty < 0) return errno;
    struct sigaction ignore {}, oldInt {}, oldQuit {}, oldTtou {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGINT, &ignore, &oldInt);
    sigaction(SIGQUIT, &ignore, &oldQuit);
    sigaction(SIGTTOU, &ignore, &oldTtou);  // pk takes the terminal back from the background
    Child child = Spawn(path, argv, ChildSetup{-1, tty, false});
    if (child.pid > 0) status = Reap(child.pid, Deadline::max(), tty);
    tcsetpgrp(tty, getpgrp());
    sigaction(SIGINT, &oldInt, nullptr);
    sigaction(SIGQUIT, &oldQuit, nullptr);
    sigaction(SIGTTOU, &oldTtou, nullptr);
    close(tty);
    return child.error;
}

}  // namespace pk
