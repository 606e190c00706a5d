// Escaping control bytes in the lines printed outside the screen.
#include "app/startup_output.h"

#include <cstdint>
#include <cstdio>

namespace pk {

namespace {

// Length of the well-formed UTF-8 sequence that text starts with (no
// overlong form, no surrogate, nothing above U+10FFFF), or 0.
size_t Utf8Length(std::string_view text) {
    auto at = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    uint8_t lead = at(0);
    size_t length = 0;
    uint8_t low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    }
    if (length == 0 || text.size() < length || at(1) < low || at(1) > high) return 0;
    for (size_t i = 2; i < length; ++i) {
        if (at(i) < 0x80 || at(i) > 0xBF) return 0;
    }
    return length;
}

bool IsControl(uint8_t b) { return b < 0x20 || b == 0x7F || (b >= 0x80 && b <= 0x9F); }

}  // namespace

std::string EscapeControls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        size_t length = Utf8Length(text.substr(i));
        if (length != 0) {
            out.append(text.substr(i, length));
            i += length;
            continue;
        }
        uint8_t b = static_cast<uint8_t>(text[i++]);
        if (!IsControl(b)) {
            out.push_back(static_cast<char>(b));
            continue;
        }
        const char escaped[] = {'\\', char('0' + (b >> 6)), char('0' + ((b >> 3) & 7)), char('0' + (b & 7))};
        out.append(escaped, sizeof escaped);
    }
    return out;
}

namespace {

void WriteLine(std::string_view text, std::FILE* stream) {
    std::string line = EscapeControls(text);
    line.push_back('\n');
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fflush(stream);
}

}  // namespace

void PrintLine(std::string_view text) { WriteLine(text, stdout); }
void PrintError(std::string_view text) { WriteLine(text, stderr); }

}  // namespace pk
