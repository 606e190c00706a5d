// Clipboard tools run as child processes (see terminal_clipboard.h): stdin
// and stderr on /dev/null, stdout on a pipe, a session of their own so they
// never touch pk's terminal, killed after one second, always reaped.
#include "panel/terminal_clipboard.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <vector>

namespace pk {

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kLimitMs = 1000;
constexpr size_t kMaxBytes = 1 << 20;

struct Tool {
    const char* argv[4];
    bool onlyInTmux;
};
constexpr Tool kTools[] = {{{"wl-paste", "--no-newline", nullptr, nullptr}, false},
                           {{"xclip", "-o", "-selection", "clipboard"}, false},
                           {{"xsel", "-ob", nullptr, nullptr}, false},
                           {{"tmux", "save-buffer", "-", nullptr}, true}};

// The full path of name on PATH, or "" when it is not there.
std::string OnPath(const char* name) {
    const char* path = getenv("PATH");
    std::string_view rest = path ? path : "";
    while (!rest.empty()) {
        size_t end = rest.find(':');
        std::string_view dir = rest.substr(0, end);
        rest = end == std::string_view::npos ? "" : rest.substr(end + 1);
        if (dir.empty()) continue;
        std::string candidate = std::string(dir) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return "";
}

// Reads the child's output until it closes it, the limit passes or the
// size cap is reached. False on time-out or overflow.
bool ReadAll(int fd, std::string& out, Clock::time_point until) {
    char buf[4096];
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0) return false;
        struct pollfd p{fd, POLLIN, 0};
        int r = poll(&p, 1, static_cast<int>(left));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return true;
        out.append(buf, static_cast<size_t>(n));
        if (out.size() > kMaxBytes) return false;
    }
}

// Waits for the child until the limit; kills its process group if it is
// still there. The exit status, or -1.
int Reap(pid_t pid, bool kill, Clock::time_point until) {
    int status = 0;
    while (!kill) {
        pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (r < 0 && errno != EINTR) return -1;
        if (Clock::now() >= until) break;
        usleep(2000);
    }
    ::kill(-pid, SIGKILL);
    ::kill(pid, SIGKILL);
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return -1;
}

[[noreturn]] void Exec(const std::string& program, const Tool& tool, int out) {
    setsid();
    int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(out, 1);
    dup2(null, 2);
    execv(program.c_str(), const_cast<char* const*>(tool.argv));
    _exit(127);
}

bool RunTool(const Tool& tool, std::string& text) {
    std::string program = OnPath(tool.argv[0]);
    if (program.empty()) return false;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    pid_t pid = fork();
    if (pid == 0) Exec(program, tool, fds[1]);
    close(fds[1]);
    if (pid < 0) return close(fds[0]), false;
    auto until = Clock::now() + std::chrono::milliseconds(kLimitMs);
    std::string out;
    bool complete = ReadAll(fds[0], out, until);
    close(fds[0]);
    int status = Reap(pid, !complete, until);
    if (status != 0 || out.empty()) return false;
    text = std::move(out);
    return true;
}

}  // namespace

bool ReadSystemClipboard(std::string& text) {
    bool inTmux = getenv("TMUX") != nullptr;
    for (const Tool& tool : kTools) {
        if (tool.onlyInTmux && !inTmux) continue;
        if (RunTool(tool, text)) return true;
    }
    return false;
}

}  // namespace pk
