// The panel library on an in-memory console, reset around each test, with
// fields whose text buffers the fixture owns and keys scripted as small
// steps: fullinit and its window request, fullattr, fullfind, fullpanel's
// flags and the rules for drawing a field; the key reader, the wait on a
// panel without input fields, fullpush and PNL_RESET; and the field editor.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "panel/input_decoder.h"
#include "panel/memory_console.h"
#include "panel/panel.h"

namespace pk {
namespace {

using Step = std::function<void(MemoryConsole&)>;

Step Key(uint16_t scan, uint8_t ch = 0, uint32_t state = 0, uint16_t vk = 0) {
    return [=](MemoryConsole& c) { c.key(scan, ch, state, vk, 1); };
}
Step T(std::string text) { return [=](MemoryConsole& c) { c.text(text); }; }
// A character key held down: the terminal's record with a repeat count.
Step Held(char c, uint16_t repeat) {
    InputRecord r = DecodeTyped(std::string(1, c)).at(0);
    r.repeatCount = repeat;
    return [=](MemoryConsole& con) { con.event(r); };
}
Step Times(Step s, int n) { return [=](MemoryConsole& c) { for (int i = 0; i < n; ++i) s(c); }; }
void Script(MemoryConsole& c, const std::vector<Step>& steps) { for (const Step& s : steps) s(c); }

// Keys as the terminal sends them, and the two that only a console has.
inline const Step LEFT = T("\033OD"), RIGHT = T("\033OC"), UP = T("\033OA"), DOWN = T("\033OB"), HOME = T("\033OH"),
                  END = T("\033OF"), DEL = T("\033[3~"), F1 = T("\033OP"), BS = T("\x7f"), ESC = T("\033"), ENTER = T("\r"),
                  BTAB = T("\033[Z"), CLEFT = T("\033[1;5D"), CRIGHT = T("\033[1;5C"), CEND = T("\033[1;5F"),
                  INS = T("\033[2~"), CAPS = Key(SCAN_CAPS_LOCK, 0, 0, VKEY_CAPS_LOCK);

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override { fullconsole(&con), fullreset(); }
    void TearDown() override { fullreset(), fullconsole(nullptr); }

    // A field whose text buffer holds text padded with blanks to length.
    PanelField Field(uint16_t flags, uint16_t row, uint16_t column, uint16_t width, std::string_view text,
                     uint16_t length = 0, uint16_t number = 0, uint16_t colour = 1) {
        std::string& buf = buffers.emplace_back(text);
        buf.resize(length ? length : text.size(), ' ');
        return PanelField{number, flags, colour, row, column, width, 0, uint16_t(buf.size()),
                          reinterpret_cast<uint8_t*>(buf.data())};
    }
    static std::string Text(const PanelField& f) { return std::string(reinterpret_cast<const char*>(f.text), f.textLength); }
    // Runs each move's steps through fullpanel and checks where the cursor ends.
    struct Move { std::vector<Step> steps; int x, y; };
    void ExpectMoves(PanelField* panel, const std::vector<Move>& moves, uint32_t flags = PNL_INPUT) {
        for (const Move& m : moves) {
            Script(con, m.steps);
            EXPECT_EQ(fullpanel(flags, panel), 0u);
            EXPECT_EQ((std::pair<int, int>(con.cursor.x, con.cursor.y)), std::pair(m.x, m.y)) << &m - moves.data();
        }
    }

    MemoryConsole con;
    std::deque<std::string> buffers;  // stable addresses for the fields' texts
};

using PanelDisplay = PanelTest;

TEST_F(PanelDisplay, InitialisationOpenFailureAndTheMinimumScreen) {
    struct Case { int cols, rows; bool refuse, ok; int windowRight, windowBottom; };
    const Case cases[] = {
        {79, 25, false, true, 79, 24},  // too narrow: asks for 80 columns (80x24 and a request for it: end to end)
        {79, 25, true, false, 78, 24},  // refused: fullinit fails
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cols << "x" << c.rows);
        MemoryConsole local(c.cols, c.rows);
        local.refuseWindow = c.refuse;
        local.failCode = ERANGE;
        fullconsole(&local), fullreset();
        ConsoleState* st = fullinit();
        ASSERT_EQ(st != nullptr, c.ok);
        EXPECT_EQ((std::pair<int, int>(local.window.right, local.window.bottom)), std::pair(c.windowRight, c.windowBottom));
        if (c.ok) continue;
        EXPECT_EQ(fullpanel(PNL_CLEAR, nullptr), 0u);  // never touches the panel
        local.refuseWindow = false;  // still uninitialised: tried again, the console not opened twice
        ASSERT_NE(st = fullinit(), nullptr);
        EXPECT_EQ(st->lastError, uint32_t(ERANGE));
        EXPECT_EQ(local.openCalls, 1);
    }

