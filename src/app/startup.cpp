// Start-up's first phase: the settings path, the command line (help options,
// --help, --version) and loading every argument ("-" and no argument with
// input piped in read standard input), with each failure reported as one line
// on standard error (control bytes of names escaped).
#include <cstring>

#include "app/settings_path.h"
#include "app/startup.h"
#include "app/startup_output.h"
#include "files/file_table.h"
#include "files/program_state.h"
#include "files/standard_input.h"

namespace pk {

namespace {

constexpr const char* HELP_OPTIONS[] = {"?", "/?", "-?", "/h", "-h", "/H", "-H", "--help"};

constexpr const char* VERSION_LINE = "Peekra Version 1.3.3.0";

constexpr const char* USAGE_TEXT[] = {
    " ",
    VERSION_LINE,
    "Written for viewing files whole, read-only, in a terminal.",
    " ",
    "Peekra is a program used to view disk files, in either text or",
    "hexadecimal format. Command syntax:",
    " ",
    "        pk  [--help] [--version] [-] file|pattern...",
    " ",
    "\"-\" reads standard input; so does no file name when input is piped in.",
    "",
};

// A message quotes at most a full path and a typed name.
constexpr int MESSAGE_BUFFER = 2 * NAME_SIZE + 128;

}  // namespace

int IsHelpOption(const char* text) {
    for (const char* option : HELP_OPTIONS) {
        if (std::strcmp(text, option) == 0) return 1;
    }
    return 0;
}

void ShowUsage() {
    for (const char* line : USAGE_TEXT) {
        if (line[0] == '\0') break;
        PrintLine(line);
    }
}

namespace {

// Loads one argument; a failure's long message goes to standard error.
// Ctrl+C while standard input is read fails without a message.
bool LoadArgument(const char* argument) {
    static char fullName[NAME_SIZE];
    static char message[MESSAGE_BUFFER];
    uint32_t systemError = 0;
    bool standardInput = NamesStandardInput(argument);
    LoadResult result = standardInput ? LoadStandardInput(fullName, systemError)
                                      : LoadFiles(argument, fullName, systemError);
    if (result == LOAD_OK) return true;
    if (result == LOAD_INTERRUPTED) return false;
    const char* typed = standardInput ? STANDARD_INPUT_TITLE : argument;
    LongLoadMessage(message, sizeof message, result, typed, fullName, systemError);
    PrintError(message);
    return false;
}

}  // namespace

int StartUpFirstPhase(int argc, char** argv) {
    SetSettingsPath();
    if (argc < 2) {
        if (StandardInputHasData()) return LoadArgument("-") ? START_OK : START_FAILED;
        PrintError("");
        PrintError("Please include a filename on the command line.");
        return START_FAILED;
    }
    if (IsHelpOption(argv[1])) {
        ShowUsage();
        return START_USAGE;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        PrintLine(VERSION_LINE);
        return START_USAGE;
    }
    for (int i = 1; i < argc; ++i) {
        if (!LoadArgument(argv[i])) return START_FAILED;
    }
    return START_OK;
}

}  // namespace pk
