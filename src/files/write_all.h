// Writing a whole text to a descriptor: short writes go on from where they
// stopped, and a write that a signal cut short is made again.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <string_view>

namespace pk {

// True when every byte was written; false with the errno of the failure.
inline bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        ssize_t n = write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        text.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

}  // namespace pk