    // A failed open (end to end: pk without a terminal); fullattr first
    // initialises, and a failure keeps the table as it was.
    fullconsole(&con), fullreset();
    con.failOpen = ENXIO;
    EXPECT_EQ(fullinit(), nullptr);
    const uint8_t table[ATTRIBUTE_COUNT] = {0x1F, 0x1E, 0x1D, 0x1C, 0x1B, 0x1A, 0x19, 0x18, 0x17, 0x16, 0x15, 0x14, 0x13};
    fullattr(table);
    EXPECT_EQ(fullattributes()[3], 0x70);
    con.failOpen = 0;
    con.cursor = {3, 2};
    const uint16_t under = 0x1E;
    con.writeAttrs({3, 2}, &under, 1);
    fullattr(table);
    ASSERT_NE(fullinit(), nullptr);
    EXPECT_EQ(fullinit()->initialAttribute, 0x1E);  // the attribute under the cursor
    EXPECT_EQ(0, std::memcmp(fullattributes(), table, ATTRIBUTE_COUNT));
}

TEST_F(PanelDisplay, FieldsDrawTextAndAttributes) {
    const uint8_t table[ATTRIBUTE_COUNT] = {0x1F, 0x07, 0x0F, 0x70, 0x8F, 0x87, 0, 7, 7, 7, 0, 0, 0};
    fullattr(table);
    con.fillChars('x', 80 * 25);
    PanelField panel[] = {
        Field(FLD_PROTECTED, 2, 3, 10, "abc", 0, 1, 3),             // short text
        Field(FLD_PROTECTED, 3, 1, 0, "never", 0, 2, 2),            // width 0
        Field(FLD_PROTECTED | FLD_NODISPLAY, 4, 1, 4, "hide", 0, 3, 2),
        Field(FLD_NOECHO, 5, 1, 4, "nope", 0, 4, 2),                // drawn at step 1
        Field(FLD_PROTECTED | FLD_LAST, 6, 78, 3, "end", 0, 5, 2),  // text ends at the edge
    };
    EXPECT_EQ(fullpanel(PNL_DISPLAY, panel), uint32_t(PNL_DISPLAY));
    EXPECT_EQ(con.rowText(1).substr(0, 14), "xxabcxxxxxxxxx");
    for (int x = 1; x < 14; ++x) EXPECT_EQ(con.attrAt(x, 1), x >= 2 && x < 12 ? 0x70 : 0) << x;
    EXPECT_EQ(con.rowText(2).substr(0, 1) + con.rowText(3).substr(0, 4) + con.rowText(4).substr(0, 4), "xxxxxnope");
    EXPECT_EQ(con.attrAt(0, 2), 0);
    EXPECT_EQ(con.rowText(5).substr(77), "end");

    // From the second call on, NOECHO fields are not drawn: one character
    // call and one attribute call per field drawn.
    con.charWrites = con.attrWrites = 0;
    fullpanel(PNL_DISPLAY, panel);
    EXPECT_EQ(std::pair(con.charWrites, con.attrWrites), std::pair(3, 3));

    fullpanel(PNL_CLEAR | PNL_DISPLAY, panel);  // cleared with entry 0 of the table
    EXPECT_EQ(con.attrAt(79, 24), 0x1F);
    EXPECT_EQ(con.rowText(1).substr(0, 6), "  abc ");
}

