// The lines pk prints on standard output outside its screen (the usage, the
// reasons a start failed): control bytes in them are written escaped, so a
// file name cannot steer the terminal.
#pragma once

#include <string>
#include <string_view>

namespace pk {

// text with every control byte (0x00-0x1F, 0x7F, and 0x80-0x9F outside a
// well-formed UTF-8 sequence) written as a backslash and three octal digits;
// every other byte as it is.
std::string EscapeControls(std::string_view text);
// text escaped and a line feed, on standard output at once.
void PrintLine(std::string_view text);

}  // namespace pk
