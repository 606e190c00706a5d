// The settings file: reading the find string (with its kind and direction),
// the tab setting and the choice between UTF-8 and bytes from the "[common]" section at start-up,
// and writing back at shutdown what this run changed. The write holds a lock
// on a file beside the settings file, reads it afresh and replaces it through
// a new file, so a failed write loses nothing and two runs ending at once
// lose neither's change. Only a regular file (or a missing one) is ever read
// or replaced, also through links.
#include "app/settings.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/profile.h"
#include "files/program_state.h"
#include "files/write_all.h"
#include "panel/utf8.h"

namespace pk {

namespace {

constexpr const char* SECTION = "common";
constexpr const char* KEY_FLEN = "flen";
constexpr const char* KEY_FIND = "find";
constexpr const char* KEY_FIND_TYPE = "ftype";  // 0 text, 1 hex bytes, 2 regular expression
constexpr const char* KEY_FIND_DIR = "fdir";    // 0 forward, 1 backward
constexpr const char* KEY_TABS = "tabs";
constexpr const char* KEY_UTF8 = "utf8";
constexpr const char* LOCK_SUFFIX = ".lock";
constexpr int LINK_HOPS = 40;  // as many links as the system follows

// The values as the settings file gave them at start-up; what differs from
// them at shutdown is what this run changed.
Settings stored;

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

// The file a write goes to: the path itself, or where its chain of links
// ends (a link relative to the folder that holds it). "" for a loop, a
// chain too long or a link that cannot be read.
std::string TargetOf(const std::string& path) {
    std::string at = path;
    for (int hop = 0; hop < LINK_HOPS; ++hop) {
        struct stat st;
        if (lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
        char link[PATH_MAX];
        ssize_t n = readlink(at.c_str(), link, sizeof link);
        if (n <= 0 || static_cast<size_t>(n) >= sizeof link) return std::string();
        std::string next(link, static_cast<size_t>(n));
        size_t slash = at.rfind('/');
        if (next.front() != '/' && slash != std::string::npos) next = at.substr(0, slash + 1) + next;
        at = next;
    }
    return std::string();
}

// A write may replace a regular file or create a missing one; a folder, a
// device, a FIFO or a socket there stays untouched.
bool Replaceable(const std::string& target) {
    struct stat st;
    if (lstat(target.c_str(), &st) == 0) return S_ISREG(st.st_mode);
    return errno == ENOENT;
}

// An exclusive lock on the lock file beside target, held until the returned
// descriptor is closed; -1 when it cannot be had.
int LockBeside(const std::string& target) {
    std::string path = target + LOCK_SUFFIX;
    int fd = open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) return -1;
    struct stat st;
    int rc = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? 0 : -1;
    while (rc == 0 && flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) rc = -1;
    }
    if (rc == 0) return fd;
    close(fd);
    return -1;
}

// Writes text to a new file beside path, flushed to disk, then renames it
// over path. The old file stays whole unless the rename succeeds. Under a
// file-size limit the write fails instead of the signal ending pk.
bool ReplaceFile(const std::string& path, const std::string& text) {
    std::string temp = path;
    temp.append(".XXXXXX");
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
    struct sigaction ignore = {}, saved = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGXFSZ, &ignore, &saved);
    bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, text) && fsync(fd) == 0;
    sigaction(SIGXFSZ, &saved, nullptr);
    ok = close(fd) == 0 && ok;
    if (ok && rename(temp.c_str(), path.c_str()) == 0) return true;
    unlink(temp.c_str());
    return false;
}

bool FindChanged() {
    return settings.findLength != 0 &&
           (settings.findLength != stored.findLength || settings.findKind != stored.findKind ||
            settings.findBackward != stored.findBackward ||
            std::memcmp(settings.findString, stored.findString, FIND_MAX) != 0);
}

// A switch (0 or 1) as this run set it, else as text holds it now (any
// non-zero value written as 1; fallback when text has none).
std::string WithSwitch(const std::string& text, const char* key, uint32_t now, uint32_t atStart, uint32_t fallback) {
    if (now == atStart) now = ProfileInt(ProfileGet(text, SECTION, key), fallback) != 0 ? 1 : 0;
    return ProfileSet(text, SECTION, key, std::to_string(now));
}

// text with this run's changes: the find string when this run set another,
// the tab setting and the UTF-8 choice as this run switched them, else as
// text holds them now (the UTF-8 choice this run started with when text has
// none).
std::string WithChanges(std::string text) {
    if (FindChanged()) {
        uint16_t length = settings.findLength > FIND_MAX ? FIND_MAX : settings.findLength;
        text = ProfileSet(text, SECTION, KEY_FLEN, std::to_string(length));
        text = ProfileSet(text, SECTION, KEY_FIND,
                          ProfileEncodeStruct(std::span<const uint8_t>(settings.findString, length)));
        text = ProfileSet(text, SECTION, KEY_FIND_TYPE, std::to_string(settings.findKind));
        text = ProfileSet(text, SECTION, KEY_FIND_DIR, std::to_string(settings.findBackward));
    }
    text = WithSwitch(text, KEY_TABS, settings.tabsOn, stored.tabsOn, 0);
    return WithSwitch(text, KEY_UTF8, settings.utf8On, stored.utf8On, stored.utf8On);
}

}  // namespace

void ResetStoredSettings() { stored = Settings{}; }

void ReadSettings() {
    std::string text = ReadText(program.settingsPath);
    uint32_t flen = ProfileInt(ProfileGet(text, SECTION, KEY_FLEN), 0) & 0xFFFF;
    // A length beyond the find string's room counts as no find string.
    settings.findLength = flen > FIND_MAX ? 0 : static_cast<uint16_t>(flen);
    std::memset(settings.findString, 0, sizeof settings.findString);
    if (settings.findLength != 0) {
        // A find value that is missing or refused (bad digits, length or
        // checksum) leaves no find string, never a run of zero bytes.
        std::optional<std::string> find = ProfileGet(text, SECTION, KEY_FIND);
        if (!find || !ProfileDecodeStruct(*find, std::span<uint8_t>(settings.findString, settings.findLength))) {
            std::memset(settings.findString, 0, sizeof settings.findString);
            settings.findLength = 0;
        }
    }
    // Without the two keys (or with a kind pk does not know) the string is
    // plain text searched forward.
    uint32_t kind = ProfileInt(ProfileGet(text, SECTION, KEY_FIND_TYPE), FIND_KIND_TEXT);
    settings.findKind = kind <= FIND_KIND_PATTERN ? kind : FIND_KIND_TEXT;
    settings.findBackward = ProfileInt(ProfileGet(text, SECTION, KEY_FIND_DIR), 0) != 0 ? 1 : 0;
    settings.tabsOn = ProfileInt(ProfileGet(text, SECTION, KEY_TABS), 0) != 0 ? 1 : 0;
    // Without a stored choice, UTF-8 when pk's locale (the terminal's, or
    // C.UTF-8 when none is set) uses it.
    settings.utf8On = ProfileInt(ProfileGet(text, SECTION, KEY_UTF8), LocaleIsUtf8() ? 1 : 0) != 0 ? 1 : 0;
    stored = settings;
}

int WriteSettings() {
    if (program.settingsPath[0] == '\0') return 0;
    std::string target = TargetOf(program.settingsPath);
    if (target.empty() || !Replaceable(target)) return 0;
    int lock = LockBeside(target);
    if (lock < 0) return 0;
    bool ok = Replaceable(target) && ReplaceFile(target, WithChanges(ReadText(target.c_str())));
    close(lock);
    return ok ? 1 : 0;
}

}  // namespace pk
