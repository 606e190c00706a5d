// Signal handling of the terminal console (see terminal_signals.h). The
// handlers use only async-signal-safe calls on data prepared in advance.
#include "panel/terminal_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace pk {

namespace {

volatile sig_atomic_t gEnd = 0;
volatile sig_atomic_t gContinued = 0;  // a Continued value
volatile sig_atomic_t gResized = 0;
bool gStopIgnored = false;  // SIGTSTP was ignored when pk started: no stops
int gPipe[2] = {-1, -1};
int gTty = -1;
struct termios gSaved;
char gReset[1024];
volatile sig_atomic_t gResetLength = 0;

constexpr int kEndSignals[] = {SIGTERM, SIGHUP, SIGINT};
constexpr int kFatalSignals[] = {SIGQUIT, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr int kKeySignals[] = {SIGINT, SIGQUIT, SIGTSTP};

void Wake(char c) {
    int saved = errno;
    if (gPipe[1] >= 0) (void)!write(gPipe[1], &c, 1);
    errno = saved;
}

void OnEnd(int) {
    gEnd = 1;
    Wake('e');
}

void OnFatal(int sig) {
    EmergencyTerminalReset();
    signal(sig, SIG_DFL);
    raise(sig);
}

void OnStop(int) {
    int saved = errno;
    bool givenBack = gResetLength > 0;
    EmergencyTerminalReset();
    signal(SIGTSTP, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTSTP);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    raise(SIGTSTP);  // stops here until SIGCONT
    struct sigaction sa {};
    sa.sa_handler = OnStop;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTSTP, &sa, nullptr);
    // In an orphaned process group the kernel discards the stop and raise
    // returns at once; either way the screen must be taken back now.
    gContinued = static_cast<sig_atomic_t>(givenBack ? Continued::AfterStop : Continued::Kept);
    Wake('c');
    errno = saved;
}

void OnContinue(int) {
    if (gContinued == static_cast<sig_atomic_t>(Continued::No))
        gContinued = static_cast<sig_atomic_t>(Continued::Kept);
    Wake('c');
}

void OnResize(int) {
    gResized = 1;
    Wake('w');
}

// The parent process id of pid, from /proc; -1 when it cannot be read.
pid_t ParentOf(pid_t pid) {
    std::string path = "/proc/" + std::to_string(pid) + "/stat";
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f) return -1;
    char buf[512];
    size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    buf[n] = '\0';
    const char* end = std::strrchr(buf, ')');  // the command name may hold blanks and parentheses
    int ppid = -1;
    if (!end || std::sscanf(end + 1, " %*c %d", &ppid) != 1) return -1;
    return ppid;
}

// A stop only takes effect when pk's process group is not orphaned, that is
// when some member has its parent in another group of the same session: the
// shell that started the job and can bring it back with fg. The members met
// walking up from pk stand for the group.
bool JobControlAvailable() {
    if (gStopIgnored) return false;
    pid_t group = getpgrp();
    pid_t session = getsid(0);
    pid_t parent = getppid();
    for (int depth = 0; depth < 64 && parent > 1; ++depth) {
        if (getsid(parent) != session) return false;
        pid_t parentGroup = getpgid(parent);
        if (parentGroup < 0) return false;
        if (parentGroup != group) return true;
        parent = ParentOf(parent);
    }
    return false;
}

void Handle(int sig, void (*handler)(int)) {
    struct sigaction sa {};
    sa.sa_handler = handler;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(sig, &sa, nullptr);
}

}  // namespace

bool InstallTerminalSignals(int ttyFd, const struct termios& saved) {
    gTty = ttyFd;
    gSaved = saved;
    if (gPipe[0] >= 0) return true;
    if (pipe2(gPipe, O_NONBLOCK | O_CLOEXEC) != 0) return false;
    for (int s : kEndSignals) Handle(s, OnEnd);
    for (int s : kFatalSignals) Handle(s, OnFatal);
    struct sigaction old {};
    sigaction(SIGTSTP, nullptr, &old);
    gStopIgnored = old.sa_handler == SIG_IGN;  // a shell without job control may ignore it
    if (!gStopIgnored) Handle(SIGTSTP, OnStop);
    Handle(SIGCONT, OnContinue);
    Handle(SIGWINCH, OnResize);  // before curses starts, so that it leaves resizes to pk
    return true;
}

void SetTerminalResetSequence(std::string_view reset) {
    gResetLength = 0;
    size_t n = std::min(reset.size(), sizeof gReset);
    std::memcpy(gReset, reset.data(), n);
    gResetLength = static_cast<sig_atomic_t>(n);
}

int TerminalSignalFd() { return gPipe[0]; }

void DrainTerminalSignals() {
    char buf[64];
    while (gPipe[0] >= 0 && read(gPipe[0], buf, sizeof buf) > 0) {
    }
}

bool TerminalEndRequested() { return gEnd != 0; }

void RequestTerminalEnd() { gEnd = 1; }

Continued TakeTerminalContinued() {
    auto continued = static_cast<Continued>(gContinued);
    gContinued = static_cast<sig_atomic_t>(Continued::No);
    return continued;
}

bool TerminalResizePending() { return gResized != 0; }

bool TakeTerminalResized() {
    if (!gResized) return false;
    gResized = 0;
    return true;
}

void MarkTerminalResized() { gResized = 1; }

sigset_t KeySignalSet() {
    sigset_t set;
    sigemptyset(&set);
    for (int s : kKeySignals) sigaddset(&set, s);
    return set;
}

void HoldKeySignals() {
    sigset_t set = KeySignalSet();
    sigprocmask(SIG_BLOCK, &set, nullptr);
}

void DropKeySignals() {
    // Ignoring a pending signal discards it.
    for (int s : kKeySignals) {
        struct sigaction ignore {}, old {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(s, &ignore, &old);
        sigaction(s, &old, nullptr);
    }
    sigset_t set = KeySignalSet();
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

void StopAsJob() {
    if (JobControlAvailable()) kill(0, SIGTSTP);
}

void EmergencyTerminalReset() {
    if (gTty < 0) return;
    int saved = errno;
    size_t done = 0;
    size_t length = static_cast<size_t>(gResetLength);
    while (done < length) {
        ssize_t n = write(gTty, gReset + done, length - done);
        if (n <= 0 && errno != EINTR) break;
        if (n > 0) done += static_cast<size_t>(n);
    }
    tcsetattr(gTty, TCSANOW, &gSaved);
    errno = saved;
}

}  // namespace pk
