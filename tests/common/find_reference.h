// The reference search of a file, comparing at every position: in text
// view line by line from start's line and column, never into a line's end;
// in hex view at every offset from start's. With fold, the ASCII letters
// compare equal to each other. Sets found on a hit.
#pragma once

#include <algorithm>
#include <string_view>

#include "files/file_table.h"
#include "line_reference.h"
#include "panel/ascii.h"

namespace pktest {

inline bool SameBytes(const uint8_t* a, std::string_view s, bool fold) {
    for (size_t i = 0; i < s.size(); ++i)
        if (fold ? pk::AsciiLower(a[i]) != pk::AsciiLower(uint8_t(s[i])) : a[i] != uint8_t(s[i])) return false;
    return true;
}

inline bool ReferenceFind(const pk::FileEntry& e, std::string_view s, bool hex, bool fold, pk::FilePosition start,
                          pk::FilePosition& found) {
    if (hex) {
        for (uint64_t o = start.offset; o + s.size() <= e.size; ++o)
            if (SameBytes(e.data + o, s, fold)) return found.offset = uint32_t(o), true;
        return false;
    }
    std::vector<RefLine> lines = RefLines(std::string_view(reinterpret_cast<const char*>(e.data), e.size));
    for (uint64_t line = start.line; line >= 1 && line <= lines.size(); ++line) {
        const RefLine& l = lines[line - 1];
        for (int64_t p = line == start.line ? std::max<int64_t>(start.column, 1) : 1; p + int64_t(s.size()) - 1 <= int64_t(l.length); ++p)
            if (SameBytes(e.data + l.start + p - 1, s, fold)) return found.line = uint32_t(line), found.column = uint32_t(p), true;
    }
    return false;
}

}  // namespace pktest
