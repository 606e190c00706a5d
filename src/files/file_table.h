// The file table: 16 slots, each holding one loaded file (its bytes where
// they lie, or a stream's in memory of pk's own, through its feed) with what
// is known of its lines, its view positions and its find state; loading by
// name or wildcard, switching to the next loaded file and closing the
// current one.
#pragma once

#include <cstdint>
#include <vector>

#include "files/file_feed.h"
#include "files/program_state.h"
#include "text/line_model.h"
#include "text/line_scan.h"

namespace pk {

constexpr int FILE_SLOTS = 16;

// Text view: line and column (1-based); hex view: offset (0-based).
struct FilePosition {
    uint64_t line = 0;
    uint64_t column = 0;
    uint64_t offset = 0;
};

constexpr uint16_t FOUND_SHOWN = 0x0002;
constexpr uint16_t FIND_FAILED = 0x0004;

// What a compressed file's slot keeps of the side it does not show (its
// decompressed bytes, or its raw ones): the feed and where the view was.
struct FileSide {
    Feed* feed = nullptr;
    FilePosition view{1, 1, 0};
    LineCache cache;
    FilePosition findStart{1, 1, 0};
    FilePosition found;
    uint16_t findFlags = 0;
};

// A slot's bytes and measure are a copy of its feed's view (RefreshEntry),
// taken between key events so that one event sees one state of the file.
struct FileEntry {
    const uint8_t* data = nullptr;  // none = free slot
    uint64_t size = 0;
    uint64_t longestRaw = 0;
    uint64_t longestExpanded = 0;
    uint64_t widestCellsRaw = 0;       // the widest line shown as UTF-8, in cells
    uint64_t widestCellsExpanded = 0;
    uint64_t lineCount = 0;
    LineIndex lineIndex;  // line feeds before every LINE_INDEX_STEP-th byte
    std::vector<uint64_t> ownIndex;  // the index of bytes given whole (StoreLoaded)
    Feed* feed = nullptr;  // what makes the bytes and the measure; none: given whole
    bool counting = false;   // lines are still being counted, or bytes read
    bool streaming = false;  // bytes are still arriving
    uint64_t scanned = 0;    // bytes whose lines are counted
    LoadResult failure{};    // why a stream stopped early (LOAD_OK: it did not)
    const char* format = nullptr;  // the compressed format its bytes come out of
    bool rawShown = false;  // a compressed file's raw bytes are shown (other: the decompressed)
    FileSide other;
    uint64_t failureError = 0;  // its system error, or the bytes kept (LOAD_CORRUPT)
    bool failureShown = false;  // its message has been shown
    LineCache cache;
    FilePosition view;
    FilePosition findStart;
    FilePosition found;
    uint16_t findFlags = 0;
    char name[NAME_SIZE] = {};
    uint64_t device = 0;  // the file's identity, to notice it under another name
    uint64_t inode = 0;
    uint64_t shownSize = 0;  // the file's size when its bytes were last taken up

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
uint64_t WidestLine(const FileEntry& entry, bool cells);

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
    LOAD_INPUT_IS_TERMINAL = 14,  // "-" with standard input a terminal
    LOAD_INPUT_CLOSED = 15,       // "-" with standard input closed
    LOAD_TABLE_FILLED = 16,       // files loaded, then the table filled with matches left over
    LOAD_CORRUPT = 17,            // compressed data broke off; its number is the bytes kept
};

constexpr int ERROR_SHARING_VIOLATION = 32;

// Loads every file the typed name (wildcards * and ?) matches. fullName
// (NAME_SIZE bytes) receives the full path; systemError the error code for
// the results that keep one. FIFOs, devices and sockets are never opened for
// reading: they give LOAD_OPEN_ERROR with ENODEV ("Error opening %s, rc = 19").
// "-" only finds standard input's slot (standard_input.h). LOAD_TABLE_FILLED
// when it loaded files but the table filled before every match was loaded.
LoadResult LoadFiles(const char* typedName, char* fullName, uint32_t& systemError);
// Opens the slot's file (name and size already set), maps it and starts
// counting its lines: LOAD_OK, LOAD_OPEN_ERROR (error 32 when another program
// holds an exclusive lock) or LOAD_READ_ERROR (it cannot be mapped). A size
// of 0 (a /proc file) is read as a stream, up to 64 MiB; nothing there gives
// LOAD_EMPTY. A file read again as it is followed (`again`) is mapped even
// when empty: a log cut to nothing is still the log, and may grow.
LoadResult ReadFileData(int slot, uint32_t& systemError, bool again = false);
// Makes entry a newly loaded file: size bytes at block (the caller's) with
// their measure and line index, every position at the top. The name and the
// file's identity are the caller's.
void StoreLoaded(FileEntry& entry, const uint8_t* block, uint64_t size, const ScanResult& scan,
                 std::vector<uint64_t>& index);
// Starts reading fd (which it owns from then on) as a stream of at most limit
// bytes, decompressed when it is compressed, and waits up to waitMs: until
// it ends (toItsEnd) or its first bytes came. LOAD_EMPTY when it ended with
// none, LOAD_NO_MEMORY (systemError set) when it could not start; feed is set
// only with LOAD_OK.
LoadResult StartStreamLoad(int fd, uint64_t limit, int waitMs, bool toItsEnd, Feed*& feed, uint32_t& systemError);
// Makes entry a newly loaded file whose bytes and measure come from feed
// (the entry owns it from then on), every position at the top.
void StoreFed(FileEntry& entry, Feed* feed);
// Takes up what the entry's feed knows now: bytes, counts, index.
void RefreshEntry(FileEntry& entry);
int FindFreeEntry();                          // -1 for none
// A loaded slot holding this path, or the same file (device and inode) under
// another name; -1 for none.
int FindLoadedFile(const char* fullPath, uint64_t device, uint64_t inode);
int NextLoadedEntry();                        // 1 switched, 0 none other
int CloseCurrentEntry();                      // 1 closed, 0 it is the only one
// Release every loaded slot (shutdown).
void ReleaseAllEntries();
// Starts every count HoldCounts kept waiting, and holds none from now on.
void StartHeldCounts();

// The long message (start-up, standard error) and the short one (message
// field, at most 21 characters, but see LOAD_CORRUPT) of a load result,
// formatted into out. systemError is the bytes kept for LOAD_CORRUPT.
void LongLoadMessage(char* out, int outSize, LoadResult result, const char* typedName,
                     const char* fullName, uint64_t systemError);
void ShortLoadMessage(char* out, int outSize, LoadResult result, uint64_t systemError);

}  // namespace pk