TEST_F(PanelDisplay, ScrollOffsetsBottomRowsWindowAndFind) {
    PanelField panel[] = {Field(0, 1, 1, 4, "0123456789"), Field(FLD_PROTECTED | FLD_LAST, 2, 1, 4, "abcdefgh")};
    panel[0].scrollOffset = 3;
    panel[1].scrollOffset = 2;
    fullpanel(PNL_KEEPOFFSET | PNL_DISPLAY, panel);
    EXPECT_EQ(con.rowText(0).substr(0, 4) + con.rowText(1).substr(0, 4), "3456cdef");
    EXPECT_EQ(fullpanel(0, panel), 0u);  // even a call with no other flag resets them
    EXPECT_EQ(panel[0].scrollOffset + panel[1].scrollOffset, 0);

    // An offset near or past the end shows only the bytes that exist.
    for (auto [offset, shown] : {std::pair<uint16_t, const char*>{6, "ghxxx"}, {40, "xxxxx"}}) {
        con.fillChars('x', 80 * 25);
        panel[1].scrollOffset = offset;
        fullpanel(PNL_KEEPOFFSET | PNL_DISPLAY, panel);
        EXPECT_EQ(con.rowText(1).substr(0, 5), shown);
        EXPECT_EQ(con.attrAt(3, 1), 0x07);
    }

    // Bottom rows follow the window's height; a window scrolled down the
    // buffer is moved back with its size kept; a failed window check stops
    // fullpanel before anything is reset.
    PanelField bottom[] = {Field(FLD_PROTECTED | FLD_BOTTOM, 0, 1, 4, "last"),
                           Field(FLD_PROTECTED | FLD_BOTTOM | FLD_LAST, 1, 1, 5, "above")};
    con.resize(80, 40);
    fullpanel(PNL_DISPLAY, bottom);
    EXPECT_EQ(fullrow(bottom[0]), 40);
    EXPECT_EQ(con.rowText(39).substr(0, 4) + con.rowText(38).substr(0, 5), "lastabove");
    con.resize(80, 60);
    con.window = Rect{0, 20, 79, 44};
    fullpanel(PNL_DISPLAY, bottom);
    EXPECT_EQ((std::pair<int, int>(con.window.top, con.window.bottom)), std::pair(0, 24));
    con.window = Rect{0, 5, 79, 29};
    con.refuseWindow = true;
    bottom[0].scrollOffset = 1;
    EXPECT_EQ(fullpanel(PNL_DISPLAY, bottom), 0u);
    EXPECT_EQ(bottom[0].scrollOffset, 1);

    // fullfind compares all 32 bits of the number, up to the last field.
    PanelField found[] = {Field(FLD_PROTECTED, 1, 1, 1, "a", 0, 0), Field(FLD_PROTECTED, 1, 2, 1, "b", 0, 7),
                          Field(FLD_PROTECTED, 1, 3, 1, "c", 0, 7), Field(FLD_PROTECTED | FLD_LAST, 1, 4, 1, "d", 0, 9)};
    for (auto [number, index] : {std::pair{0, 0}, {7, 1}, {9, 3}, {3, -1}, {0x10007, -1}})
        EXPECT_EQ(fullfind(found, number), index < 0 ? nullptr : &found[index]) << number;
}

// want: padded with blanks to the length.
struct EditCase {
    const char* name; std::string text; uint16_t length, width, offset; uint32_t flags;
    std::vector<Step> keys; std::string want; int pos, wantOffset, result, tones;
};

const std::string kWords = "one two  three";

