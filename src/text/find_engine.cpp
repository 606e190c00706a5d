// The find's searches: byte strings through the vector needle scan, patterns
// through PCRE2's JIT over whole stretches of the data at a time (the match
// context's offset limit ends a stretch; the subject is always the data from
// its start, so look-behinds and ^ see what lies before). In the text view a
// pattern with a literal that every match contains is run only from the
// lines where the needle scan finds that literal, and a pattern that is a
// literal alone is looked for by the scan only. A long forward find is cut
// into pieces that every core takes in turn, a pattern's at line starts,
// each thread with match buffers of its own around the shared code.
#include "text/find_engine.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "text/byte_scan.h"
#include "text/required_literal.h"

namespace pk {

struct CompiledPattern {
    pcre2_code* code = nullptr;
    pcre2_match_data* match = nullptr;
    pcre2_match_context* context = nullptr;
    pcre2_jit_stack* stack = nullptr;
    bool jit = false;
    bool ownsCode = true;  // false in another thread's copy, which shares the code
};

void CompiledPatternFree::operator()(CompiledPattern* p) const {
    pcre2_jit_stack_free(p->stack);
    pcre2_match_context_free(p->context);
    pcre2_match_data_free(p->match);
    if (p->ownsCode) pcre2_code_free(p->code);
    delete p;
}

namespace {

using Data = std::span<const uint8_t>;

constexpr size_t JIT_STACK_MAX = size_t(8) << 20;
// Bytes after a literal's hit that the pattern is run over at once.
constexpr uint64_t LITERAL_WINDOW = 16 << 10;

const uint8_t* Base(Data data) {
    static const uint8_t none = 0;
    return data.data() != nullptr ? data.data() : &none;
}

// The match data, match context and JIT stack one search at a time uses;
// false when the data or the context cannot be had (without a stack of its
// own the JIT runs on a small one on the machine stack).
bool MakeMatchBuffers(CompiledPattern& c) {
    c.match = pcre2_match_data_create(1, nullptr);
    c.context = pcre2_match_context_create(nullptr);
    c.stack = pcre2_jit_stack_create(32 << 10, JIT_STACK_MAX, nullptr);
    if (c.jit && c.stack != nullptr && c.context != nullptr) pcre2_jit_stack_assign(c.context, nullptr, c.stack);
    return c.match != nullptr && c.context != nullptr;
}

// End of the line that holds offset at: its line feed, or the data's end;
// looked for no further than window bytes from at (then where it stopped).
uint64_t LineEndAt(Data data, uint64_t at, uint64_t window = UINT64_MAX) {
    if (at >= data.size()) return data.size();
    const uint8_t* stop = data.data() + at + std::min(data.size() - at, window);
    const uint8_t* lf = FindLineFeed(data.data() + at, stop);
    return uint64_t((lf != nullptr ? lf : stop) - data.data());
}

// End of the text of the line ending at lineEnd: before a carriage return
// that closes it.
uint64_t TextEnd(Data data, uint64_t lineEnd) {
    return lineEnd > 0 && data[lineEnd - 1] == '\r' ? lineEnd - 1 : lineEnd;
}

// A text-view hit lies inside its line's text: no line feed in it, no
// carriage return that closes the line at its end, and an empty hit not
// between such a carriage return and its line feed.
bool WithinLine(Data data, FindHit hit) {
    const uint64_t size = data.size();
    if (hit.end == hit.start) return !(hit.start < size && hit.start > 0 && data[hit.start] == '\n' && data[hit.start - 1] == '\r');
    if (std::memchr(data.data() + hit.start, '\n', hit.end - hit.start) != nullptr) return false;
    return !(data[hit.end - 1] == '\r' && (hit.end == size || data[hit.end] == '\n'));
}

// A hit may start at the data's end only in the text view, as an empty
// match at the end of the text of a last line that has no line end.
bool StartsInData(const Finder& f, Data data, uint64_t start) {
    const uint64_t size = data.size();
    return start < size || (f.lines && start == size && size > 0 && data[size - 1] != '\n' && data[size - 1] != '\r');
}

// Whether the finder's hits are a byte string's, found by the needle scan
// alone (a pattern that is its literal is too); that search only reads the
// finder, so threads may share it.
bool ByScan(const Finder& f) { return !f.pattern || f.plain; }

// One run of the pattern over the subject data[0, subjectEnd) for a match
// that starts in [from, last]. A matching limit sets failed.
FindHit Match(Finder& f, Data data, uint64_t subjectEnd, uint64_t from, uint64_t last) {
    CompiledPattern& c = *f.compiled;
    while (from <= subjectEnd && from <= last) {
        pcre2_set_offset_limit(c.context, last);
        int rc = c.jit ? pcre2_jit_match(c.code, Base(data), subjectEnd, from, 0, c.match, c.context)
                       : pcre2_match(c.code, Base(data), subjectEnd, from, 0, c.match, c.context);
        if (rc < 0) {
            if (rc != PCRE2_ERROR_NOMATCH) f.failed = true;
            return {};
        }
        const PCRE2_SIZE* v = pcre2_get_ovector_pointer(c.match);
        // A \K or a look-ahead can put the reported start after the end.
        FindHit hit{v[0], std::max(v[0], v[1])};
        // In UTF-8 mode a start inside a character moves on past the limit.
        if (hit.start > last) return {};
        // PCRE2 takes the point between a carriage return and its line feed
        // for a line start when a search starts or is limited there; an
        // empty match there is no hit.
        if (hit.end > hit.start || hit.start == 0 || hit.start >= data.size() || data[hit.start] != '\n' ||
            data[hit.start - 1] != '\r')
            return hit;
        from = hit.start + 1;
    }
    return {};
}

// The text view's pattern hit that starts in [from, limit): a match that
// runs past its line's text is tried again within that line alone, and
// failing that the search goes on at the next line.
FindHit PatternInLines(Finder& f, Data data, uint64_t from, uint64_t limit, uint64_t literalReach) {
    const uint64_t size = data.size();
    // Every match lies in a line that holds the literal; one that starts
    // before limit, in a line that ends by the end of limit's line, looked
    // for no further than `reach` beyond limit.
    const bool reachLimited = !f.literal.empty() && limit > 0 && limit <= size;
    const uint64_t scanEnd = reachLimited ? LineEndAt(data, limit - 1, literalReach) : size;
    while (from < limit) {
        uint64_t start = from, last = limit - 1;
        if (!f.literal.empty()) {
            size_t at = ScanForNeedle(data.data(), scanEnd, from, reinterpret_cast<const uint8_t*>(f.literal.data()),
                                      f.literal.size(), f.fold);
            if (at == scanEnd) return {};
            if (f.lineData != data.data() || f.lineSize != size || from < f.lineStart || at > f.lineEnd) {
                // The pattern runs from the literal's line over a window of
                // whole lines: where the literal is common, one run covers
                // many of its lines.
                const uint8_t* lf = at > from ? FindLineFeedBack(data.data() + from, data.data() + at) : nullptr;
                f.lineData = data.data();
                f.lineSize = size;
                f.lineStart = lf != nullptr ? uint64_t(lf - data.data()) + 1 : from;
                f.lineEnd = LineEndAt(data, std::min<uint64_t>(size, at + LITERAL_WINDOW));
            }
            start = std::max(from, f.lineStart);
            last = std::min(last, f.lineEnd);
        }
        FindHit hit = Match(f, data, size, start, last);
        uint64_t next = last;  // where the next line to try begins, less one
        if (hit.start != NO_HIT && !WithinLine(data, hit)) {
            uint64_t lineEnd = LineEndAt(data, hit.start);
            hit = Match(f, data, TextEnd(data, lineEnd), hit.start, std::min(last, lineEnd));
            next = lineEnd;
        } else if (hit.start == NO_HIT && !f.literal.empty()) {
            next = LineEndAt(data, last);
        } else {
            return hit;
        }
        if (hit.start != NO_HIT || f.failed || next >= size) return hit;
        from = next + 1;
    }
    return {};
}

FindHit BytesIn(Finder& f, Data data, uint64_t from, uint64_t limit) {
    const uint8_t* s = reinterpret_cast<const uint8_t*>(f.needle.data());
    const uint64_t n = f.needle.size();
    // The scan looks no further than a hit that starts before limit can end.
    const uint64_t end = std::min<uint64_t>(data.size(), limit - 1 + n);
    if (f.lines && std::memchr(s, '\n', n) != nullptr) return {};
    for (;;) {
        uint64_t at = ScanForNeedle(data.data(), end, from, s, n, f.fold);
        if (at >= end || at >= limit) return {};
        FindHit hit{at, at + n};
        if (!f.lines || WithinLine(data, hit)) return hit;
        from = at + 1;
    }
}

}  // namespace

uint64_t LineStartAt(Data data, uint64_t at) {
    at = std::min<uint64_t>(at, data.size());
    const uint8_t* lf = at > 0 ? FindLineFeedBack(data.data(), data.data() + at) : nullptr;
    return lf != nullptr ? uint64_t(lf - data.data()) + 1 : 0;
}

int PrepareFind(const FindRequest& request, Finder& f, size_t& errorOffset) {
    f = Finder{};
    f.needle.assign(reinterpret_cast<const char*>(request.needle.data()), request.needle.size());
    f.pattern = request.pattern;
    f.fold = request.fold;
    f.lines = request.lines;
    if (!request.pattern) return 1;
    uint32_t options = PCRE2_MULTILINE | PCRE2_USE_OFFSET_LIMIT | (request.fold ? PCRE2_CASELESS : 0) |
                       (request.utf8 ? PCRE2_UTF | PCRE2_MATCH_INVALID_UTF : 0);
    pcre2_compile_context* compile = pcre2_compile_context_create(nullptr);
    // A line ends at a line feed, a carriage return before it belonging to
    // the line end.
    pcre2_set_newline(compile, PCRE2_NEWLINE_ANYCRLF);
    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(f.needle.data()), f.needle.size(), options, &error,
                                     &offset, compile);
    pcre2_compile_context_free(compile);
    if (code == nullptr) {
        errorOffset = offset;
        return 0;
    }
    f.compiled.reset(new CompiledPattern);
    CompiledPattern& c = *f.compiled;
    c.code = code;
    c.jit = pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) == 0;
    if (!MakeMatchBuffers(c)) {  // out of memory: no search can run
        f.compiled.reset();
        errorOffset = 0;
        return 0;
    }
    f.literal = RequiredLiteral(f.needle, request.fold, request.utf8);
    f.plain = f.literal == f.needle && f.needle.find_first_of("\\^$.[|()?*+{") == std::string::npos;
    return 1;
}

