// Escaping control bytes in the lines printed outside the screen.
#include "app/startup_output.h"

#include <cstdint>
#include <cstdio>

#include "panel/utf8.h"

namespace pk {

namespace {

bool IsControl(uint8_t b) { return b < 0x20 || b == 0x7F || (b >= 0x80 && b <= 0x9F); }

}  // namespace

std::string EscapeControls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        // A well-formed character of two to four bytes is written as it is
        // (a C1 control written as UTF-8 too).
        const uint8_t* at = reinterpret_cast<const uint8_t*>(text.data() + i);
        size_t length = DecodeUtf8(at, uint32_t(text.size() - i)).length;
        if (length > 1) {
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
