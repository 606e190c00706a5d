// The two wordings of every load result: the long line printed at start-up
// (a system error number followed by the system's text for it) and the short
// text (at most 21 characters) for the message field.
#include <cstdio>
#include <string>

#include "files/file_table.h"
#include "files/system_error.h"

namespace pk {

namespace {

// Which values a text takes, in its own order.
// NUMBER: the error number as a plain number in both texts.
enum Arguments { NONE, ERROR, TYPED, FULL, ERROR_TYPED, ERROR_FULL, TYPED_ERROR, NUMBER };

struct LoadMessage {
    LoadResult result;
    const char* longText;
    Arguments longArguments;
    const char* shortText;
    Arguments shortArguments;
};

// The error number is put in as text: the number alone in a short message,
// with the system's text in a long one.
constexpr LoadMessage MESSAGES[] = {
    {LOAD_PATH_ERROR, "Cannot resolve path, rc = %s, file = %s.", ERROR_TYPED, "Path error %s", ERROR},
    {LOAD_IS_FOLDER, "%s is a folder.", FULL, "No filename", NONE},
    {LOAD_EMPTY, "File %s is empty.", FULL, "File is empty", NONE},
    {LOAD_PATH_NOT_FOUND, "Path %s not found.", FULL, "Path not found", NONE},
    {LOAD_NOT_FOUND, "File %s not found.", FULL, "File not found.", NONE},
    {LOAD_SEARCH_ERROR, "Cannot list folder, rc = %s, file %s.", ERROR_FULL, "List error %s", ERROR},
    {LOAD_SEARCH_NEXT_ERROR, "Cannot read folder, rc = %s, file %s.", ERROR_FULL, "List error %s", ERROR},
    {LOAD_NO_MEMORY, "Memory allocation error, system return code %s", ERROR, "Insufficient memory", NONE},
    {LOAD_OPEN_ERROR, "Error opening %s, rc = %s", TYPED_ERROR, "File open error", NONE},
    {LOAD_READ_ERROR, "Error reading %s, rc = %s", TYPED_ERROR, "File read error", NONE},
    {LOAD_TABLE_FULL, "Cannot load file, file table full.", NONE, "File table full", NONE},
    {LOAD_TOO_LARGE, "Sorry, file is too large for pk to load.", NONE, "File too large", NONE},
    {LOAD_INPUT_IS_TERMINAL, "Standard input is a terminal: pipe data to pk (command | pk) or name a file.", NONE,
     "Input is a terminal", NONE},
    {LOAD_INPUT_CLOSED, "Standard input is closed: pipe data to pk (command | pk) or name a file.", NONE,
     "Input is closed", NONE},
    {LOAD_CORRUPT, "Data corrupt after byte %s", NUMBER, "Data corrupt after byte %s", NUMBER},
};

constexpr const char* SHARING_VIOLATION_TEXT = "Error opening %s, sharing violation";

const LoadMessage* MessageOf(LoadResult result) {
    if (result == LOAD_TABLE_FILLED) result = LOAD_TABLE_FULL;  // the same words
    for (const LoadMessage& m : MESSAGES) {
        if (m.result == result) return &m;
    }
    return nullptr;
}

void Format(char* out, int outSize, const char* text, Arguments arguments, const char* typed, const char* full,
            const char* error) {
    switch (arguments) {
        case NONE: std::snprintf(out, outSize, "%s", text); break;
        case ERROR:
        case NUMBER: std::snprintf(out, outSize, text, error); break;
        case TYPED: std::snprintf(out, outSize, text, typed); break;
        case FULL: std::snprintf(out, outSize, text, full); break;
        case ERROR_TYPED: std::snprintf(out, outSize, text, error, typed); break;
        case ERROR_FULL: std::snprintf(out, outSize, text, error, full); break;
        case TYPED_ERROR: std::snprintf(out, outSize, text, typed, error); break;
    }
}

}  // namespace

void LongLoadMessage(char* out, int outSize, LoadResult result, const char* typedName, const char* fullName,
                     uint64_t systemError) {
    if (outSize <= 0) return;
    out[0] = '\0';
    if (result == LOAD_OPEN_ERROR && systemError == ERROR_SHARING_VIOLATION) {
        Format(out, outSize, SHARING_VIOLATION_TEXT, TYPED, typedName, fullName, "");
        return;
    }
    const LoadMessage* m = MessageOf(result);
    std::string error = m != nullptr && m->longArguments == NUMBER ? std::to_string(systemError)
                                                                   : SystemErrorText(uint32_t(systemError));
    if (m != nullptr) Format(out, outSize, m->longText, m->longArguments, typedName, fullName, error.c_str());
}

void ShortLoadMessage(char* out, int outSize, LoadResult result, uint64_t systemError) {
    if (outSize <= 0) return;
    out[0] = '\0';
    const LoadMessage* m = MessageOf(result);
    std::string error = std::to_string(systemError);
    if (m != nullptr) Format(out, outSize, m->shortText, m->shortArguments, "", "", error.c_str());
}

}  // namespace pk
