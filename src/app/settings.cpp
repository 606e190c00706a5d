// The settings file: reading the find string and the tab setting from the
// "[common]" section at start-up, and writing them back at shutdown through
// a new file that replaces the old one, so a failed write loses nothing.
#include "app/settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/profile.h"
#include "files/state.h"

namespace pk {

namespace {

constexpr const char* SECTION = "common";
constexpr const char* KEY_FLEN = "flen";
constexpr const char* KEY_FIND = "find";
constexpr const char* KEY_TABS = "tabs";

// The whole settings file, or "" when there is none. Anything but a regular
// file there (a FIFO would block, /dev/zero never ends) reads as none.
std::string ReadText(const char* path) {
    std::string text;
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return text;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return text;
    }
    char buffer[4096];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    return text;
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// The file a write replaces: the settings path, or what a link there names.
std::string TargetOf(const char* path) {
    char resolved[PATH_MAX];
    struct stat st;
    if (lstat(path, &st) == 0 && S_ISLNK(st.st_mode) && realpath(path, resolved) != nullptr) return resolved;
    return path;
}

// Writes text to a new file beside path, flushed to disk, then renames it
// over path. The old file stays whole unless the rename succeeds.
bool ReplaceFile(const std::string& path, const std::string& text) {
    std::string temp = path + ".XXXXXX";
    int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    struct stat old;
    mode_t mode = 0;
    if (stat(path.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, text) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (ok && rename(temp.c_str(), path.c_str()) == 0) return true;
    unlink(temp.c_str());
    return false;
}

}  // namespace

void ReadSettings() {
    std::string text = ReadText(program.settingsPath);
    uint32_t flen = ProfileInt(ProfileGet(text, SECTION, KEY_FLEN), 0) & 0xFFFF;
    // A length beyond the find string's room counts as no find string.
    settings.findLength = flen > FIND_MAX ? 0 : static_cast<uint16_t>(flen);
    std::memset(settings.findString, 0, sizeof settings.findString);
    if (settings.findLength != 0) {
        std::optional<std::string> find = ProfileGet(text, SECTION, KEY_FIND);
        if (find) ProfileDecodeStruct(*find, std::span<uint8_t>(settings.findString, settings.findLength));
    }
    settings.tabsOn = ProfileInt(ProfileGet(text, SECTION, KEY_TABS), 0) != 0 ? 1 : 0;
}

int WriteSettings() {
    if (program.settingsPath[0] == '\0') return 0;
    std::string path = TargetOf(program.settingsPath);
    std::string text = ReadText(path.c_str());
    if (settings.findLength != 0) {
        uint16_t length = settings.findLength > FIND_MAX ? FIND_MAX : settings.findLength;
        text = ProfileSet(text, SECTION, KEY_FLEN, std::to_string(length));
        text = ProfileSet(text, SECTION, KEY_FIND,
                          ProfileEncodeStruct(std::span<const uint8_t>(settings.findString, length)));
    }
    text = ProfileSet(text, SECTION, KEY_TABS, std::to_string(settings.tabsOn));
    return ReplaceFile(path, text) ? 1 : 0;
}

}  // namespace pk
