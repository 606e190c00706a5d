// Environment and argument helpers for starting test programs.
#include "harness/env.h"

#include <unistd.h>

#include <string_view>

extern char** environ;

namespace pktest {

namespace {

std::string NameOf(std::string_view entry) {
    return std::string(entry.substr(0, entry.find('=')));
}

std::string ValueOf(const std::vector<std::string>& env, const std::string& name) {
    for (const std::string& e : env)
        if (NameOf(e) == name && e.size() > name.size()) return e.substr(name.size() + 1);
    return "";
}

}  // namespace

void ApplyEnv(std::vector<std::string>& env, const std::vector<std::string>& changes) {
    for (const std::string& change : changes) {
        std::string name = NameOf(change);
        std::erase_if(env, [&](const std::string& e) { return NameOf(e) == name; });
        if (change.find('=') != std::string::npos) env.push_back(change);
    }
}

std::vector<std::string> ChildEnvironment(const std::string& home, const std::string& stubDir) {
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e) env.emplace_back(*e);
    std::string path = stubDir + ":/usr/local/bin:/usr/bin:/bin";
    if (const char* own = getenv("PATH"); own && *own) path += std::string(":") + own;
    ApplyEnv(env, {"LC_ALL", "LC_CTYPE", "LC_MESSAGES", "LINES", "COLUMNS", "TMUX", "TMUX_PANE",
                   "STY", "DISPLAY", "WAYLAND_DISPLAY", "TERMINAL", "LANG=C.UTF-8",
                   "HOME=" + home, "XDG_CONFIG_HOME=" + home + "/.config",
                   "APPDATA=" + home + "/appdata", "PATH=" + path});
    return env;
}

std::string FindProgram(const std::string& name, const std::vector<std::string>& env) {
    if (name.find('/') != std::string::npos) return name;
    std::string path = ValueOf(env, "PATH");
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(':', start);
        if (end == std::string::npos) end = path.size();
        std::string candidate = path.substr(start, end - start) + "/" + name;
        if (end > start && access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return name;
}

std::vector<char*> CStrings(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (std::string& s : strings) out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

}  // namespace pktest
