// Text laid out in cells: runs of plain ASCII and the units around them
// (joined marks, tabs, wide characters, controls), from a first column and
// up to a count of cells, with the bytes each cell came from.
#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>
#include <vector>

#include "panel/cell_text.h"
#include "panel/utf8.h"

namespace {

// A cell as text: a glyph cell as its byte, a character cell as its bytes
// in brackets, the right half of a wide character as "~"; each followed by
// the byte range it came from.
std::string Shown(const pk::Cell& c, const pk::CellSource& from) {
    std::string s;
    if (c.kind == pk::CELL_GLYPH) s += char(c.ch);
    else if (c.kind == pk::CELL_CHAR) s.append("[").append(c.text, strnlen(c.text, sizeof c.text)).append("]");
    else s += '~';
    return s.append(std::to_string(from.begin)).append("-").append(std::to_string(from.end)).append(" ");
}

TEST(CellText, RunsOfAsciiAndTheUnitsAroundThem) {
    ASSERT_NE(setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    pk::ReadCharacterWidths();
    const struct { std::string text; uint64_t first; int count; bool tabs; std::string want; } cases[] = {
        {"abc", 0, 5, false, "a0-1 b1-2 c2-3 "},
        {"abcdef", 2, 3, false, "c2-3 d3-4 e4-5 "},
        // A mark joins the letter before it, which is then no glyph.
        {"ab\xCC\x81" "c", 0, 5, false, "a0-1 [b\xCC\x81]1-4 c4-5 "},
        {"a\tb", 0, 10, true, "a0-1  1-2  1-2  1-2  1-2  1-2  1-2  1-2 b2-3 "},
        {"a\tb", 0, 4, false, "a0-1 \t1-2 b2-3 "},
        {"ab\xE6\x97\xA5" "c", 0, 4, false, "a0-1 b1-2 [\xE6\x97\xA5]2-5 ~2-5 "},
        {"a\xE6\x97\xA5", 0, 2, false, "a0-1  1-4 "},  // the visible half of a cut wide character
        {"a\x01" "b\xFF", 0, 5, false, "a0-1 \x01" "1-2 b2-3 \xFF" "3-4 "},
    };
    for (const auto& c : cases) {
        std::vector<pk::Cell> cells(size_t(c.count));
        std::vector<pk::CellSource> sources(size_t(c.count));
        int filled = pk::Utf8Cells(reinterpret_cast<const uint8_t*>(c.text.data()), c.text.size(), c.first, c.tabs,
                                   cells.data(), c.count, sources.data());
        std::string got;
        for (int i = 0; i < filled; ++i) got += Shown(cells[size_t(i)], sources[size_t(i)]);
        EXPECT_EQ(got, c.want) << c.text;
    }
}

}  // namespace
