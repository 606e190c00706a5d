// Run: a program on pipes, without a terminal, its output captured.
#include "harness/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>

#include "harness/env.h"
#include "temp_dir.h"

namespace pktest {

namespace {

using Clock = std::chrono::steady_clock;

struct Pipes {
    int in[2] = {-1, -1};
    int out[2] = {-1, -1};
    int err[2] = {-1, -1};
    bool open() { return pipe2(in, O_CLOEXEC) == 0 && pipe2(out, O_CLOEXEC) == 0 && pipe2(err, O_CLOEXEC) == 0; }
    void closeAll() {
        for (int* p : {in, out, err})
            for (int i = 0; i < 2; ++i)
                if (p[i] >= 0) close(p[i]), p[i] = -1;
    }
};

// Writes stdinText and reads both outputs until the child closes them or the
// time runs out. Returns false on time-out.
bool Exchange(Pipes& p, const std::string& input, RunResult& r, Clock::time_point until) {
    size_t written = 0;
    if (input.empty()) close(p.in[1]), p.in[1] = -1;
    else fcntl(p.in[1], F_SETFL, O_NONBLOCK);
    while (p.out[0] >= 0 || p.err[0] >= 0) {
        struct pollfd fds[3] = {{p.out[0], POLLIN, 0}, {p.err[0], POLLIN, 0}, {p.in[1], POLLOUT, 0}};
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0) return false;
        if (poll(fds, 3, static_cast<int>(left)) < 0 && errno != EINTR) return false;
        std::string* sinks[2] = {&r.out, &r.err};
        int* fdsOut[2] = {&p.out[0], &p.err[0]};
        for (int i = 0; i < 2; ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buf[8192];
            ssize_t n = read(*fdsOut[i], buf, sizeof buf);
            if (n > 0) sinks[i]->append(buf, static_cast<size_t>(n));
            else if (n == 0 || errno != EINTR) close(*fdsOut[i]), *fdsOut[i] = -1;
        }
        if (fds[2].revents & (POLLOUT | POLLERR | POLLHUP)) {
            ssize_t n = write(p.in[1], input.data() + written, input.size() - written);
            if (n > 0) written += static_cast<size_t>(n);
            if (n < 0 && errno != EAGAIN && errno != EINTR) written = input.size();
            if (written == input.size()) close(p.in[1]), p.in[1] = -1;
        }
    }
    return true;
}

}  // namespace

RunResult Run(std::vector<std::string> argv, std::vector<std::string> env, std::string cwd,
              std::string stdinText, int timeoutMs) {
    RunResult r;
    if (argv.empty()) return r;
    TempDir home;
    std::filesystem::create_directories(home / ".config");
    std::filesystem::create_directories(home / "appdata");
    std::filesystem::create_directories(home / "stubs");
    std::vector<std::string> childEnv = ChildEnvironment(home.path(), home / "stubs");
    ApplyEnv(childEnv, {"TERM"});
    ApplyEnv(childEnv, env);
    std::string program = FindProgram(argv[0], childEnv);
    std::vector<char*> args = CStrings(argv);
    std::vector<char*> envp = CStrings(childEnv);

    Pipes p;
    if (!p.open()) return p.closeAll(), r;
    signal(SIGPIPE, SIG_IGN);
    pid_t pid = fork();
    if (pid < 0) return p.closeAll(), r;
    if (pid == 0) {
        setsid();
        dup2(p.in[0], 0), dup2(p.out[1], 1), dup2(p.err[1], 2);
        if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
        execve(program.c_str(), args.data(), envp.data());
        _exit(127);
    }
    for (int* end : {&p.in[0], &p.out[1], &p.err[1]}) close(*end), *end = -1;
    auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    if (!Exchange(p, stdinText, r, until)) {
        r.timedOut = true;
        kill(pid, SIGKILL);
    }
    p.closeAll();
    while (waitpid(pid, &r.status, 0) < 0 && errno == EINTR) {
    }
    r.exitCode = WIFEXITED(r.status) ? WEXITSTATUS(r.status) : -1;
    return r;
}

}  // namespace pktest
