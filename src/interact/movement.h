// View movement shared by keys, commands and the mouse wheel: scroll by
// lines, bytes and columns, top, bottom, line numbers and offsets, and the
// bottom rule across a change of the screen's size. Each move returns 1 when
// the view moved and 0 after a beep (none when quiet), changing nothing.
#pragma once

#include <cstdint>

namespace pk {

struct FileEntry;

int ScrollDown(uint64_t n);
int ScrollUp(uint64_t n);
int ScrollLeft(uint64_t n);
int ScrollRight(uint64_t n);
// The same four moves without a beep when they cannot be made.
enum class Direction { Down, Up, Left, Right };
int ScrollQuietly(Direction direction, uint64_t n);
int GoTop();
int GoBottom();
int GoToLine(uint64_t n);
int GoToOffset(uint64_t v);
void SyncFindStart();

// The bottom rule, one for keys and commands. Text view: the greatest useful
// top line. Hex view: the top offset that shows the last page; F9 ends it
// exactly at the last byte (byteExact), "bottom" and Ctrl+End on a whole
// row of 16, so the two differ when the size is no multiple of 16 (a
// 1000-byte file with 20 rows: 680 and 688). That difference is meant.
uint64_t LastTopLine(const FileEntry& e);
uint64_t LastPageOffset(const FileEntry& e, bool byteExact);

// Whether a file's view stands where the bottom rule puts it, so that its
// last line (text) or byte (hex) is on the last row, with earlier data above.
bool ShowsLastPage(const FileEntry& e);
// Moves such a view to stand there again for the current layout; a hex view
// keeps its row boundaries (its offset modulo 16).
void KeepLastPage(FileEntry& e);

// The CMD_* bits of a movement's outcome: a view that moved takes the
// find's start along and needs a redraw; a refused move has beeped already.
uint32_t AfterMove(int moved);

}  // namespace pk
