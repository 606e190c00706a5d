// Standard input as one of the loaded files: "-" names it, and so does no
// file at all while data is piped in. It is read in the background as it
// arrives, into memory of pk's own; the screen comes up once a screenful has
// come, or soon in any case, and "-" finds it again while it stays loaded.
#pragma once

#include <cstdint>

#include "files/file_table.h"

namespace pk {

// The name of standard input's slot, which the title line shows.
constexpr const char* STANDARD_INPUT_TITLE = "(standard input)";

// Opens /dev/null on each of descriptors 0-2 that is closed, so that no
// descriptor pk opens later takes its place and is read or written as one of
// them; notes a closed standard input, which "-" then refuses. Once, first
// thing in the process.
void ReserveStandardDescriptors();
// Whether the typed name stands for standard input ("-").
bool NamesStandardInput(const char* typedName);
// Whether standard input carries data when no file is named: a pipe, FIFO,
// socket or regular file; not a terminal or a device such as /dev/null.
bool StandardInputHasData();
// Starts reading standard input into a free slot and makes it current; a
// slot that holds it already is made current instead. fullName (NAME_SIZE
// bytes) gets the title. LOAD_INPUT_IS_TERMINAL when it is a terminal,
// LOAD_INPUT_CLOSED when it was closed at start, LOAD_EMPTY when it ends at
// once with nothing, otherwise the results of a file.
LoadResult LoadStandardInput(char* fullName, uint32_t& systemError);
// Makes the slot that holds standard input current: LOAD_OK, or
// LOAD_NOT_FOUND when none does (never read, or closed since).
LoadResult FindStandardInput(char* fullName);
// Bytes a stream may fill: a quarter of the machine's memory.
uint64_t StreamLimit();
// Waits until a stream's entry has `lines` lines, its input ends, or
// timeoutMs passed, then takes up what it has. A file's entry does not wait:
// its count is far ahead of the screen by the time the screen is up.
void AwaitLines(FileEntry& entry, uint64_t lines, int timeoutMs);

}  // namespace pk
