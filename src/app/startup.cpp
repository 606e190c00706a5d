// Start-up's first phase: the settings path, the command line (help options,
// --help, --version) and loading every argument, with each failure reported
// as one line on standard output (control bytes of names escaped).
#include <cstring>

#include "app/settings_path.h"
#include "app/startup.h"
#include "app/startup_output.h"
#include "files/file_table.h"
#include "files/program_state.h"

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
    "        pk  [d:][path]filename[.ext]",
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

int StartUpFirstPhase(int argc, char** argv) {
    SetSettingsPath();
    if (argc < 2) {
        PrintLine("");
        PrintLine("Please include a filename on the command line.");
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
    static char fullName[NAME_SIZE];
    static char message[MESSAGE_BUFFER];
    for (int i = 1; i < argc; ++i) {
        uint32_t systemError = 0;
        LoadResult result = LoadFiles(argv[i], fullName, systemError);
        if (result != LOAD_OK) {
            LongLoadMessage(message, sizeof message, result, argv[i], fullName, systemError);
            PrintLine(message);
            return START_FAILED;
        }
    }
    return START_OK;
}

}  // namespace pk
