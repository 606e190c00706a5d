// Starting test programs in a private environment (env.h), and Run: a
// program on pipes, without a terminal, its output captured.
#include "harness/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string_view>

#include "harness/env.h"
#include "temp_dir.h"

extern char** environ;

namespace pktest {

namespace {

std::string NameOf(std::string_view entry) { return std::string(entry.substr(0, entry.find('='))); }

void ApplyEnv(std::vector<std::string>& env, const std::vector<std::string>& changes) {
    for (const std::string& change : changes) {
        std::erase_if(env, [&](const std::string& e) { return NameOf(e) == NameOf(change); });
        if (change.find('=') != std::string::npos) env.push_back(change);
    }
}

// Reads fds[0] and fds[1] until the child closes them. False when the time
// runs out first.
bool Drain(pollfd (&fds)[2], RunResult& r, std::chrono::steady_clock::time_point until) {
    std::string* sinks[] = {&r.out, &r.err};
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        if (MsLeft(until) == 0 || (poll(fds, 2, MsLeft(until)) < 0 && errno != EINTR)) return false;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].revents == 0) continue;
            char buf[8192];
            ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n > 0) sinks[i]->append(buf, size_t(n));
            else if (n == 0 || errno != EINTR) close(fds[i].fd), fds[i].fd = -1;
        }
    }
    return true;
}

}  // namespace

std::vector<std::string> ChildEnvironment(const std::string& home, const std::string& stubDir) {
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e) env.emplace_back(*e);
    std::string path = stubDir + ":/usr/local/bin:/usr/bin:/bin";
    if (const char* own = getenv("PATH"); own && *own) path += std::string(":") + own;
    ApplyEnv(env, {"LC_ALL", "LC_CTYPE", "LC_MESSAGES", "LINES", "COLUMNS", "TMUX", "TMUX_PANE", "STY", "DISPLAY",
                   "WAYLAND_DISPLAY", "TERMINAL", "LANG=C.UTF-8", "HOME=" + home, "XDG_CONFIG_HOME=" + home + "/.config",
                   "APPDATA=" + home + "/appdata", "PATH=" + path});
    return env;
}

std::string FindProgram(const std::string& name, const std::vector<std::string>& env) {
    if (name.find('/') != std::string::npos) return name;
    for (const std::string& e : env) {
        if (!e.starts_with("PATH=")) continue;
        for (size_t start = 5, end; start <= e.size(); start = end + 1) {
            end = std::min(e.find(':', start), e.size());
            std::string candidate = e.substr(start, end - start) + "/" + name;
            if (end > start && access(candidate.c_str(), X_OK) == 0) return candidate;
        }
    }
    return name;
}

pid_t Spawn(const std::vector<std::string>& argv, const std::string& home, const std::vector<std::string>& changes,
            const std::string& cwd, const std::function<void()>& setup) {
    for (const char* dir : {"/.config", "/appdata", "/stubs"}) std::filesystem::create_directories(home + dir);
    std::vector<std::string> env = ChildEnvironment(home, home + "/stubs"), args = argv;
    ApplyEnv(env, changes);
    const std::string program = FindProgram(argv.at(0), env);
    std::vector<char*> argp, envp;  // into args and env, NULL-terminated
    for (std::string& a : args) argp.push_back(a.data());
    for (std::string& e : env) envp.push_back(e.data());
    argp.push_back(nullptr), envp.push_back(nullptr);
    pid_t pid = fork();
    if (pid != 0) return pid;
    setup();
    if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
    execve(program.c_str(), argp.data(), envp.data());
    _exit(127);
}

int MsLeft(std::chrono::steady_clock::time_point until) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now()).count();
    return left > 0 ? int(left) : 0;
}

RunResult Run(std::vector<std::string> argv, std::vector<std::string> env, std::string cwd, int timeoutMs) {
    RunResult r;
    int in[2], out[2], err[2];
    if (argv.empty() || pipe2(in, O_CLOEXEC) != 0) return r;
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return close(in[0]), close(in[1]), r;
    TempDir home;
    env.insert(env.begin(), "TERM");
    pid_t pid = Spawn(argv, home.path(), env, cwd, [&] { setsid(), dup2(in[0], 0), dup2(out[1], 1), dup2(err[1], 2); });
    close(in[0]), close(in[1]), close(out[1]), close(err[1]);  // standard input ends at once
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    if (pid > 0 && !Drain(fds, r, std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs)))
        kill(pid, SIGKILL);
    for (const pollfd& p : fds)
        if (p.fd >= 0) close(p.fd);
    int status = 0;
    while (pid > 0 && waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (pid > 0 && WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
    return r;
}

}  // namespace pktest
