// The find string compiled for the view it searches: rebuilt only when the
// string, its kind, the case setting or the view's rules change. The views
// ask it for the hits on screen, looking for them from a little before the
// screen's first byte (a pattern's from its line's start, when that is
// near), so that a hit that begins off screen still shows its visible part.
#include "display/find_current.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "display/display_state.h"
#include "files/file_table.h"
#include "files/program_state.h"
#include "text/byte_scan.h"

namespace pk {

namespace {

// How far before the screen a pattern's hit may begin and still be shown,
// and how far after it the literal of one that begins on it may lie.
constexpr uint64_t PATTERN_REACH = 4096;

struct Cached {
    std::string needle;
    uint32_t kind = 0;
    bool fold = false, utf8 = false, lines = false;
    bool ready = false;      // finder holds this request
    bool compiles = false;
    size_t errorOffset = 0;
    Finder finder;
};

Cached cached;

}  // namespace

FindRequest RequestFor(std::span<const uint8_t> bytes, uint32_t kind) {
    FindRequest r;
    r.needle = bytes;
    r.pattern = kind == FIND_KIND_PATTERN;
    r.fold = display.exactCase == 0;
    r.utf8 = r.pattern && !display.hexView && ShowingUtf8();
    r.lines = !display.hexView && kind != FIND_KIND_HEX;
    return r;
}

Finder* CurrentFinder(size_t& errorOffset) {
    size_t n = std::min<size_t>(settings.findLength, FIND_MAX);
    FindRequest r = RequestFor(std::span<const uint8_t>(settings.findString, n), settings.findKind);
    std::string needle(reinterpret_cast<const char*>(settings.findString), n);
    if (!cached.ready || cached.needle != needle || cached.kind != settings.findKind || cached.fold != r.fold ||
        cached.utf8 != r.utf8 || cached.lines != r.lines) {
        cached.needle = needle;
        cached.kind = settings.findKind;
        cached.fold = r.fold;
        cached.utf8 = r.utf8;
        cached.lines = r.lines;
        cached.compiles = PrepareFind(r, cached.finder, cached.errorOffset) != 0;
        cached.ready = true;
    }
    errorOffset = cached.errorOffset;
    // Each use starts afresh: no stop from before, and no line window of
    // data that another file may have put at the same address since.
    cached.finder.failed = false;
    cached.finder.lineData = nullptr;
    return cached.compiles ? &cached.finder : nullptr;
}

void ReportBadPattern(size_t errorOffset) {
    char text[MESSAGE_SIZE];
    std::snprintf(text, sizeof text, "Bad pattern at %zu", errorOffset);
    SetMessage(text);
}

void HitsOnScreen(uint64_t from, uint64_t to, std::vector<FindHit>& hits) {
    hits.clear();
    const FileEntry& entry = CurrentEntry();
    size_t errorOffset = 0;
    if (!(entry.findFlags & FOUND_SHOWN) || settings.findLength == 0 || from >= to) return;
    Finder* f = CurrentFinder(errorOffset);
    if (f == nullptr) return;
    std::span<const uint8_t> data = entry.bytes();
    uint64_t reach = f->pattern ? PATTERN_REACH : f->needle.size() - 1;
    uint64_t at = from > reach ? from - reach : 0;
    // A pattern's hits follow one another from a line start: from the
    // line's start when it is within reach.
    const uint8_t* lf = f->pattern && at < from ? FindLineFeedBack(data.data() + at, data.data() + from) : nullptr;
    if (lf != nullptr) at = uint64_t(lf - data.data()) + 1;
    for (FindHit hit = FindFirstIn(*f, data, at, to, PATTERN_REACH); hit.start != NO_HIT;
         hit = FindFirstIn(*f, data, NextSearchFrom(*f, hit), to, PATTERN_REACH)) {
        if (hit.end <= from || hit.end == hit.start) continue;
        if (!hits.empty() && hit.start <= hits.back().end) hits.back().end = std::max(hits.back().end, hit.end);
        else hits.push_back(hit);
    }
}

bool InHits(const std::vector<FindHit>& hits, uint64_t offset) {
    auto after = std::upper_bound(hits.begin(), hits.end(), offset,
                                  [](uint64_t o, const FindHit& h) { return o < h.start; });
    return after != hits.begin() && offset < std::prev(after)->end;
}

}  // namespace pk
