// Starting and reaping child processes (see process.h). Every child comes
// from Spawn: between fork and exec only async-signal-safe calls are made,
// and a failed exec reports its errno through a close-on-exec pipe, so a
// start is known to have worked once that pipe closes empty. A program in
// the foreground is waited for with the signals that end a wait blocked
// except while it sleeps in ppoll, so none slips in between a check and
// the sleep.
#include "panel/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <iterator>
#include <span>

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
// A pipe that is already descriptor 1 only loses its close-on-exec flag.
void RedirectStdio(int output) {
    if (output == 1) fcntl(1, F_SETFD, 0);
    else if (output >= 0) dup2(output, 1);
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

// The errno a child sent, or 0 when the pipe closed empty. A child stopped
// before its exec (Ctrl+Z typed just as it took the terminal) is continued,
// or neither the report nor the program would ever come.
int ReadReport(int fd, pid_t pid) {
    int err = 0;
    ssize_t got = -1;
    for (;;) {
        struct pollfd p {fd, POLLIN, 0};
        if (poll(&p, 1, 50) > 0) {
            got = read(fd, &err, sizeof err);
            if (got >= 0 || errno != EINTR) break;
            continue;
        }
        siginfo_t info {};
        if (waitid(P_PID, id_t(pid), &info, WSTOPPED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid)
            kill(pid, SIGCONT);
    }
    close(fd);
    return got == ssize_t(sizeof err) ? err : 0;
}

int ExitStatus(int raw) { return WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : WEXITSTATUS(raw); }

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
    child.error = ReadReport(report[0], pid);
    if (setup.detached || child.error != 0) {
        WaitFor(pid);
        child.pid = 0;
    }
    return child;
}

// Waits for a child and reaps it; a child that stops is continued. When
// the deadline passes first, the child and its process group are killed and
// reaped: -1. Otherwise the exit status, or 128 + the signal that ended it.
int Reap(pid_t pid, Deadline until) {
    int raw = 0;
    for (;;) {
        pid_t r = waitpid(pid, &raw, WUNTRACED | WNOHANG);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return -1;
        if (r == pid && WIFSTOPPED(raw)) {
            kill(-pid, SIGCONT);
            continue;
        }
        if (r == pid) return ExitStatus(raw);
        if (Clock::now() >= until) break;
        usleep(2000);
    }
    kill(-pid, SIGKILL);
    kill(pid, SIGKILL);
    WaitFor(pid);
    return -1;
}

// Signals that end a wait's sleep: in the foreground wait, a child's change
// and the signals that ask pk to end (pk's own handlers note those; SIGINT
// is ignored then); at the prompt, the signals that ask pk to end.
constexpr int kForegroundWake[] = {SIGCHLD, SIGTERM, SIGHUP};
constexpr int kPromptWake[] = {SIGTERM, SIGHUP, SIGINT};
// Signals pk ignores while a program has its terminal; SIGTTOU lets pk take
// the terminal back from the background.
constexpr int kIgnoredInForeground[] = {SIGINT, SIGQUIT, SIGTTOU};

void Nothing(int) {}

// Blocks the signals that wake a wait; `during` is the mask to sleep with.
void BlockWakeSignals(std::span<const int> signals, sigset_t& old, sigset_t& during) {
    sigset_t wake;
    sigemptyset(&wake);
    for (int sig : signals) sigaddset(&wake, sig);
    sigprocmask(SIG_BLOCK, &wake, &old);
    during = old;
    for (int sig : signals) sigdelset(&during, sig);
}

// Sleeps until fd (ignored when < 0) has something to read or a signal
// comes.
void Sleep(int fd, const sigset_t& during) {
    struct pollfd p {fd, POLLIN, 0};
    ppoll(&p, 1, nullptr, &during);
}

// pk's signal set-up while a program has its terminal, and what it replaced.
struct ForegroundSignals {
    struct sigaction ignored[std::size(kIgnoredInForeground)];
    struct sigaction child;
    sigset_t mask;
    sigset_t during;
};

void EnterForeground(ForegroundSignals& saved) {
    struct sigaction sa {};
    sigemptyset(&sa.sa_mask);
    sa.sa_handler = SIG_IGN;
    for (size_t i = 0; i < std::size(kIgnoredInForeground); ++i)
        sigaction(kIgnoredInForeground[i], &sa, &saved.ignored[i]);
    sa.sa_handler = Nothing;  // SIGCHLD must interrupt the sleep
    sigaction(SIGCHLD, &sa, &saved.child);
    BlockWakeSignals(kForegroundWake, saved.mask, saved.during);
}

void LeaveForeground(const ForegroundSignals& saved) {
    for (size_t i = 0; i < std::size(kIgnoredInForeground); ++i)
        sigaction(kIgnoredInForeground[i], &saved.ignored[i], nullptr);
    sigaction(SIGCHLD, &saved.child, nullptr);
    sigprocmask(SIG_SETMASK, &saved.mask, nullptr);
}

// Waits for a program in the foreground of `terminal`: one that stops is
// continued there (pk has no job control to offer); once ending() is true,
// its group is hung up and the wait ends with -1.
int WaitInForeground(pid_t pid, int terminal, EndCheck ending, const sigset_t& during) {
    for (;;) {
        int raw = 0;
        pid_t r = waitpid(pid, &raw, WUNTRACED | WNOHANG);
        if (r == pid && WIFSTOPPED(raw)) {
            tcsetpgrp(terminal, pid);
            kill(-pid, SIGCONT);
        } else if (r == pid) {
            return ExitStatus(raw);
        } else if (r < 0 && errno != EINTR) {
            return -1;
        } else if (ending()) {
            kill(-pid, SIGHUP);
            kill(-pid, SIGCONT);  // a stopped job must wake to take the hangup
            return -1;
        } else {
            Sleep(-1, during);
        }
    }
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
    int status = Reap(child.pid, complete ? until : Deadline::min());
    return complete ? status : -1;
}

int StartDetached(const std::string& path, const std::vector<std::string>& argv) {
    return Spawn(path, argv, ChildSetup{-1, -1, true}).error;
}

int RunInForeground(const std::string& path, const std::vector<std::string>& argv, int& status, EndCheck ending) {
    int tty = open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (tty < 0) return errno;
    struct termios modes {};
    bool haveModes = tcgetattr(tty, &modes) == 0;
    ForegroundSignals saved;
    EnterForeground(saved);
    Child child = Spawn(path, argv, ChildSetup{-1, tty, false});
    if (child.pid > 0) status = WaitInForeground(child.pid, tty, ending, saved.during);
    // Keys must not signal pk from the moment it is in the foreground again.
    if (haveModes) {
        modes.c_lflag &= ~tcflag_t(ISIG);
        tcsetattr(tty, TCSANOW, &modes);
    }
    tcsetpgrp(tty, getpgrp());
    LeaveForeground(saved);
    close(tty);
    return child.error;
}

void WaitForEnter(std::string_view prompt, EndCheck ending) {
    int tty = open("/dev/tty", O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (tty < 0) return;
    sigset_t old, during;
    BlockWakeSignals(kPromptWake, old, during);
    bool done = ending();
    if (!done) (void)!write(tty, prompt.data(), prompt.size());
    while (!done) {
        char c = 0;
        ssize_t got = read(tty, &c, 1);
        if (got == 1) done = c == '\n' || c == '\r';
        else if (got == 0 || (errno != EAGAIN && errno != EINTR) || ending()) done = true;
        else Sleep(tty, during);
    }
    sigprocmask(SIG_SETMASK, &old, nullptr);
    close(tty);
}

}  // namespace pk