// Each case edits one input field at column 11 of row 5.
const EditCase kCases[] = {
    {"full field in overwrite", "", 5, 5, 0, 0, {T("abcdef")}, "abcde", 5, 0, 0, 1},
    {"insert into a full field", "abcdefghij", 10, 10, 0, 0, {INS, T("X")}, "abcdefghij", 0, 0, 0, 1},
    {"insert over a NUL last byte", std::string("abcd\0", 5), 5, 5, 0, 0, {INS, T("X")}, "Xabcd", 1, 0, 0, 0},
    {"caps flag", "", 10, 10, 0, 0, {CAPS, T("ab1;")}, "AB1;", 4, 0, 0, 0},
    {"high and control bytes", "", 10, 10, 0, 0, {T("\xe9\x03")}, "\xE9\x03", 2, 0, 0, 0},
    {"typing scrolls the text", "", 10, 5, 0, 0, {T("abcdefghijk")}, "abcdefghij", 5, 5, 0, 1},
    {"Esc clears", "abc", 10, 10, 0, PNL_ESCCLEAR, {RIGHT, RIGHT, ESC}, "", 0, 0, 0, 0},
    {"Esc ends", "abc", 10, 10, 0, PNL_ESCEND | PNL_ESCCLEAR, {ESC, T("z")}, "abc", 0, 0, 27, 0},
    {"Insert scan code alone", "abc", 10, 10, 0, 0, {RIGHT, Key(SCAN_INSERT), T("Z")}, "aZc", 2, 0, 0, 0},
    {"backspace at the start", "abc", 10, 10, 0, 0, {BS}, "abc", 0, 0, 0, 1},
    {"backspace", "abcd", 10, 10, 0, 0, {RIGHT, RIGHT, BS}, "acd", 1, 0, 0, 0},
    {"backspace in a scrolled field", "abcdefgh", 20, 5, 3, 0, {BS}, "abdefgh", 0, 2, 0, 0},
    {"backspace beyond the text", "abcde", 5, 10, 0, 0, {Times(RIGHT, 7), BS}, "abcde", 6, 0, 0, 0},
    {"delete past the end", "abcde", 5, 10, 0, 0, {Times(RIGHT, 5), DEL}, "abcde", 5, 0, 0, 1},
    {"Home", "abcdefgh", 20, 5, 4, 0, {RIGHT, HOME}, "abcdefgh", 0, 0, 0, 0},
    {"erase to end", "abcdef", 10, 10, 0, 0, {RIGHT, RIGHT, CEND}, "ab", 2, 0, 0, 0},
    {"End of a long text", "abcdefghij", 20, 5, 0, 0, {END}, "abcdefghij", 5, 5, 0, 0},
    {"Left scrolls back", "abcdefgh", 20, 5, 2, 0, {LEFT}, "abcdefgh", 0, 1, 0, 0},
    {"Right scrolls to the end", "", 80, 58, 0, 0, {Times(RIGHT, 79)}, "", 57, 22, 0, 0},
    {"Right in a wide field", "ab", 2, 6, 0, 0, {Times(RIGHT, 5), T("x")}, "ab", 5, 0, 0, 1},
    {"Shift+Tab to the start", "abc", 20, 5, 3, 0, {RIGHT, RIGHT, BTAB}, "abc", 0, 3, 0, 0},
    {"word left at the start", kWords, 20, 20, 0, 0, {CLEFT}, kWords, 0, 0, 0, 1},
    {"word left after the text", kWords, 20, 20, 0, 0, {Times(RIGHT, 17), CLEFT}, kWords, 9, 0, 0, 0},
    {"word left scrolls back", kWords, 20, 5, 9, 0, {CLEFT}, kWords, 0, 4, 0, 0},
    {"word right at the end", kWords, 20, 20, 0, 0, {Times(CRIGHT, 4)}, kWords, 14, 0, 0, 1},
    {"word right scrolls", kWords, 20, 5, 0, 0, {CRIGHT, CRIGHT}, kWords, 5, 4, 0, 0},
    {"word right in an empty field", "", 20, 5, 0, 0, {CRIGHT}, "", 0, 0, 0, 1},
};

using PanelEditor = PanelTest;

TEST_F(PanelEditor, KeysWithinOneField) {
    for (const EditCase& c : kCases) {
        SCOPED_TRACE(c.name);
        MemoryConsole local;
        fullconsole(&local), fullreset();
        PanelField panel[] = {Field(FLD_PROTECTED, 5, 1, 6, "Input:"), Field(FLD_LAST, 5, 11, c.width, c.text, c.length)};
        panel[1].scrollOffset = c.offset;
        Script(local, c.keys);
        EXPECT_EQ(fullpanel(PNL_DISPLAY | PNL_INPUT | PNL_KEEPOFFSET | c.flags, panel), uint32_t(c.result));
        const std::string text = Text(panel[1]);
        EXPECT_EQ(text, c.want + std::string(c.length - c.want.size(), ' '));
        EXPECT_EQ(std::tuple(local.cursor.x - 10, local.cursor.y, int(panel[1].scrollOffset), local.tones),
                  std::tuple(c.pos, 4, c.wantOffset, c.tones));
        // The screen shows the text from the offset, as far as the text goes.
        size_t shown = size_t(std::min<int>(c.width, c.length - panel[1].scrollOffset));
        EXPECT_EQ(local.rowText(4).substr(10, shown), text.substr(panel[1].scrollOffset, shown));
    }
}

