// Program lookup on PATH and the two ways the shell command starts a
// program. Between fork and exec only async-signal-safe calls are made; a
// failed exec reports its errno through a close-on-exec pipe, so a start is
// known to have worked once the pipe closes empty.
#include "files/shell_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace pk {

namespace {

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

void ExecOrReport(const char* path, char* const* argv, int reportFd) {
    execv(path, argv);
    int err = errno;
    (void)!write(reportFd, &err, sizeof err);
    _exit(127);
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

void WaitFor(pid_t pid, int* status) {
    while (waitpid(pid, status, 0) < 0 && errno == EINTR) {
    }
}

void RedirectToNull() {
    int null = open("/dev/null", O_RDWR);
    if (null < 0) return;
    dup2(null, 0);
    dup2(null, 1);
    dup2(null, 2);
    if (null > 2) close(null);
}

}  // namespace

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

bool FindProgram(const std::string& name, std::string& path) {
    if (name.empty()) return false;
    if (name.find('/') != std::string::npos) {
        path = name;
        return IsExecutable(path);
    }
    const char* env = getenv("PATH");
    std::string dirs = env ? env : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    for (;;) {
        size_t colon = dirs.find(':', start);
        std::string dir = dirs.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        path = (dir.empty() ? std::string(".") : dir) + "/" + name;
        if (IsExecutable(path)) return true;
        if (colon == std::string::npos) return false;
        start = colon + 1;
    }
}

int StartDetached(const std::string& path, const std::vector<std::string>& argv) {
    std::vector<char*> args = ArgPointers(argv);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return errno;
    // The middle process ends at once and is reaped here; the program itself
    // then belongs to init, so pk never has a zombie child.
    pid_t middle = fork();
    if (middle < 0) {
        int err = errno;
        close(fds[0]);
        close(fds[1]);
        return err;
    }
    if (middle == 0) {
        close(fds[0]);
        pid_t program = fork();
        if (program < 0) {
            int err = errno;
            (void)!write(fds[1], &err, sizeof err);
            _exit(1);
        }
        if (program == 0) {
            setsid();
            RedirectToNull();
            ResetChild();
            ExecOrReport(path.c_str(), args.data(), fds[1]);
        }
        _exit(0);
    }
    close(fds[1]);
    int err = ReadReport(fds[0]);
    WaitFor(middle, nullptr);
    return err;
}

int RunInForeground(const std::string& path, const std::vector<std::string>& argv, int& status) {
    std::vector<char*> args = ArgPointers(argv);
    int tty = open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (tty < 0) return errno;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        int err = errno;
        close(tty);
        return err;
    }
    struct sigaction ignore {}, oldInt {}, oldQuit {}, oldTtou {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGINT, &ignore, &oldInt);
    sigaction(SIGQUIT, &ignore, &oldQuit);
    sigaction(SIGTTOU, &ignore, &oldTtou);  // pk takes the terminal back from the background

    pid_t child = fork();
    int err = child < 0 ? errno : 0;
    if (child == 0) {
        close(fds[0]);
        setpgid(0, 0);
        tcsetpgrp(tty, getpid());
        ResetChild();
        ExecOrReport(path.c_str(), args.data(), fds[1]);
    }
    close(fds[1]);
    if (child > 0) {
        setpgid(child, child);
        tcsetpgrp(tty, child);
        int raw = 0;
        for (;;) {
            if (waitpid(child, &raw, WUNTRACED) < 0) {
                if (errno == EINTR) continue;
                break;
            }
            if (!WIFSTOPPED(raw)) break;
            // pk has no job control to offer: a stopped program goes on.
            tcsetpgrp(tty, child);
            kill(-child, SIGCONT);
        }
        status = WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : WEXITSTATUS(raw);
        err = ReadReport(fds[0]);
    } else {
        close(fds[0]);
    }
    tcsetpgrp(tty, getpgrp());
    sigaction(SIGINT, &oldInt, nullptr);
    sigaction(SIGQUIT, &oldQuit, nullptr);
    sigaction(SIGTTOU, &oldTtou, nullptr);
    close(tty);
    return err;
}

}  // namespace pk
