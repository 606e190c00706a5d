// Forming full paths: the typed name is joined to the current directory when
// relative, then its components are folded lexically (symbolic links stay as
// named, and nothing is looked up).
#include "files/full_path.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <string_view>

namespace pk {

namespace {

// Appends the components of path to out[0, length), folding "." and "..".
// False when the result would not fit in outSize bytes with its NUL.
bool AppendComponents(std::string_view path, char* out, size_t outSize, size_t& length) {
    size_t i = 0;
    while (i < path.size()) {
        size_t end = path.find('/', i);
        if (end == std::string_view::npos) end = path.size();
        std::string_view part = path.substr(i, end - i);
        i = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            while (length > 0 && out[length - 1] != '/') --length;
            if (length > 0) --length;  // the "/" before the dropped component
            continue;
        }
        if (length + 1 + part.size() + 1 > outSize) return false;
        out[length++] = '/';
        std::memcpy(out + length, part.data(), part.size());
        length += part.size();
    }
    return true;
}

}  // namespace

size_t FormFullPath(const char* typed, const char* cwd, int cwdError, char* out, size_t outSize,
                    uint32_t& error) {
    size_t typedLength = strnlen(typed, outSize);
    if (typedLength == 0) {
        error = ENOENT;
        return 0;
    }
    if (typedLength >= outSize || outSize < 2) {
        error = ENAMETOOLONG;
        return 0;
    }
    size_t length = 0;
    if (typed[0] != '/') {
        if (cwd == nullptr) {
            error = static_cast<uint32_t>(cwdError);
            return 0;
        }
        if (!AppendComponents(cwd, out, outSize, length)) {
            error = ENAMETOOLONG;
            return 0;
        }
    }
    if (!AppendComponents(std::string_view(typed, typedLength), out, outSize, length)) {
        error = ENAMETOOLONG;
        return 0;
    }
    if (length == 0) out[length++] = '/';
    out[length] = '\0';
    return length;
}

size_t FullPathName(const char* typed, char* out, size_t outSize, uint32_t& error) {
    char cwd[PATH_MAX];
    const char* dir = getcwd(cwd, sizeof cwd);
    return FormFullPath(typed, dir, dir == nullptr ? errno : 0, out, outSize, error);
}

}  // namespace pk
