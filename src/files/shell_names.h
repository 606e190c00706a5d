// Whether the user's shell answers to a command text's first word: a
// builtin or keyword of the shells pk starts (POSIX sh, dash, bash), or an
// executable file found as the shell finds it. Asked before a typed word
// that names no command of pk's is handed to the shell, so that a slip of
// the keys opens no window.
#pragma once

#include <string_view>

namespace pk {

// The command name is the text up to the first blank or shell operator
// (| & ; < > ( )). True when it is a builtin or keyword, an executable
// (with a slash: that path; else on PATH), or when only the shell can tell:
// no name at all (the text starts with an operator) or a name the shell
// expands first (quotes, $, `, \, ~, =, * ? [).
bool ShellAnswersTo(std::string_view text);

}  // namespace pk