FindHit FindFirstIn(Finder& f, Data data, uint64_t from, uint64_t limit, uint64_t literalReach) {
    limit = std::min<uint64_t>(limit, data.size() + 1);
    if (from >= limit || (!f.pattern && f.needle.empty())) return {};
    FindHit hit = ByScan(f)  ? BytesIn(f, data, from, limit)
                  : f.lines ? PatternInLines(f, data, from, limit, literalReach)
                            : Match(f, data, data.size(), from, limit - 1);
    return hit.start != NO_HIT && StartsInData(f, data, hit.start) ? hit : FindHit{};
}

namespace {

unsigned FindWorkers(unsigned asked) {
    constexpr unsigned MOST = 8;
    unsigned cores = std::thread::hardware_concurrency();
    return std::clamp(asked != 0 ? asked : cores, 1u, MOST);
}

// Whether a search of the range in pieces finds what one search of it
// does. A byte string's always does. A pattern's does in the text view,
// each piece after the first begun at a line start, unless the pattern
// depends on where a search starts (\G), reports a start other than its
// match's (\K) or holds a verb that can end a search at once ((*...)).
bool Splits(const Finder& f) {
    if (ByScan(f)) return true;
    if (!f.lines) return false;
    const std::string_view n = f.needle;
    return n.find("\\G") == n.npos && n.find("\\K") == n.npos && n.find("(*") == n.npos;
}

// The first line start in [at, stop) (at > 0), or stop.
uint64_t LineStartIn(Data data, uint64_t at, uint64_t stop) {
    const uint64_t end = std::min<uint64_t>(stop - 1, data.size());
    if (at - 1 >= end) return stop;
    const uint8_t* lf = FindLineFeed(data.data() + at - 1, data.data() + end);
    return lf != nullptr ? uint64_t(lf - data.data()) + 1 : stop;
}

// Piece k of the search starts [from, limit): `piece` bytes from
// from + k * piece. For a pattern, a piece after the first begins at the
// first line start in those bytes and ends where the next one begins; one
// without a line start is empty, its bytes searched with the piece before.
struct Piece {
    uint64_t start, end;
};
Piece PieceOf(const Finder& f, Data data, uint64_t from, uint64_t limit, uint64_t piece, uint64_t k) {
    const uint64_t nominal = from + k * piece, next = std::min(limit, nominal + piece);
    if (ByScan(f)) return {nominal, next};
    const uint64_t start = k == 0 ? from : LineStartIn(data, nominal, next);
    if (start == next) return {next, next};
    return {start, next == limit ? limit : LineStartIn(data, next, limit)};
}

// A pattern's finder for another thread: match buffers of its own around
// the same compiled code. False when the buffers cannot be had.
bool ShareFinder(const Finder& f, Finder& copy) {
    copy.needle = f.needle;
    copy.pattern = f.pattern;
    copy.fold = f.fold;
    copy.lines = f.lines;
    copy.literal = f.literal;
    copy.compiled.reset(new CompiledPattern);
    CompiledPattern& c = *copy.compiled;
    c.code = f.compiled->code;
    c.ownsCode = false;
    c.jit = f.compiled->jit;
    return MakeMatchBuffers(c);
}

// The first hit in [from, limit), the range cut into pieces that the
// workers take in order. A piece whose search stops at a matching limit
// ends the search there, as it would end one search of the whole range.
FindHit FirstInPieces(Finder& f, Data data, uint64_t from, uint64_t limit, uint64_t piece, unsigned workers) {
    const uint64_t pieces = (limit - from + piece - 1) / piece;
    std::vector<FindHit> hits(pieces);
    std::vector<uint8_t> stopped(pieces);
    std::atomic<uint64_t> next{0}, first{pieces};  // the next piece to take; the first with an answer
    auto work = [&](Finder& mine) {
        for (uint64_t k = next++; k < pieces && k < first.load(); k = next++) {
            const Piece p = PieceOf(f, data, from, limit, piece, k);
            if (p.start == p.end) continue;
            hits[k] = FindFirstIn(mine, data, p.start, p.end);
            stopped[k] = mine.failed;
            if (hits[k].start == NO_HIT && !stopped[k]) continue;
            for (uint64_t seen = first.load(); k < seen && !first.compare_exchange_weak(seen, k);) {
            }
            if (stopped[k]) return;
        }
    };
    const bool shared = ByScan(f);
    std::vector<Finder> copies(shared ? 0 : workers - 1);
    std::vector<std::thread> helpers;
    for (unsigned i = 1; i < workers; ++i) {
        Finder& mine = shared ? f : copies[i - 1];
        if (!shared && !ShareFinder(f, mine)) break;
        try {
            helpers.emplace_back(work, std::ref(mine));
        } catch (const std::system_error&) {
            break;  // no thread to be had: fewer workers
        }
    }
    work(f);
    for (std::thread& t : helpers) t.join();
    if (first == pieces) return {};
    f.failed = stopped[first] != 0;
    return hits[first];
}

}  // namespace

