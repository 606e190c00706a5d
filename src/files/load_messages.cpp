// The two wordings of every load result: the long line printed at start-up
// and the short text (at most 21 characters) for the message field.
#include <cstdio>

#include "files/file_table.h"

namespace pk {

namespace {

// Which values a text takes, in its own order.
enum Arguments { NONE, ERROR, TYPED, FULL, ERROR_TYPED, ERROR_FULL, TYPED_ERROR };

struct LoadMessage {
    LoadResult result;
    const char* longText;
    Arguments longArguments;
    const char* shortText;
    Arguments shortArguments;
};

constexpr LoadMessage MESSAGES[] = {
    {LOAD_PATH_ERROR, "GetFullPathName error, rc = %u, file = %s.", ERROR_TYPED, "Path error %u", ERROR},
    {LOAD_IS_FOLDER, "%s is a path.", FULL, "No filename", NONE},
    {LOAD_EMPTY, "File %s is empty.", FULL, "File is empty", NONE},
    {LOAD_PATH_NOT_FOUND, "Path %s not found.", FULL, "Path not found", NONE},
    {LOAD_NOT_FOUND, "File %s not found.", FULL, "File not found.", NONE},
    {LOAD_SEARCH_ERROR, "FindFirstFile error, rc = %u, file %s.", ERROR_FULL, "FindFirstFile rc %u", ERROR},
    {LOAD_SEARCH_NEXT_ERROR, "FindNextFile error, rc = %u, file %s.", ERROR_FULL, "FindNextFile rc %u", ERROR},
    {LOAD_NO_MEMORY, "Memory allocation error, system return code %u", ERROR, "Insufficient memory", NONE},
    {LOAD_OPEN_ERROR, "Error opening %s, rc = %u", TYPED_ERROR, "File open error", NONE},
    {LOAD_READ_ERROR, "Error reading %s, rc = %u", TYPED_ERROR, "File read error", NONE},
    {LOAD_TABLE_FULL, "Cannot load file, file table full.", NONE, "File table full", NONE},
    {LOAD_TOO_LARGE, "Sorry, file is too large for pk to load.", NONE, "File too large", NONE},
};

constexpr const char* SHARING_VIOLATION_TEXT = "Error opening %s, sharing violation";

const LoadMessage* MessageOf(LoadResult result) {
    for (const LoadMessage& m : MESSAGES) {
        if (m.result == result) return &m;
    }
    return nullptr;
}

void Format(char* out, int outSize, const char* text, Arguments arguments, const char* typed, const char* full,
            uint32_t error) {
    switch (arguments) {
        case NONE: std::snprintf(out, outSize, "%s", text); break;
        case ERROR: std::snprintf(out, outSize, text, error); break;
        case TYPED: std::snprintf(out, outSize, text, typed); break;
        case FULL: std::snprintf(out, outSize, text, full); break;
        case ERROR_TYPED: std::snprintf(out, outSize, text, error, typed); break;
        case ERROR_FULL: std::snprintf(out, outSize, text, error, full); break;
        case TYPED_ERROR: std::snprintf(out, outSize, text, typed, error); break;
    }
}

}  // namespace

void LongLoadMessage(char* out, int outSize, LoadResult result, const char* typedName, const char* fullName,
                     uint32_t systemError) {
    if (outSize <= 0) return;
    out[0] = '\0';
    if (result == LOAD_OPEN_ERROR && systemError == ERROR_SHARING_VIOLATION) {
        Format(out, outSize, SHARING_VIOLATION_TEXT, TYPED, typedName, fullName, systemError);
        return;
    }
    const LoadMessage* m = MessageOf(result);
    if (m != nullptr) Format(out, outSize, m->longText, m->longArguments, typedName, fullName, systemError);
}

void ShortLoadMessage(char* out, int outSize, LoadResult result, uint32_t systemError) {
    if (outSize <= 0) return;
    out[0] = '\0';
    const LoadMessage* m = MessageOf(result);
    if (m != nullptr) Format(out, outSize, m->shortText, m->shortArguments, "", "", systemError);
}

}  // namespace pk
