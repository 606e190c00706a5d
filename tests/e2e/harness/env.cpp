// Private environments and starting test programs in them.
#include "harness/env.h"

#include <unistd.h>

#include <filesystem>
#include <string_view>

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

// NULL-terminated array of pointers into strings (which must outlive it).
std::vector<char*> CStrings(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (std::string& s : strings) out.push_back(s.data());
    out.push_back(nullptr);
    return out;
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
    std::vector<char*> argp = CStrings(args), envp = CStrings(env);
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

}  // namespace pktest
