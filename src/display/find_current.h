// The current find string made ready to search the current view, kept
// between searches and draws, and the hits of it that the views show bright.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "text/find_engine.h"

namespace pk {

// The request the current view makes of bytes of the given kind: folded
// unless the case setting is exact, in the text view a UTF-8 pattern while
// text is shown as UTF-8, and the line rule there for all but hex strings.
FindRequest RequestFor(std::span<const uint8_t> bytes, uint32_t kind);

// The compiled current find string, or nullptr when its pattern does not
// compile in this view (errorOffset then says where).
Finder* CurrentFinder(size_t& errorOffset);

// "Bad pattern at N" in the message field.
void ReportBadPattern(size_t errorOffset);

// The hits of the current find in the current file that cover any byte of
// [from, to), merged where they touch, in order. None unless the file's hit
// is shown.
void HitsOnScreen(uint64_t from, uint64_t to, std::vector<FindHit>& hits);

// Whether offset lies in one of the hits (as HitsOnScreen gives them).
bool InHits(const std::vector<FindHit>& hits, uint64_t offset);

}  // namespace pk
