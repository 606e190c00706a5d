// The panel input editor: typing in overwrite and insert mode, deleting,
// cursor and word moves within a field, and the keys that end the edit.
// Each case edits one input field at column 11 of row 5 and checks its
// text, the cursor cell, the scroll offset, the result and the tones.
#include "panel_fixture.h"

#include <vector>

namespace pk {
namespace {

struct K {
    uint16_t scan = 0;
    uint8_t ch = 0;
    uint32_t state = 0;
    uint16_t vk = 0;
    uint16_t repeat = 1;
    int times = 1;
    const char* text = nullptr;  // typed byte by byte instead of one key
};

K T(const char* text) { return K{0, 0, 0, 0, 1, 1, text}; }
K Times(K k, int n) {
    k.times = n;
    return k;
}

const K LEFT{0x4B}, RIGHT{0x4D}, HOME{0x47}, END{0x4F}, DEL{0x53}, F1{0x3B};
const K BS{0x0E, 8}, ESC{0x01, 27}, ENTER{0x1C, 13}, LF{0x24, 10, LEFT_CTRL_PRESSED};
const K BTAB{0x0F, 9, SHIFT_PRESSED};
const K CLEFT{0x4B, 0, LEFT_CTRL_PRESSED}, CRIGHT{0x4D, 0, LEFT_CTRL_PRESSED};
const K CEND{0x4F, 0, LEFT_CTRL_PRESSED};
const K INS{0x52, 0, 0, 0x2D}, CAPS{0x3A, 0, 0, 0x14};

void Script(MemoryConsole& con, const std::vector<K>& keys) {
    for (const K& k : keys) {
        for (int n = 0; n < k.times; ++n) {
            if (k.text != nullptr) {
                con.text(k.text);
            } else {
                con.key(k.scan, k.ch, k.state, k.vk, k.repeat);
            }
        }
    }
}

struct EditCase {
    const char* name;
    std::string text;
    uint16_t length, width, offset;
    uint32_t flags;
    std::vector<K> keys;
    std::string want;  // padded with blanks to the length
    int pos, wantOffset;
    uint32_t result;
    int tones;
};

const std::string kWords = "one two  three";

const EditCase kCases[] = {
    {"overwrite", "hello", 10, 10, 0, 0, {T("J")}, "Jello", 1, 0, 0, 0},
    {"full field in overwrite", "", 5, 5, 0, 0, {T("abcdef")}, "abcde", 5, 0, 0, 1},
    {"insert shifts right", "abcd", 10, 10, 0, 0, {INS, T("XY")}, "XYabcd", 2, 0, 0, 0},
    {"insert into a full field", "abcdefghij", 10, 10, 0, 0, {INS, T("X")}, "abcdefghij", 0, 0, 0, 1},
    {"insert over a NUL last byte", std::string("abcd\0", 5), 5, 5, 0, 0, {INS, T("X")}, "Xabcd", 1, 0, 0, 0},
    {"repeat count", "", 10, 10, 0, 0, {K{0x2D, 'x', 0, 'X', 3}}, "xxx", 3, 0, 0, 0},
    {"repeat stops at the end", "", 5, 5, 0, 0, {K{0x2D, 'x', 0, 'X', 7}}, "xxxxx", 5, 0, 0, 1},
    {"caps flag", "", 10, 10, 0, 0, {CAPS, T("ab1;")}, "AB1;", 4, 0, 0, 0},
    {"high and control bytes", "", 10, 10, 0, 0, {K{0, 0xE9}, K{0x2E, 3, LEFT_CTRL_PRESSED}}, "\xE9\x03", 2, 0, 0, 0},
    {"typing scrolls the text", "", 10, 5, 0, 0, {T("abcdefghijk")}, "abcdefghij", 5, 5, 0, 1},
    {"Esc typed", "", 10, 10, 0, 0, {ESC}, "\x1b", 1, 0, 0, 0},
    {"Esc clears", "abc", 10, 10, 0, PNL_ESCCLEAR, {RIGHT, RIGHT, ESC}, "", 0, 0, 0, 0},
    {"Esc ends", "abc", 10, 10, 0, PNL_ESCEND | PNL_ESCCLEAR, {ESC, T("z")}, "abc", 0, 0, 27, 0},
    {"Enter ends", "abc", 10, 10, 0, PNL_ENTEREND, {RIGHT, ENTER}, "abc", 1, 0, 13, 0},
    {"Enter with one row", "abc", 10, 10, 0, 0, {RIGHT, ENTER}, "abc", 0, 0, 0, 0},
    {"line feed ends", "abc", 10, 10, 0, 0, {LF}, "abc", 0, 0, 10, 0},
    {"F1 ends", "abc", 10, 10, 0, 0, {F1}, "abc", 0, 0, 59, 0},
    {"Insert scan code alone", "abc", 10, 10, 0, 0, {RIGHT, K{0x52}, T("Z")}, "aZc", 2, 0, 0, 0},
    {"backspace at the start", "abc", 10, 10, 0, 0, {BS}, "abc", 0, 0, 0, 1},
    {"backspace", "abcd", 10, 10, 0, 0, {RIGHT, RIGHT, BS}, "acd", 1, 0, 0, 0},
    {"backspace in a scrolled field", "abcdefgh", 20, 5, 3, 0, {BS}, "abdefgh", 0, 2, 0, 0},
    {"backspace after the last byte", "abcde", 5, 10, 0, 0, {Times(RIGHT, 5), BS}, "abcd", 4, 0, 0, 0},
    {"backspace beyond the text", "abcde", 5, 10, 0, 0, {Times(RIGHT, 7), BS}, "abcde", 6, 0, 0, 0},
    {"delete", "abcd", 10, 10, 0, 0, {RIGHT, DEL}, "acd", 1, 0, 0, 0},
    {"delete past the end", "abcde", 5, 10, 0, 0, {Times(RIGHT, 5), DEL}, "abcde", 5, 0, 0, 1},
    {"erase to end", "abcdef", 10, 10, 0, 0, {RIGHT, RIGHT, CEND}, "ab", 2, 0, 0, 0},
    {"erase past the end", "abcde", 5, 10, 0, 0, {Times(RIGHT, 5), CEND}, "abcde", 5, 0, 0, 1},
    {"Home", "abcdefgh", 20, 5, 4, 0, {RIGHT, HOME}, "abcdefgh", 0, 0, 0, 0},
    {"End of a fitting text, scrolled", "ab", 20, 5, 3, 0, {END}, "ab", 2, 0, 0, 0},
    {"End of a long text", "abcdefghij", 20, 5, 0, 0, {END}, "abcdefghij", 5, 5, 0, 0},
    {"Left scrolls back", "abcdefgh", 20, 5, 2, 0, {LEFT}, "abcdefgh", 0, 1, 0, 0},
    {"Left at the start wraps to the field", "abcdefgh", 20, 5, 0, 0, {RIGHT, LEFT, LEFT}, "abcdefgh", 0, 0, 0, 0},
    {"Right scrolls to the end", "", 80, 58, 0, 0, {Times(RIGHT, 79)}, "", 57, 22, 0, 0},
    {"Right past the end", "", 80, 58, 0, 0, {Times(RIGHT, 80)}, "", 0, 22, 0, 0},
    {"Right in a wide field", "ab", 2, 6, 0, 0, {Times(RIGHT, 5), T("x")}, "ab", 5, 0, 0, 1},
    {"Shift+Tab to the start", "abc", 20, 5, 3, 0, {RIGHT, RIGHT, BTAB}, "abc", 0, 3, 0, 0},
    {"word left from a word start", kWords, 20, 20, 0, 0, {Times(RIGHT, 4), CLEFT}, kWords, 0, 0, 0, 0},
    {"word left inside a word", kWords, 20, 20, 0, 0, {Times(RIGHT, 5), CLEFT}, kWords, 4, 0, 0, 0},
    {"word left in the first word", kWords, 20, 20, 0, 0, {Times(RIGHT, 2), CLEFT}, kWords, 0, 0, 0, 0},
    {"word left at the start", kWords, 20, 20, 0, 0, {CLEFT}, kWords, 0, 0, 0, 1},
    {"word left over blanks", kWords, 20, 20, 0, 0, {Times(RIGHT, 9), CLEFT}, kWords, 4, 0, 0, 0},
    {"word left from a blank", kWords, 20, 20, 0, 0, {Times(RIGHT, 8), CLEFT}, kWords, 4, 0, 0, 0},
    {"word left after the text", kWords, 20, 20, 0, 0, {Times(RIGHT, 17), CLEFT}, kWords, 9, 0, 0, 0},
    {"word left scrolls back", kWords, 20, 5, 9, 0, {CLEFT}, kWords, 0, 4, 0, 0},
    {"word right", kWords, 20, 20, 0, 0, {CRIGHT}, kWords, 4, 0, 0, 0},
    {"word right to the end", kWords, 20, 20, 0, 0, {Times(CRIGHT, 3)}, kWords, 14, 0, 0, 0},
    {"word right at the end", kWords, 20, 20, 0, 0, {Times(CRIGHT, 4)}, kWords, 14, 0, 0, 1},
    {"word right from beyond", kWords, 20, 20, 0, 0, {Times(RIGHT, 17), CRIGHT}, kWords, 14, 0, 0, 0},
    {"word right scrolls", kWords, 20, 5, 0, 0, {CRIGHT, CRIGHT}, kWords, 5, 4, 0, 0},
    {"word right in an empty field", "", 20, 5, 0, 0, {CRIGHT}, "", 0, 0, 0, 1},
};

TEST(PanelEdit, KeysWithinOneField) {
    for (const EditCase& c : kCases) {
        SCOPED_TRACE(c.name);
        MemoryConsole con;
        fullconsole(&con);
        fullreset();
        std::string label = "Input:";
        std::string text = c.text;
        text.resize(c.length, ' ');
        PanelField panel[] = {
            {0, FLD_PROTECTED, 2, 5, 1, 6, 0, 6, reinterpret_cast<uint8_t*>(label.data())},
            {1, FLD_LAST, 1, 5, 11, c.width, c.offset, c.length,
             reinterpret_cast<uint8_t*>(text.data())},
        };
        Script(con, c.keys);
        uint32_t result = fullpanel(PNL_DISPLAY | PNL_INPUT | PNL_KEEPOFFSET | c.flags, panel);
        std::string want = c.want;
        want.resize(c.length, ' ');
        EXPECT_EQ(text, want);
        EXPECT_EQ(con.cursor.x - 10, c.pos);
        EXPECT_EQ(con.cursor.y, 4);
        EXPECT_EQ(panel[1].scrollOffset, c.wantOffset);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(con.tones, c.tones);
        // The screen shows the text from the offset, as far as the text goes.
        int shown = std::min<int>(c.width, c.length - panel[1].scrollOffset);
        EXPECT_EQ(con.rowText(4).substr(10, size_t(shown)), text.substr(panel[1].scrollOffset, size_t(shown)));
    }
    fullreset();
    fullconsole(nullptr);
}

using PanelEditor = PanelTest;

TEST_F(PanelEditor, RepeatsRedrawOnceAndSilentMeansNoTone) {
    PanelField f = Field(FLD_LAST, 1, 1, 10, "", 10);
    con.key(0x2D, 'x', 0, 'X', 3);
    con.key(0x0E, 8);
    con.key(0x0E, 8);
    con.key(0x0E, 8);
    con.key(0x0E, 8);  // at the start: error, silent
    EXPECT_EQ(fullpanel(PNL_INPUT | PNL_SILENT, &f), 0u);
    EXPECT_EQ(con.tones, 0);
    EXPECT_EQ(con.charWrites, 4);  // three typed at once, three deletes
    EXPECT_EQ(Text(f), std::string(10, ' '));

    // A field that fills up part way through a repeat shows what was typed.
    PanelField g = Field(FLD_LAST, 1, 1, 5, "", 5);
    con.key(0x2D, 'y', 0, 'Y', 9);
    fullpanel(PNL_INPUT, &g);
    EXPECT_EQ(con.rowText(0).substr(0, 5), "yyyyy");
    EXPECT_EQ(con.tones, 1);
}

TEST_F(PanelEditor, MovesBetweenFieldsWrap) {
    PanelField panel[] = {
        Field(FLD_PROTECTED, 1, 1, 5, "Name:"),
        Field(FLD_AUTOSKIP, 1, 10, 3, "", 3),
        Field(0, 1, 20, 5, "bbbbb", 5),
        Field(FLD_PROTECTED, 2, 1, 5, "Note:"),
        Field(FLD_CURSOR | FLD_AUTOSKIP, 2, 10, 3, "", 3),
        Field(FLD_PROTECTED | FLD_LAST, 3, 1, 3, "end"),
    };
    struct Case {
        std::vector<K> keys;
        int x, y;  // where the cursor ends
    };
    const Case cases[] = {
        {{}, 9, 1},                                  // FLD_CURSOR starts the edit
        {{T("\t")}, 9, 0},                           // Tab wraps to the first input
        {{T("\t\t")}, 19, 0},
        {{BTAB}, 19, 0},                             // previous, skipping labels
        {{T("ab"), BTAB}, 9, 1},                     // first back to the start
        {{T("xyz")}, 9, 0},                          // autoskip wraps to the first
        {{T("\txyz")}, 19, 0},                       // autoskip to the next
        {{T("\txy"), K{0x2C, 'z', 0, 'Z', 5}}, 19, 0},  // rest of the repeat dropped
        {{K{0x77, 0, 0}}, 9, 0},                     // Ctrl+Home by its BIOS code
        {{K{0x47, 0, LEFT_CTRL_PRESSED}}, 9, 0},     // Ctrl+Home from the terminal
        {{Times(RIGHT, 3)}, 9, 0},                   // Right off the end: next field
        {{T("\t"), LEFT}, 9, 1},                      // Left at the start: previous, wrapping
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n++);
        Script(con, c.keys);
        EXPECT_EQ(fullpanel(PNL_INPUT, panel), 0u);
        EXPECT_EQ(con.cursor.x, c.x);
        EXPECT_EQ(con.cursor.y, c.y);
    }
    EXPECT_EQ(Text(panel[1]), "xyz");
    EXPECT_EQ(Text(panel[2]), "bbbbb");
    EXPECT_EQ(Text(panel[4]), "xyz");
}

}  // namespace
}  // namespace pk

