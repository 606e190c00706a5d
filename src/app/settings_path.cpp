// Choosing and creating the settings folder and forming settingsPath;
// without a usable folder settingsPath stays empty.
#include "app/settings_path.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/startup_output.h"
#include "files/program_state.h"
#include "files/system_error.h"

namespace pk {

namespace {

constexpr const char* SETTINGS_FOLDER = "pk";
constexpr const char* SETTINGS_FILE = "/pk.ini";

// An environment value, with an empty one counted as not set.
const char* EnvValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0' ? value : nullptr;
}

// The folder the environment names, or "" when none does.
std::string ChosenFolder() {
    if (const char* appData = EnvValue("APPDATA")) return std::string(appData) + "/" + SETTINGS_FOLDER;
    if (const char* config = EnvValue("XDG_CONFIG_HOME")) return std::string(config) + "/" + SETTINGS_FOLDER;
    if (const char* home = EnvValue("HOME")) return std::string(home) + "/.config/" + SETTINGS_FOLDER;
    return std::string();
}

bool MakeOne(const std::string& path, uint32_t& error) {
    if (mkdir(path.c_str(), 0777) == 0) return true;
    int e = errno;
    struct stat st;
    if (e == EEXIST && stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return true;
        e = ENOTDIR;
    }
    error = static_cast<uint32_t>(e);
    return false;
}

// False when the path would not fit (the caller has checked it does).
bool SetPath(const char* folder) {
    int n = std::snprintf(program.settingsPath, sizeof program.settingsPath, "%s%s", folder, SETTINGS_FILE);
    return n > 0 && static_cast<size_t>(n) < sizeof program.settingsPath;
}

}  // namespace

bool MakeFolders(const char* path, uint32_t& error) {
    std::string p(path);
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    // Mostly the folder or its parent is there already: one or two calls.
    uint32_t first = 0;
    if (MakeOne(p, first)) return true;
    if (first != ENOENT) {
        error = first;
        return false;
    }
    // Else each parent in turn, then the folder itself.
    for (size_t slash = p.find('/', 1); slash != std::string::npos; slash = p.find('/', slash + 1)) {
        if (slash > 0 && p[slash - 1] == '/') continue;
        if (!MakeOne(p.substr(0, slash), error)) return false;
    }
    return MakeOne(p, error);
}

void SetSettingsPath() {
    program.settingsPath[0] = '\0';
    std::string folder = ChosenFolder();
    if (folder.empty()) {
        PrintError("Settings are not saved: none of APPDATA, XDG_CONFIG_HOME and HOME is set.");
        return;
    }
    uint32_t error = 0;
    bool fits = folder.size() + std::strlen(SETTINGS_FILE) < sizeof program.settingsPath;
    if (!fits) error = ENAMETOOLONG;
    if (fits && MakeFolders(folder.c_str(), error)) {
        SetPath(folder.c_str());
        return;
    }
    // Never beside the program: a program installed in /usr/bin must not
    // write there. The settings then hold for this run only.
    std::string line = "Could not create application data folder ";
    line.append(folder).append(", system return code ").append(SystemErrorText(error));
    PrintError(line);
}

}  // namespace pk
