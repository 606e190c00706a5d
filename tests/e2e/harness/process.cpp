// Run: a program on pipes, without a terminal, its output captured.
#include "harness/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "harness/env.h"
#include "temp_dir.h"

namespace pktest {

namespace {

// Feeds input to fds[2] and reads fds[0] and fds[1] until the child closes
// them. False when the time runs out first.
bool Exchange(pollfd (&fds)[3], std::string_view input, RunResult& r, std::chrono::steady_clock::time_point until) {
    std::string* sinks[] = {&r.out, &r.err};
    fcntl(fds[2].fd, F_SETFL, O_NONBLOCK);
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        if (input.empty() && fds[2].fd >= 0) close(fds[2].fd), fds[2].fd = -1;
        if (MsLeft(until) == 0 || (poll(fds, 3, MsLeft(until)) < 0 && errno != EINTR)) return false;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].revents == 0) continue;
            char buf[8192];
            ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n > 0) sinks[i]->append(buf, size_t(n));
            else if (n == 0 || errno != EINTR) close(fds[i].fd), fds[i].fd = -1;
        }
        if (fds[2].revents == 0) continue;
        ssize_t n = write(fds[2].fd, input.data(), input.size());
        if (n > 0) input.remove_prefix(size_t(n));
        else if (errno != EAGAIN && errno != EINTR) input = {};  // the child does not read
    }
    return true;
}

}  // namespace

RunResult Run(std::vector<std::string> argv, std::vector<std::string> env, std::string cwd, std::string stdinText,
              int timeoutMs) {
    RunResult r;
    int in[2], out[2], err[2];
    if (argv.empty() || pipe2(in, O_CLOEXEC) != 0) return r;
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return close(in[0]), close(in[1]), r;
    TempDir home;
    env.insert(env.begin(), "TERM");
    signal(SIGPIPE, SIG_IGN);
    pid_t pid = Spawn(argv, home.path(), env, cwd, [&] { setsid(), dup2(in[0], 0), dup2(out[1], 1), dup2(err[1], 2); });
    close(in[0]), close(out[1]), close(err[1]);
    pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {in[1], POLLOUT, 0}};
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    r.timedOut = pid > 0 && !Exchange(fds, stdinText, r, until);
    if (r.timedOut) kill(pid, SIGKILL);
    for (const pollfd& p : fds)
        if (p.fd >= 0) close(p.fd);
    if (pid < 0) return r;
    while (waitpid(pid, &r.status, 0) < 0 && errno == EINTR) {
    }
    r.exitCode = WIFEXITED(r.status) ? WEXITSTATUS(r.status) : -1;
    return r;
}

}  // namespace pktest
