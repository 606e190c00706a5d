// The lines pk prints outside its screen, the usage on standard output and
// the reasons a start failed on standard error: control bytes in them are
// written escaped, so a file name cannot steer the terminal.
#pragma once

#include <string>
#include <string_view>

namespace pk {

// text with every control byte (0x00-0x1F, 0x7F, and 0x80-0x9F outside a
// well-formed UTF-8 sequence) written as a backslash and three octal digits;
// every other byte as it is.
std::string EscapeControls(std::string_view text);
// text escaped and a line feed, at once: on standard output (usage, help,
// version) or on standard error (start-up errors).
void PrintLine(std::string_view text);
void PrintError(std::string_view text);

}  // namespace pk
