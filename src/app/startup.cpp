// Start-up's first phase: the settings path, the command line (help options,
// --help, --version, "--", unknown options refused) and loading every name
// ("-" and no name with input piped in read standard input), with each
// failure reported as one line on standard error (control bytes of names
// escaped). Among several names, unloadable ones are passed over.
#include <algorithm>
#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "app/copy_out.h"
#include "app/settings_path.h"
#include "app/startup.h"
#include "app/startup_output.h"
#include "display/display_state.h"
#include "files/file_table.h"
#include "files/program_state.h"
#include "files/standard_input.h"

namespace pk {

namespace {

constexpr const char* HELP_OPTIONS[] = {"?", "/?", "-?", "/h", "-h", "/H", "-H", "--help"};

constexpr const char* VERSION_LINE = "Peekra Version " PK_VERSION;
constexpr const char* USAGE_LINE = "        pk  [--help] [--version] [--] [-] file|pattern...";

constexpr const char* USAGE_TEXT[] = {
    " ",
    VERSION_LINE,
    "Written for viewing files whole, read-only, in a terminal.",
    " ",
    "Peekra is a program used to view disk files, in either text or",
    "hexadecimal format. Command syntax:",
    " ",
    USAGE_LINE,
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
LoadResult LoadArgument(const char* argument) {
    static char fullName[NAME_SIZE];
    static char message[MESSAGE_BUFFER];
    uint32_t systemError = 0;
    bool standardInput = NamesStandardInput(argument);
    LoadResult result = standardInput ? LoadStandardInput(fullName, systemError)
                                      : LoadFiles(argument, fullName, systemError);
    if (result == LOAD_OK) return result;
    const char* typed = standardInput ? STANDARD_INPUT_TITLE : argument;
    LongLoadMessage(message, sizeof message, result, typed, fullName, systemError);
    PrintError(message);
    return result;
}

// Among several names (most often a pattern the shell expanded), a name
// that loads nothing for one of these reasons is passed over, as a
// pattern's folders and empty files are; a name that does not exist still
// ends start-up, since it is most likely mistyped.
bool PassedOver(LoadResult result) {
    constexpr LoadResult over[] = {LOAD_IS_FOLDER, LOAD_EMPTY,      LOAD_OPEN_ERROR,
                                   LOAD_READ_ERROR, LOAD_TOO_LARGE, LOAD_SEARCH_ERROR};
    return std::find(std::begin(over), std::end(over), result) != std::end(over);
}

// Slots that hold a file, one bit each.
uint32_t LoadedSlots() {
    uint32_t slots = 0;
    for (int i = 0; i < FILE_SLOTS; ++i)
        if (fileTable[i].data != nullptr) slots |= uint32_t(1) << i;
    return slots;
}

// The names after the options. "--" ends the options; before it a help
// option or --version shows its text, and any other word that starts with
// "-" (but "-" itself) is refused. "?", "/?", "/h" and "/H" are help only
// as the first argument.
int ReadOptions(int argc, char** argv, std::vector<const char*>& names) {
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const char* word = argv[i];
        bool dashed = options && word[0] == '-' && word[1] != '\0';
        if (dashed && std::strcmp(word, "--") == 0) {
            options = false;
        } else if ((dashed || (options && i == 1)) && IsHelpOption(word)) {
            ShowUsage();
            return START_USAGE;
        } else if (dashed && std::strcmp(word, "--version") == 0) {
            PrintLine(VERSION_LINE);
            return START_USAGE;
        } else if (dashed) {
            PrintError(std::string("pk: unknown option ") + word);
            PrintError(USAGE_LINE);
            return START_FAILED;
        } else {
            names.push_back(word);
        }
    }
    return START_OK;
}

// Loads every name. Without a terminal (copy) standard input is not read
// here: its place among the files goes into copy, as does each slot a name
// loaded, in order. The table filling up ends the loading; the screen then
// starts with "File table full".
int LoadNames(const std::vector<const char*>& names, std::vector<int>* copy) {
    bool several = names.size() > 1;
    for (const char* name : names) {
        if (copy != nullptr && NamesStandardInput(name)) {
            LoadResult result = StandardInputForCopy(*copy);
            if (result == LOAD_OK || (several && PassedOver(result))) continue;
            return START_FAILED;
        }
        uint32_t before = LoadedSlots();
        LoadResult result = LoadArgument(name);
        for (uint32_t added = LoadedSlots() & ~before; copy != nullptr && added != 0; added &= added - 1)
            copy->push_back(std::countr_zero(added));
        if (result == LOAD_TABLE_FULL || result == LOAD_TABLE_FILLED) {
            SetMessage("File table full");
            break;
        }
        if (result != LOAD_OK && !(several && PassedOver(result))) {
            return START_FAILED;
        }
    }
    bool loaded = LoadedSlots() != 0 || (copy != nullptr && !copy->empty());
    return loaded ? START_OK : START_FAILED;
}

}  // namespace

int StartUpFirstPhase(int argc, char** argv, std::vector<int>* copy) {
    SetSettingsPath();
    std::vector<const char*> names;
    int options = ReadOptions(argc, argv, names);
    if (options != START_OK) return options;
    if (names.empty()) {
        if (!StandardInputHasData()) {
            PrintError("");
            PrintError("Please include a filename on the command line.");
            return START_FAILED;
        }
        names.push_back("-");
    }
    return LoadNames(names, copy);
}

}  // namespace pk