namespace pk {
namespace {

TEST_F(PanelEditor, RowUpAndDownFollowTheColumn) {
    PanelField panel[] = {
        Field(FLD_PROTECTED, 2, 1, 5, "Name:"),
        Field(0, 2, 10, 10, "", 10),              // A
        Field(0, 2, 30, 10, "", 10),              // B
        Field(FLD_PROTECTED, 4, 30, 3, "Lbl"),    // a label under B
        Field(0, 4, 10, 10, "", 10),              // C
        Field(0, 4, 50, 5, "", 5),                // D
        Field(0, 6, 30, 10, "", 10),              // E
        Field(FLD_LAST, 6, 50, 2, "", 2),         // G, narrower than D
    };
    struct Case {
        const char* name;
        std::vector<K> keys;
        int x, y;
    };
    const K UP{0x48}, DOWN{0x50};
    const Case cases[] = {
        {"up from the first row wraps to the last", {UP}, 49, 5},
        {"down to the same column keeps the cell", {Times(RIGHT, 3), DOWN}, 12, 3},
        {"down under a label goes to the row's first", {T("\t"), Times(RIGHT, 2), DOWN}, 9, 3},
        {"down from the last row wraps", {T("\t\t\t\t"), Times(RIGHT, 2), DOWN}, 31, 1},
        {"up to a row without the column", {T("\t\t\t\t"), UP}, 49, 3},
        {"up to the same column", {T("\t\t"), Times(RIGHT, 3), UP}, 12, 1},
        {"down with no field in the column", {T("\t\t"), DOWN}, 29, 5},
        {"the cell stays within a narrower field", {T("\t\t\t"), Times(RIGHT, 4), DOWN}, 51, 5},
        {"Enter goes to the next row", {ENTER}, 9, 3},
        {"Enter wraps to the first row", {ENTER, ENTER, ENTER}, 9, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Script(con, c.keys);
        EXPECT_EQ(fullpanel(PNL_INPUT, panel), 0u);
        EXPECT_EQ(con.cursor.x, c.x);
        EXPECT_EQ(con.cursor.y, c.y);
    }
}

TEST_F(PanelEditor, OneRowOfInputFields) {
    // Rows compare as drawn: a bottom field with row 0 shares row 25.
    PanelField panel[] = {
        Field(0, 25, 5, 5, "", 5),
        Field(FLD_PROTECTED, 25, 12, 3, "to:"),
        Field(FLD_BOTTOM | FLD_LAST, 0, 20, 5, "", 5),
    };
    const K UP{0x48}, DOWN{0x50};
    const std::vector<K> sequences[] = {
        {T("\t"), DOWN},            // down falls back to the row's first field
        {T("\t"), UP},              // up falls back to the first input field
        {RIGHT, RIGHT, ENTER},      // next row: none, so the start of this field
    };
    for (const auto& keys : sequences) {
        Script(con, keys);
        EXPECT_EQ(fullpanel(PNL_INPUT, panel), 0u);
        EXPECT_EQ(con.cursor.x, 4);
        EXPECT_EQ(con.cursor.y, 24);
    }
    con.text("\t");
    fullpanel(PNL_INPUT, panel);
    EXPECT_EQ(con.cursor.x, 19);
}

TEST_F(PanelEditor, NoEchoFieldsAreNeitherShownNorGivenTheCursor) {
    PanelField panel[] = {
        Field(FLD_NOECHO, 1, 1, 8, "", 8),
        Field(FLD_LAST, 2, 1, 8, "", 8),
    };
    ASSERT_NE(fullinit(), nullptr);
    con.cursor = {70, 20};
    con.text("secret");
    EXPECT_EQ(fullpanel(PNL_DISPLAY | PNL_INPUT, panel), 0u);
    EXPECT_EQ(Text(panel[0]), "secret  ");
    EXPECT_EQ(con.rowText(0).substr(0, 8), std::string(8, ' '));
    EXPECT_EQ(con.cursor.x, 70);
    EXPECT_EQ(con.cursor.y, 20);
    con.text("\tok");
    fullpanel(PNL_INPUT, panel);
    EXPECT_EQ(con.rowText(1).substr(0, 8), "ok      ");
    EXPECT_EQ(con.cursor.x, 2);
    EXPECT_EQ(con.cursor.y, 1);
}

TEST(PanelTextEnd, CountsUpToTheLastNonBlank) {
    struct Case {
        std::string text;
        int end;
    };
    const Case cases[] = {
        {"", 0}, {"    ", 0}, {std::string("\0\0 ", 3), 0}, {"ab  ", 2},
        {std::string("a\0b\0", 4), 3}, {"abcd", 4}, {" x", 2},
    };
    for (const Case& c : cases) {
        std::string buf = c.text;
        PanelField f{0, 0, 0, 1, 1, 4, 0, uint16_t(buf.size()), reinterpret_cast<uint8_t*>(buf.data())};
        EXPECT_EQ(fulltextend(f), c.end) << c.text;
    }
}

}  // namespace
}  // namespace pk