TEST_F(PanelEditor, RepeatsRedrawOnceAndSilentMeansNoTone) {
    PanelField f = Field(FLD_LAST, 1, 1, 10, "", 10);
    Script(con, {Held('x', 3), Times(BS, 4)});  // the fourth at the start: an error
    EXPECT_EQ(fullpanel(PNL_INPUT | PNL_SILENT, &f), 0u);
    EXPECT_EQ(con.tones, 0);
    EXPECT_EQ(con.charWrites, 4);  // three typed at once, three deletes
    EXPECT_EQ(Text(f), std::string(10, ' '));

    // A field that fills up part way through a repeat shows what was typed.
    PanelField g = Field(FLD_LAST, 1, 1, 5, "", 5);
    Script(con, {Held('y', 9)});
    fullpanel(PNL_INPUT, &g);
    EXPECT_EQ(con.rowText(0).substr(0, 5), "yyyyy");
    EXPECT_EQ(con.tones, 1);
}

TEST_F(PanelEditor, CursorMovesBetweenFieldsAndRows) {
    PanelField panel[] = {
        Field(FLD_PROTECTED, 1, 1, 5, "Name:"),        Field(FLD_AUTOSKIP, 1, 10, 3, "", 3),
        Field(0, 1, 20, 5, "bbbbb"),                   Field(FLD_PROTECTED, 2, 1, 5, "Note:"),
        Field(FLD_CURSOR | FLD_AUTOSKIP, 2, 10, 3, "", 3), Field(FLD_PROTECTED | FLD_LAST, 3, 1, 3, "end"),
    };
    ExpectMoves(panel, {
        {{}, 9, 1},            {{T("\t")}, 9, 0},           // FLD_CURSOR starts the edit; Tab wraps to the first input
        {{BTAB}, 19, 0},       {{T("ab"), BTAB}, 9, 1},     // previous, skipping labels; first back to the start
        {{T("xyz")}, 9, 0},    {{T("\txyz")}, 19, 0},       // autoskip wraps to the first; to the next
        {{T("\txy"), Held('z', 5)}, 19, 0},                 // the rest of the repeat dropped
        {{Key(SCAN_CTRL_HOME)}, 9, 0},                      // Ctrl+Home by its BIOS code
        {{Times(RIGHT, 3)}, 9, 0}, {{T("\t"), LEFT}, 9, 1}, // off the end: next field; off the start: previous
    });
    EXPECT_EQ(Text(panel[1]) + Text(panel[2]) + Text(panel[4]), "xyzbbbbbxyz");

    // Up and Down follow the column. Row 2: A at 10, B at 30; row 4: C at
    // 10, a label under B, D at 50; row 6: E at 30, G at 50 (narrower than D).
    PanelField rows[] = {
        Field(FLD_PROTECTED, 2, 1, 5, "Name:"), Field(0, 2, 10, 10, "", 10), Field(0, 2, 30, 10, "", 10),
        Field(FLD_PROTECTED, 4, 30, 3, "Lbl"),  Field(0, 4, 10, 10, "", 10), Field(0, 4, 50, 5, "", 5),
        Field(0, 6, 30, 10, "", 10),            Field(FLD_LAST, 6, 50, 2, "", 2),
    };
    ExpectMoves(rows, {
        {{UP}, 49, 5}, {{Times(RIGHT, 3), DOWN}, 12, 3},  // first row wraps to the last; same column keeps the cell
        {{T("\t"), Times(RIGHT, 2), DOWN}, 9, 3},         // under a label: the row's first
        {{T("\t\t\t\t"), Times(RIGHT, 2), DOWN}, 31, 1},   // the last row wraps
        {{T("\t\t\t\t"), UP}, 49, 3}, {{T("\t\t"), DOWN}, 29, 5},  // to a row without the column; no field in it
        {{T("\t\t\t"), Times(RIGHT, 4), DOWN}, 51, 5}, {{ENTER}, 9, 3},  // within a narrower field; Enter: next row
    });

    // Rows compare as drawn: a bottom field with row 0 shares row 25.
    PanelField one[] = {Field(0, 25, 5, 5, "", 5), Field(FLD_PROTECTED, 25, 12, 3, "to:"),
                        Field(FLD_BOTTOM | FLD_LAST, 0, 20, 5, "", 5)};
    // Down falls back to the row's first field, Up to the first input field;
    // with no next row Enter goes to this field's start.
    ExpectMoves(one, {{{T("\t"), DOWN}, 4, 24}, {{T("\t"), UP}, 4, 24}, {{RIGHT, RIGHT, ENTER}, 4, 24}, {{T("\t")}, 19, 24}});

    // A NOECHO field is neither shown nor given the cursor.
    PanelField secret[] = {Field(FLD_NOECHO, 1, 1, 8, "", 8), Field(FLD_LAST, 2, 1, 8, "", 8)};
    con.cursor = {70, 20};
    ExpectMoves(secret, {{{T("secret")}, 70, 20}}, PNL_DISPLAY | PNL_INPUT);
    EXPECT_EQ(Text(secret[0]), "secret  ");
    EXPECT_EQ(con.rowText(0).substr(0, 8), std::string(8, ' '));
    ExpectMoves(secret, {{{T("\tok")}, 2, 1}});
    EXPECT_EQ(con.rowText(1).substr(0, 8), "ok      ");
}

