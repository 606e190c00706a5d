// The file table: 16 slots, each holding one loaded file whole in memory with
// its line counts, its view positions and its find state; loading by name or
// wildcard, switching to the next loaded file and closing the current one.
#pragma once

#include <cstdint>
#include <vector>

#include "files/program_state.h"
#include "text/line_model.h"
#include "text/line_scan.h"

namespace pk {

constexpr int FILE_SLOTS = 16;
constexpr uint32_t MAX_FILE_SIZE = 2147483647;

// Text view: line and column (1-based); hex view: offset (0-based).
struct FilePosition {
    uint32_t line = 0;
    uint32_t column = 0;
    uint32_t offset = 0;
};

constexpr uint16_t FOUND_SHOWN = 0x0002;
constexpr uint16_t FIND_FAILED = 0x0004;

struct FileEntry {
    uint8_t* data = nullptr;  // none = free slot
    uint32_t size = 0;
    uint32_t longestRaw = 0;
    uint32_t longestExpanded = 0;
    uint32_t widestCellsRaw = 0;       // the widest line shown as UTF-8, in cells
    uint32_t widestCellsExpanded = 0;
    uint32_t lineCount = 0;
    std::vector<uint32_t> lineIndex;  // line feeds before every LINE_INDEX_STEP-th byte
    LineCache cache;
    FilePosition view;
    FilePosition findStart;
    FilePosition found;
    uint16_t findFlags = 0;
    char name[NAME_SIZE] = {};
    uint64_t device = 0;  // the file's identity, to notice it under another name
    uint64_t inode = 0;

    Bytes bytes() const { return Bytes(data, size); }
    TextLines lines() const { return TextLines{bytes(), lineCount, lineIndex}; }
};

extern FileEntry fileTable[FILE_SLOTS];

// Every slot free, without releasing anything (start of a run).
void ResetFileTable();
// The current entry (program.currentEntry).
FileEntry& CurrentEntry();
// Width of the entry's widest line as the text view shows it (tabs expanded
// or not): in bytes, or in cells when cells (text shown as UTF-8).
uint32_t WidestLine(const FileEntry& entry, bool cells);

enum LoadResult : int {
    LOAD_OK = 0,
    LOAD_PATH_ERROR = 1,
    LOAD_IS_FOLDER = 2,         // a name without wildcards names a folder
    LOAD_EMPTY = 3,
    LOAD_PATH_NOT_FOUND = 4,
    LOAD_NOT_FOUND = 5,
    LOAD_SEARCH_ERROR = 6,
    LOAD_SEARCH_NEXT_ERROR = 7, // message only: a failing listing just ends
    LOAD_NO_MEMORY = 8,
    LOAD_OPEN_ERROR = 9,
    LOAD_READ_ERROR = 10,
    LOAD_TABLE_FULL = 11,
    LOAD_TOO_LARGE = 12,
    LOAD_INTERRUPTED = 13,        // Ctrl+C while standard input was read: no message
    LOAD_INPUT_IS_TERMINAL = 14,  // "-" with standard input a terminal
    LOAD_TABLE_FILLED = 15,       // files loaded, then the table filled with matches left over
};

constexpr int ERROR_SHARING_VIOLATION = 32;

// Loads every file the typed name (wildcards * and ?) matches. fullName
// (NAME_SIZE bytes) receives the full path; systemError the error code for
// the results that keep one. FIFOs, devices and sockets are never opened for
// reading: they give LOAD_OPEN_ERROR with ENODEV ("Error opening %s, rc = 19").
// "-" only finds standard input's slot (standard_input.h). LOAD_TABLE_FILLED
// when it loaded files but the table filled before every match was loaded.
LoadResult LoadFiles(const char* typedName, char* fullName, uint32_t& systemError);
// Reads the slot's file (name and size already set) whole and measures its
// lines: LOAD_OK, LOAD_NO_MEMORY, LOAD_OPEN_ERROR (error 32 when another
// program holds an exclusive lock) or LOAD_READ_ERROR (code 0: file shorter).
// A size of 0 (a /proc file) reads to the end and sets size; nothing there
// gives LOAD_EMPTY, more than 64 MiB LOAD_TOO_LARGE.
LoadResult ReadFileData(int slot, uint32_t& systemError);
// Makes entry a newly loaded file: block (size bytes, from
// AllocateFileBlock) with its measure and line index, every position at the
// top. The name and the file's identity are the caller's.
void StoreLoaded(FileEntry& entry, uint8_t* block, uint32_t size, const ScanResult& scan,
                 std::vector<uint32_t>& index);
int FindFreeEntry();                          // -1 for none
// A loaded slot holding this path, or the same file (device and inode) under
// another name; -1 for none.
int FindLoadedFile(const char* fullPath, uint64_t device, uint64_t inode);
int NextLoadedEntry();                        // 1 switched, 0 none other
int CloseCurrentEntry();                      // 1 closed, 0 it is the only one
// Release every loaded slot (shutdown).
void ReleaseAllEntries();

// The long message (start-up, standard error) and the short one (message
// field, at most 21 characters) of a load result, formatted into out.
void LongLoadMessage(char* out, int outSize, LoadResult result, const char* typedName,
                     const char* fullName, uint32_t systemError);
void ShortLoadMessage(char* out, int outSize, LoadResult result, uint32_t systemError);

}  // namespace pk