FindHit FindFirstAcross(Finder& f, Data data, uint64_t from, uint64_t limit, uint64_t piece, unsigned workers) {
    limit = std::min<uint64_t>(limit, data.size() + 1);
    if (!Splits(f) || piece == 0 || from >= limit || (!f.pattern && f.needle.empty()))
        return FindFirstIn(f, data, from, limit);
    // A hit near the start, as most repeats find, comes from the first
    // stretch without starting a thread (or asking how many cores there are).
    const uint64_t alone = PieceOf(f, data, from, limit, piece, 0).end;
    FindHit hit = FindFirstIn(f, data, from, alone);
    if (hit.start != NO_HIT || alone == limit || f.failed) return hit;
    workers = FindWorkers(workers);
    if (workers < 2) return FindFirstIn(f, data, alone, limit);
    return FirstInPieces(f, data, alone, limit, piece, workers);
}

uint64_t NextSearchFrom(const Finder& f, FindHit hit) {
    return f.pattern && hit.end > hit.start ? hit.end : hit.start + 1;
}

FindHit FindLastBefore(Finder& f, Data data, uint64_t before, uint64_t chunk) {
    uint64_t end = std::min<uint64_t>(before, data.size() + 1);
    while (end > 0) {
        uint64_t chunkStart = LineStartAt(data, end > chunk ? end - chunk : 0);
        FindHit last;
        for (FindHit hit = FindFirstIn(f, data, chunkStart, end); hit.start != NO_HIT;
             hit = FindFirstIn(f, data, NextSearchFrom(f, hit), end))
            last = hit;
        if (last.start != NO_HIT || f.failed) return last;
        end = chunkStart;
    }
    return {};
}

uint64_t CountHits(Finder& f, Data data) {
    uint64_t count = 0;
    for (FindHit hit = FindFirstIn(f, data, 0, NO_HIT); hit.start != NO_HIT;
         hit = FindFirstIn(f, data, NextSearchFrom(f, hit), NO_HIT))
        ++count;
    return count;
}

}  // namespace pk
