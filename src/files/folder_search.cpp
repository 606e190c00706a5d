// Searching a folder for the names a full path's last component matches. A
// name without wildcards is looked up directly; a pattern lists the folder.
// Entries that cannot be looked at (dangling links) are left out.
#include "files/folder_search.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

namespace pk {

namespace {

FolderMatch MatchOf(std::string_view name, const struct stat& st) {
    FolderMatch m;
    m.name = std::string(name);
    m.folder = S_ISDIR(st.st_mode);
    m.regular = S_ISREG(st.st_mode);
    m.size = static_cast<uint64_t>(st.st_size);
    m.device = static_cast<uint64_t>(st.st_dev);
    m.inode = static_cast<uint64_t>(st.st_ino);
    return m;
}

std::string FolderOf(std::string_view fullPath) {
    std::string_view folder = FolderPart(fullPath);
    return folder.empty() ? std::string("/") : std::string(folder);
}

bool IsFolder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

SearchResult LookUpDirectly(const char* fullPath, std::vector<FolderMatch>& matches, uint32_t& error) {
    struct stat st;
    if (stat(fullPath, &st) == 0) {
        std::string_view path(fullPath);
        std::string_view name = path.substr(FolderPart(path).size());
        if (!name.empty() && name.front() == '/') name.remove_prefix(1);
        matches.push_back(MatchOf(name, st));
        return SEARCH_OK;
    }
    int e = errno;
    if (e == ENOTDIR) return SEARCH_PATH_NOT_FOUND;
    if (e != ENOENT) {
        error = static_cast<uint32_t>(e);
        return SEARCH_FAILED;
    }
    // Missing: a dangling link or a missing name in an existing folder is
    // "file not found"; a missing folder is "path not found".
    return IsFolder(FolderOf(fullPath)) ? SEARCH_FILE_NOT_FOUND : SEARCH_PATH_NOT_FOUND;
}

SearchResult ListFolder(const char* fullPath, std::vector<FolderMatch>& matches, uint32_t& error) {
    std::string folder = FolderOf(fullPath);
    std::string_view path(fullPath);
    std::string_view pattern = path.substr(path.rfind('/') + 1);
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        int e = errno;
        if (e == ENOENT || e == ENOTDIR) return SEARCH_PATH_NOT_FOUND;
        error = static_cast<uint32_t>(e);
        return SEARCH_FAILED;
    }
    int fd = dirfd(dir);
    // A failing listing only ends the search, with what it found so far.
    while (const dirent* entry = readdir(dir)) {
        std::string_view name(entry->d_name);
        if (name == "." || name == ".." || !WildcardMatch(pattern, name)) continue;
        struct stat st;
        if (fstatat(fd, entry->d_name, &st, 0) != 0) continue;
        matches.push_back(MatchOf(name, st));
    }
    closedir(dir);
    std::sort(matches.begin(), matches.end(),
              [](const FolderMatch& a, const FolderMatch& b) { return a.name < b.name; });
    return matches.empty() ? SEARCH_FILE_NOT_FOUND : SEARCH_OK;
}

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name) {
    size_t p = 0, n = 0;
    size_t star = std::string_view::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (star != std::string_view::npos) {
            // Let the last star take one more byte and try again.
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool HasWildcards(std::string_view name) { return name.find_first_of("*?") != std::string_view::npos; }

std::string_view FolderPart(std::string_view fullPath) {
    size_t slash = fullPath.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : fullPath.substr(0, slash);
}

SearchResult SearchFolder(const char* fullPath, std::vector<FolderMatch>& matches, uint32_t& error) {
    matches.clear();
    std::string_view path(fullPath);
    std::string_view last = path.substr(path.rfind('/') + 1);
    if (!HasWildcards(last)) return LookUpDirectly(fullPath, matches, error);
    return ListFolder(fullPath, matches, error);
}

}  // namespace pk
