// A system error number as the start-up messages give it: the number and
// the system's text for it in parentheses, "13 (Permission denied)"; 0 (no
// system error, such as a file that shrank while read) is the number alone.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace pk {

inline std::string SystemErrorText(uint32_t code) {
    std::string text = std::to_string(code);
    if (code != 0) text.append(" (").append(std::strerror(static_cast<int>(code))).append(")");
    return text;
}

}  // namespace pk
