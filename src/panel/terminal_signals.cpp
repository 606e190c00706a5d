// Signal handling of the terminal console (see terminal_signals.h). The
// handlers use only async-signal-safe calls on data prepared in advance.
#include "panel/terminal_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace pk {

namespace {

volatile sig_atomic_t gEnd = 0;
volatile sig_atomic_t gContinued = 0;
int gPipe[2] = {-1, -1};
int gTty = -1;
struct termios gSaved;
char gReset[1024];
volatile sig_atomic_t gResetLength = 0;

constexpr int kEndSignals[] = {SIGTERM, SIGHUP, SIGINT};
constexpr int kFatalSignals[] = {SIGQUIT, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

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
    gContinued = 1;
    Wake('c');
    errno = saved;
}

void OnContinue(int) {
    gContinued = 1;
    Wake('c');
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
    Handle(SIGTSTP, OnStop);
    Handle(SIGCONT, OnContinue);
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

bool TakeTerminalContinued() {
    if (!gContinued) return false;
    gContinued = 0;
    return true;
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