TEST(PanelTextEnd, CountsUpToTheLastNonBlank) {
    const std::pair<std::string, int> cases[] = {{"", 0}, {"    ", 0}, {std::string("\0\0 ", 3), 0}, {"ab  ", 2},
                                                 {std::string("a\0b\0", 4), 3}, {"abcd", 4}, {" x", 2}};
    for (auto [text, end] : cases) {
        PanelField f{0, 0, 0, 1, 1, 4, 0, uint16_t(text.size()), reinterpret_cast<uint8_t*>(text.data())};
        EXPECT_EQ(fulltextend(f), end) << text;
    }
}

using PanelInput = PanelTest;

struct KeyRead { int32_t ch, scan, repeat; bool operator==(const KeyRead&) const = default; };
std::ostream& operator<<(std::ostream& o, const KeyRead& k) { return o << k.ch << "/" << k.scan << "/" << k.repeat; }
KeyRead ReadKey() { KeyRead k{-99, -99, -99}; fullkey(k.ch, k.scan, k.repeat); return k; }

TEST_F(PanelInput, KeyReaderMapsAndDropsEvents) {
    ConsoleState* st = fullinit();
    ASSERT_NE(st, nullptr);
    con.keyUp(SCAN_A, 'a', 'A');                    // dropped: a release, a mouse event, a paste,
    con.mouse(1, 1, FROM_LEFT_1ST_BUTTON_PRESSED);  // lone Shift, Ctrl and Alt
    con.paste("xyz");
    Script(con, {Key(SCAN_SHIFT, 0, SHIFT_PRESSED, VKEY_SHIFT), Key(SCAN_CONTROL, 0, LEFT_CTRL_PRESSED, VKEY_CONTROL),
                 Key(SCAN_ALT, 0, LEFT_ALT_PRESSED, VKEY_ALT)});
    // Insert and Caps Lock are taken by the reader: they flip the modes.
    Script(con, {INS, CAPS, INS, CAPS, INS});
    // Ctrl+Left, Ctrl+End, Shift+Tab and Tab as the editor's cases above read them.
    const std::pair<Step, KeyRead> cases[] = {
        {Held('a', 4), {'a', SCAN_A, 4}},
        {Key(SCAN_RIGHT, 0, RIGHT_CTRL_PRESSED, VKEY_RIGHT), {0, SCAN_CTRL_RIGHT, 1}},  // BIOS codes
        {T("\033[1;5H"), {0, SCAN_CTRL_HOME, 1}},
        {T("\033[1;5A"), {0, SCAN_UP, 1}},  // Ctrl+Up: none, stays
        {T("\xe9"), {-23, 0, 1}},  // a byte from 128 up
    };
    for (const auto& [step, want] : cases) step(con);
    for (const auto& [step, want] : cases) EXPECT_EQ(ReadKey(), want);
    EXPECT_EQ(std::pair(st->insertMode, st->capsFlag), std::pair(1u, 0u));
    EXPECT_EQ(con.cursorSizes, (std::vector<int>{60, 10, 60}));
    // A failed read gives 0 and 0 and keeps the console's error code.
    con.failCode = EIO;
    KeyRead end = ReadKey();
    EXPECT_EQ(end.ch + end.scan, 0);
    EXPECT_EQ(st->lastError, uint32_t(EIO));
}

