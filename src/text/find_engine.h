// The search engine of the find: a byte string or a regular expression
// (PCRE2 with its JIT), looked for over one contiguous byte range, forward
// from an offset or backward before one, with the text view's rule as an
// option (a hit never takes in a line end; ^ and $ are a line's bounds).
//
// Hits: a byte string is hit at every offset where it occurs, overlapping
// occurrences included, so the next hit is looked for one byte on. A pattern
// is hit where its leftmost match from a search start begins; the next hit
// is looked for from the end of the match (one byte on for an empty match),
// so the hits that follow one another from a line's start are the pattern's
// non-overlapping matches there. The backward search and the hits counted
// follow that chain from line starts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace pk {

struct FindRequest {
    std::span<const uint8_t> needle;
    bool pattern = false;  // a regular expression, else plain bytes
    bool fold = false;     // letters caseless (a byte string: the ASCII letters only)
    bool utf8 = false;     // the pattern is UTF-8; invalid bytes in the data never stop it
    bool lines = false;    // the text view's rule
};

constexpr uint64_t NO_HIT = UINT64_MAX;

// A hit [start, end) of the data; start NO_HIT for none.
struct FindHit {
    uint64_t start = NO_HIT;
    uint64_t end = 0;
};

struct CompiledPattern;
struct CompiledPatternFree {
    void operator()(CompiledPattern* p) const;
};

// A request made ready to search. The searches use its match buffers, so one
// Finder serves one search at a time.
struct Finder {
    std::string needle;
    bool pattern = false, fold = false, lines = false;
    std::string literal;  // bytes every match of the pattern contains, or ""
    bool plain = false;   // the pattern is its literal: its hits are the literal's
    std::unique_ptr<CompiledPattern, CompiledPatternFree> compiled;
    bool failed = false;  // a search stopped at a matching limit (set, never cleared here)
    // The lines from where the literal was last found ([lineStart, lineEnd],
    // lineEnd a line end), in the data at lineData of lineSize bytes, that
    // the pattern is run over together.
    const uint8_t* lineData = nullptr;
    uint64_t lineSize = 0, lineStart = 0, lineEnd = 0;
};

// Makes finder ready for request: 1, or 0 when the pattern does not compile,
// errorOffset then telling where in it the error was found.
int PrepareFind(const FindRequest& request, Finder& finder, size_t& errorOffset);

// The first hit that starts in [from, limit); limit may be data.size() + 1,
// for an empty match at the very end of text without a final line feed.
// literalReach: how far beyond a limit inside a line a pattern's literal is
// looked for (a screen's hits need not read a long line to its end); a match
// whose literal lies further is then not found.
FindHit FindFirstIn(Finder& finder, std::span<const uint8_t> data, uint64_t from, uint64_t limit,
                    uint64_t literalReach = NO_HIT);
// The same first hit, looked for by every core at once over a long range:
// after a first stretch alone, the rest in pieces of about `piece` bytes,
// taken in turn by up to `workers` threads (0: one per core, at most 8); no
// piece after the first that holds a hit is started once that is known. A
// pattern's pieces begin at line starts, in the text view only; a pattern
// in the hex view, or one whose hits depend on where a search starts
// (\G, \K, verbs), is searched alone, as by FindFirstIn.
constexpr uint64_t FIND_PIECE = uint64_t(4) << 20;
FindHit FindFirstAcross(Finder& finder, std::span<const uint8_t> data, uint64_t from, uint64_t limit,
                        uint64_t piece = FIND_PIECE, unsigned workers = 0);
// Where the hit after `hit` is looked for.
uint64_t NextSearchFrom(const Finder& finder, FindHit hit);
// Bytes searched backward at a time (each chunk then begins at a line start).
constexpr uint64_t FIND_BACK_CHUNK = uint64_t(1) << 20;

// The last hit that starts before `before`, searching chunks of the data from
// there towards its start, each from a line start.
FindHit FindLastBefore(Finder& finder, std::span<const uint8_t> data, uint64_t before,
                       uint64_t chunk = FIND_BACK_CHUNK);
// Every hit of the data, one after another from its start.
uint64_t CountHits(Finder& finder, std::span<const uint8_t> data);
// Start of the line that holds offset at.
uint64_t LineStartAt(std::span<const uint8_t> data, uint64_t at);

}  // namespace pk
