// The line model's reference, straight from the line rules, and the checks
// of the program's line model against it, for the unit test and the fuzz
// target alike. Each check gives the first rule broken, "" when all hold.
//
// Line rules: a line ends at a line feed, which belongs to no line's text; a
// carriage return right before the line's end is not part of the text; bytes
// after the last line feed form one more line. Tab stops every 8 columns.
#pragma once

#include <algorithm>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "text/line_scan.h"
#include "panel/utf8.h"

namespace pktest {

inline pk::Bytes B(std::string_view s) { return pk::Bytes(reinterpret_cast<const uint8_t*>(s.data()), s.size()); }

inline std::string Repeat(std::string_view s, size_t n) {
    std::string out;
    while (n-- > 0) out += s;
    return out;
}

// Every line's start and text length.
struct RefLine { uint64_t start, length; };

inline std::vector<RefLine> RefLines(std::string_view d) {
    std::vector<RefLine> lines;
    for (size_t start = 0, stop; start < d.size(); start = stop + 1) {
        stop = std::min(d.find('\n', start), d.size());
        lines.push_back({uint64_t(start), uint64_t(stop - start - (stop > start && d[stop - 1] == '\r'))});
    }
    return lines;
}

// The load-time measure, byte by byte as the rules describe it; cells by
// measuring every line's text as UTF-8.
inline pk::ScanResult RefScan(std::string_view d) {
    pk::ScanResult r;
    uint64_t raw = 0, exp = 0;
    for (size_t p = 0, start = 0; p <= d.size(); ++p) {
        if (p == d.size() ? raw > 0 : d[p] == '\n') {
            r.lineCount++;
            r.longestRaw = std::max<uint64_t>(r.longestRaw, uint64_t(raw));
            r.longestExpanded = std::max<uint64_t>(r.longestExpanded, uint64_t(exp));
            pk::TextWidths cells = pk::MeasureCells(reinterpret_cast<const uint8_t*>(d.data()) + start, uint64_t(raw));
            r.widestCellsRaw = std::max<uint64_t>(r.widestCellsRaw, uint64_t(cells.raw));
            r.widestCellsExpanded = std::max<uint64_t>(r.widestCellsExpanded, uint64_t(cells.expanded));
            raw = exp = 0;
            start = p + 1;
        } else if (p < d.size() && !(d[p] == '\r' && p + 1 < d.size() && d[p + 1] == '\n')) {
            raw++;
            exp += d[p] == '\t' ? 8 - exp % 8 : 1;
        }
    }
    return r;
}

// Line feeds before each index point.
inline std::vector<uint64_t> RefIndex(std::string_view d) {
    std::vector<uint64_t> index;
    for (size_t at = 0; at < d.size(); at += pk::LINE_INDEX_STEP)
        index.push_back(uint64_t(std::count(d.begin(), d.begin() + at, '\n')));
    return index;
}

// The display cells of a line's text: the byte each one shows (a tab
// expanded, tabs on, fills up to the next stop with cells of its own byte).
inline std::vector<uint64_t> RefCells(std::string_view text, bool expandTabs) {
    std::vector<uint64_t> cells;
    for (uint64_t b = 0; b < text.size(); ++b)
        do cells.push_back(b);
        while (expandTabs && text[b] == '\t' && cells.size() % 8 != 0);
    return cells;
}

inline auto Tie(const pk::ScanResult& r) {
    return std::make_tuple(r.lineCount, r.longestRaw, r.longestExpanded, r.widestCellsRaw, r.widestCellsExpanded);
}

inline std::string At(const char* rule, uint64_t a, uint64_t b = 0, uint64_t c = 0) {
    return std::string(rule) + " (" + std::to_string(a) + ", " + std::to_string(b) + ", " + std::to_string(c) + ")";
}

// The data with the reference and its measure by the program, index included.
struct Measured {
    std::string d;
    std::vector<RefLine> lines;
    std::vector<uint64_t> index;
    pk::ScanResult scan;
    explicit Measured(std::string bytes)
        : d(std::move(bytes)), lines(RefLines(d)), index(pk::LineIndexSize(uint64_t(d.size()))),
          scan(pk::ScanLines(B(d), index)) {}
    pk::TextLines text() const { return pk::TextLines{B(d), uint64_t(lines.size()), index}; }
    pk::LineCache cacheAt(uint64_t n) const {
        if (n == 0) return pk::LineCache{};
        return pk::LineCache{lines[n - 1].start, n, B(d).data() + lines[n - 1].start};
    }
    // The line feeds before o: one for each line before o's, and its own.
    uint64_t lineFeedsBefore(uint64_t o) const {
        uint64_t n = lineOf(o);
        return n - 1 + uint64_t(std::count(d.begin() + lines[n - 1].start, d.begin() + o, '\n'));
    }
    // The last line starting at or before o, never past the last line.
    uint64_t lineOf(uint64_t o) const {
        auto after = std::upper_bound(lines.begin(), lines.end(), o, [](uint64_t x, const RefLine& l) { return x < l.start; });
        return uint64_t(std::max<ptrdiff_t>(after - lines.begin(), 1));
    }
};

// The measure and the index, whole and scanned in pieces of each size given
// (as loading scans while it reads).
inline std::string CheckMeasure(const Measured& m, std::span<const uint64_t> pieces) {
    if (Tie(m.scan) != Tie(RefScan(m.d)) || m.scan.lineCount != m.lines.size()) return "the measure";
    if (m.index != RefIndex(m.d)) return "the line index";
    for (uint64_t piece : pieces) {
        if (piece == 0 || m.d.size() / piece > 200000) continue;
        std::vector<uint64_t> index(m.index.size());
        pk::ScanState state = pk::StartScan(0, index);
        for (uint64_t end = 0; end < m.d.size();)
            pk::ScanPart(B(m.d), end = std::min<uint64_t>(end + piece, uint64_t(m.d.size())), state);
        if (Tie(pk::ScanFinish(B(m.d), state)) != Tie(m.scan)) return At("the measure in pieces", piece);
        if (index != m.index) return At("the line index in pieces", piece);
    }
    return "";
}

// Every operation for line n and offset o from the cache at line c (0: none).
inline std::string CheckLineAndOffset(const Measured& m, const pk::TextLines& t, uint64_t c, uint64_t n, uint64_t o) {
    pk::LineCache cache = m.cacheAt(c);
    uint64_t count = t.lineCount;
    pk::LineInfo info;
    bool found = pk::LineAt(t, cache, n, info);
    if (found != (n >= 1 && n <= count)) return At("LineAt finds the lines there are", c, n);
    if (!found && pk::LineColumnToOffset(t, cache, n, 1) != 0) return At("LineColumnToOffset of no line", c, n);
    if (found && (info.offset != m.lines[n - 1].start || info.length != m.lines[n - 1].length))
        return At("LineAt", c, n);
    if (found && pk::LineColumnToOffset(t, cache, n, 3) != m.lines[n - 1].start + 2) return At("LineColumnToOffset", c, n);
    if (count == 0 || o > m.d.size()) return "";
    uint64_t want = m.lineOf(o);
    uint64_t line = 0, column = 0;
    pk::OffsetToLineColumn(t, cache, o, line, column);
    if (line != want || column != o - m.lines[want - 1].start + 1) return At("OffsetToLineColumn", c, o);
    if (pk::LineOfOffset(t, cache, o) != 1 + m.lineFeedsBefore(o)) return At("LineOfOffset", c, o);
    if (o == m.d.size()) return "";
    pk::LineCache moved = cache;
    if (pk::TopLineForOffset(t, o, moved) != want || moved.line != want || moved.offset != m.lines[want - 1].start ||
        moved.start != B(m.d).data() + moved.offset)
        return At("TopLineForOffset", c, o);
    return "";
}

// A line's display cells with tabs expanded or not: NextCell from the start,
// and WalkColumns to display column limit.
inline std::string CheckCells(std::string_view text, bool expandTabs, uint64_t limit) {
    std::vector<uint64_t> cells = RefCells(text, expandTabs);
    const uint8_t* p = B(text).data();
    pk::CellCursor cursor;
    for (uint64_t i = 0; i <= cells.size(); ++i) {
        int want = i == cells.size() ? pk::END_OF_LINE : expandTabs && text[cells[i]] == '\t' ? ' ' : uint8_t(text[cells[i]]);
        if (pk::NextCell(p, uint64_t(text.size()), i, cursor, expandTabs) != want) return At("NextCell", i);
    }
    if (!expandTabs) return "";
    pk::ColumnPoint point = pk::WalkColumns(p, uint64_t(text.size()), limit);
    pk::ColumnPoint want{uint64_t(text.size()), cells.size(), 0};
    if (limit < cells.size()) {
        bool inside = limit > 0 && cells[limit - 1] == cells[limit];
        uint64_t end = limit;
        while (end < cells.size() && cells[end] == cells[limit]) ++end;
        want = {cells[limit] + (inside ? 1 : 0), limit, inside ? uint64_t(end - limit) : 0};
    }
    if (point.byte != want.byte || point.column != want.column || point.pending != want.pending)
        return At("WalkColumns", limit, point.byte, point.pending);
    return "";
}

}  // namespace pktest
