// View movement shared by keys and commands: scroll by lines, bytes and
// columns, top, bottom, line numbers and offsets. Each returns 1 when the
// view moved and 0 after a beep, changing nothing.
#pragma once

#include <cstdint>

namespace pk {

int ScrollDown(uint32_t n);
int ScrollUp(uint32_t n);
int ScrollLeft(uint32_t n);
int ScrollRight(uint32_t n);
int GoTop();
int GoBottom();
int GoToLine(uint32_t n);
int GoToOffset(uint32_t v);
void SyncFindStart();

// The CMD_* bits of a movement's outcome: a view that moved takes the
// find's start along and needs a redraw; a refused move has beeped already.
uint32_t AfterMove(int moved);

}  // namespace pk
