// The shell's builtins and keywords, and the test whether the shell
// answers to a command text's first word (see shell_names.h).
#include "files/shell_names.h"

#include <algorithm>
#include <string>

#include "panel/process.h"

namespace pk {

namespace {

// The builtins and reserved words of POSIX sh, dash and bash.
constexpr std::string_view SHELL_WORDS[] = {
    "!", ".", ":", "[", "[[", "]]", "{", "}", "alias", "bg", "bind", "break", "builtin", "caller", "case", "cd",
    "command", "compgen", "complete", "compopt", "continue", "coproc", "declare", "dirs", "disown", "do", "done",
    "echo", "elif", "else", "enable", "esac", "eval", "exec", "exit", "export", "false", "fc", "fg", "fi", "for",
    "function", "getopts", "hash", "help", "history", "if", "in", "jobs", "kill", "let", "local", "logout",
    "mapfile", "popd", "printf", "pushd", "pwd", "read", "readarray", "readonly", "return", "select", "set",
    "shift", "shopt", "source", "suspend", "test", "then", "time", "times", "trap", "true", "type", "typeset",
    "ulimit", "umask", "unalias", "unset", "until", "wait", "while",
};

constexpr std::string_view NAME_ENDS = " \t|&;<>()";
constexpr std::string_view EXPANDED = "'\"$`\\~=*?[";

}  // namespace

bool ShellAnswersTo(std::string_view text) {
    std::string_view name = text.substr(0, std::min(text.find_first_of(NAME_ENDS), text.size()));
    if (name.empty() || name.find_first_of(EXPANDED) != std::string_view::npos) return true;
    if (std::find(std::begin(SHELL_WORDS), std::end(SHELL_WORDS), name) != std::end(SHELL_WORDS)) return true;
    std::string path;
    return FindProgram(name, path);
}

}  // namespace pk