// The help's wait on the real terminal proves Enter, Esc and F3 ending it
// and any key with PNL_ANYKEYEND; here: letters and Esc without its flag ignored, keys pressed
// before the wait flushed, pastes during it handed back in order.
TEST_F(PanelInput, WaitEndsOnlyOnItsKeys) {
    PanelField labels[] = {Field(FLD_PROTECTED, 1, 1, 5, "Help "), Field(FLD_PROTECTED | FLD_LAST, 2, 1, 5, "text ")};
    con.key(SCAN_F1);  // pressed before the wait
    con.later();
    con.text("ab 1\x1b");
    con.paste("p1"), con.paste("p2");
    con.key(SCAN_PGDN);
    con.key(SCAN_F2);  // must still be there afterwards
    EXPECT_EQ(fullpanel(PNL_INPUT | PNL_DISPLAY, labels), uint32_t(SCAN_PGDN));
    ASSERT_EQ(con.input.size(), 3u);
    EXPECT_EQ(con.input[0].text + con.input[1].text + std::to_string(con.input[2].scanCode), "p1p2" + std::to_string(SCAN_F2));
    EXPECT_TRUE(con.cursorSizes.empty());  // the cursor is never placed or resized
    EXPECT_EQ(con.cursor.x, 0);
    con.input.clear();
    con.later();
    con.text("q");
    EXPECT_EQ(fullpanel(PNL_INPUT | PNL_ANYKEYEND, labels), uint32_t('q'));  // when any key ends it
    EXPECT_EQ(fullpanel(PNL_INPUT | PNL_ESCEND, labels), 0u);  // a failed read ends it with 0
}

TEST_F(PanelInput, PushAndResetHandTheConsoleBack) {
    ConsoleState* st = fullinit();
    ASSERT_NE(st, nullptr);
    EXPECT_EQ(fullpush(), 0);  // insert mode off: nothing pushed
    EXPECT_TRUE(con.input.empty());

    Script(con, {INS, F1});
    ReadKey();
    st->initialAttribute = 0x1E;
    con.text("q");
    PanelField f = Field(FLD_PROTECTED | FLD_LAST, 1, 1, 4, "text");
    EXPECT_EQ(fullpanel(PNL_DISPLAY | PNL_RESET, &f), uint32_t(PNL_DISPLAY | PNL_RESET));
    ASSERT_EQ(con.input.size(), 2u);
    const InputRecord& r = con.input.front();  // an Insert release, in front of the queue
    EXPECT_EQ(std::tuple(r.eventType, r.keyDown, r.virtualKey, r.scanCode, r.ch),
              std::tuple(KEY_EVENT, false, uint16_t(VKEY_INSERT), uint16_t(SCAN_INSERT), uint8_t(0)));
    EXPECT_EQ(con.cursorSize, 10);
    EXPECT_EQ(st->insertMode, 1u);  // the mode itself stays
    EXPECT_EQ(con.rowText(0), std::string(80, ' '));
    EXPECT_EQ(con.attrAt(40, 12), 0x1E);
    EXPECT_EQ(ReadKey().scan, SCAN_Q);  // the pushed release is no key for the reader
}

}  // namespace
}  // namespace pk
