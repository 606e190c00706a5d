// The console layer's pure parts, shared by both consoles: typed bytes decoded
// as the terminal decodes them (the table shared with the end-to-end key test),
// other terminals' key strings, cut and malformed input, mouse reports, double
// clicks, the grid's clipping, glyphs without UTF-8, eight and no colours, and
// the frame re-printed at exit.
#include <gtest/gtest.h>

#include <optional>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "key_cases.h"
#include "panel/cell_glyphs.h"
#include "panel/frame_text.h"
#include "panel/input_decoder.h"
#include "panel/memory_console.h"

namespace pk {
namespace {

InputRecord Paste(std::string text) { InputRecord r; r.eventType = PASTE_EVENT, r.text = std::move(text); return r; }

// Every field of each record, one a line, for comparing and for reading a failure.
std::string Show(const auto& records) {
    std::string shown;
    for (const InputRecord& r : records) {
        char buf[160];
        snprintf(buf, sizeof buf, "type %u down %d repeat %u vk %02X scan %02X ch %02X state %X at %d,%d b %X f %X ",
                 r.eventType, r.keyDown, r.repeatCount, r.virtualKey, r.scanCode, r.ch, unsigned(r.controlState),
                 r.position.x, r.position.y, unsigned(r.buttonState), unsigned(r.eventFlags));
        shown += buf + r.text + "\n";
    }
    return shown;
}

std::vector<InputRecord> WithAlt(std::vector<InputRecord> v) { for (auto& r : v) r.controlState |= LEFT_ALT_PRESSED; return v; }

TEST(ConsoleInput, TypedBytesGiveTheRecordsTheTerminalGives) {
    for (const pktest::KeyCase& c : pktest::KeyCases()) {
        MemoryConsole con;
        con.text(c.bytes);
        std::vector<InputRecord> want;
        for (const pktest::KeyRecord& k : c.records) want.push_back(MakeKey(k.vk, k.scan, k.ch, k.state));
        EXPECT_EQ(Show(con.input), Show(want)) << testing::PrintToString(c.bytes);
    }
}

TEST(ConsoleInput, CutSequencesMouseReportsAndPastes) {
    const InputRecord f1 = MakeKey(VKEY_F1, SCAN_F1, 0, 0);
    const InputRecord q = MakeKey('Q', SCAN_Q, 'q', 0);
    const std::string digits20 = "12345678901234567890";
    const std::pair<std::string, std::vector<InputRecord>> cases[] = {
        // Malformed or over-long sequences are dropped whole, to their final byte.
        {"\033[<" + std::string(40, '9') + ";1;1Mq", {q}},
        {"\033[<0;" + digits20 + ";" + digits20 + "Mq", {q}},
        {"\033[<0;1;1Xq", {q}},
        {"\033[" + std::string(100, '1') + "Aq", {q}},
        {"\033[1\033q", WithAlt({q})},  // Esc cuts a sequence short and counts
        {"\033O2P", {MakeKey(VKEY_F1, SCAN_F1, 0, SHIFT_PRESSED)}},  // a key string no reader took whole
        {"\033[200~a\033[200~b\033[201~q", {Paste("ab"), q}},  // a nested begin marker is dropped
        {"\033[200~" + std::string(300, 'p') + "\033[201~q", {Paste(std::string(PASTE_KEPT, 'p')), q}},
        {"\033[200~ab\033[20", {Paste("ab\033[20")}},  // a marker that never came is text
        {"\033[", WithAlt(DecodeTyped("["))},  // Esc and [ or O with nothing after: Alt+[, Alt+O
        {"\033O", WithAlt(DecodeTyped("O"))},
        {"\033\033", WithAlt(DecodeTyped("\033"))},
        {"\033\xc3\xa9", WithAlt(DecodeTyped("\xc3\xa9"))},  // Alt on every byte of a character
        {"\033[1\033OP", {f1}},                              // a key cuts a sequence short and counts
        {"\033[<0;5\033OP", {f1}},                           // and a mouse report
        {"\033[200~a\033OP\033[<\xc3\xa9\033[201~q", {Paste("a\033OP\033[<\xc3\xa9"), MakeKey('Q', SCAN_Q, 'q', 0)}},
        {"\033[200~cut", {Paste("cut")}},  // a paste whose end never comes ends at the pause
        {"\033[201~", {}},
    };
    for (const auto& [bytes, want] : cases) EXPECT_EQ(Show(DecodeTyped(bytes)), Show(want)) << testing::PrintToString(bytes);

    // A paste read in blocks: a marker cut between two, and what follows
    // its end left to the reader.
    InputDecoder decoder;
    std::deque<InputRecord> out;
    decoder.feed(InputUnit{InputUnit::PasteBegin, kPasteBegin, {}}, 0, out);
    EXPECT_EQ(decoder.feedPaste("ab\033[2", out), 5u);
    EXPECT_EQ(decoder.feedPaste("01~q", out), 3u);
    EXPECT_EQ(Show(out), Show(std::vector{Paste("ab")}));
    EXPECT_TRUE(decoder.idle());
}

TEST(ConsoleInput, KeyStringsOfOtherTerminalsAndMalformedOnes) {
    using Want = std::optional<pktest::KeyRecord>;
    const uint32_t all = SHIFT_PRESSED | LEFT_ALT_PRESSED | LEFT_CTRL_PRESSED;
    const std::pair<const char*, Want> cases[] = {
        {"\033[1;9A", Want({VKEY_UP, SCAN_UP, 0, LEFT_ALT_PRESSED})},  // Meta counts as Alt
        {"\033O2P", Want({VKEY_F1, SCAN_F1, 0, SHIFT_PRESSED})},       // old xterm: modifier after SS3
        {"\033[[E", Want({VKEY_F5, SCAN_F5, 0, 0})},                   // Linux console F5
        {"\033[7~", Want({VKEY_HOME, SCAN_HOME, 0, 0})},               // rxvt Home
        {"\033[15;8~", Want({VKEY_F5, SCAN_F5, 0, all})},
        {"\033OM", Want({VKEY_RETURN, SCAN_RETURN, '\r', 0})},  // keypad Enter
        {"\033[97;5u", Want({'A', SCAN_A, 0x01, LEFT_CTRL_PRESSED})},
        {"\033[99~", {}}, {"\033[2;5H", {}}, {"\033[<0;1;1M", {}}, {"\033[200~", {}}, {"\033[", {}},
        {"\033x", {}},    {"ab", {}},        {"\033[1;5", {}},     {"\033[a;5H", {}},
    };
    for (auto [seq, want] : cases) {
        InputRecord r;
        const std::string got = DecodeKeySequence(seq, r) ? Show(std::span(&r, 1)) : "none";
        EXPECT_EQ(got, want ? Show(std::vector{MakeKey(want->vk, want->scan, want->ch, want->state)}) : "none") << seq + 1;
    }
    InputRecord r;
    for (const std::string& s : XtermKeySequences()) EXPECT_TRUE(DecodeKeySequence(s, r)) << s.substr(1);
}

// Both consoles write through the same grid: off-grid writes and negative
// counts fail alike, and a write is cut at the edge.
TEST(CellGrid, WritesAreClippedAndBadOnesRefused) {
    MemoryConsole con(10, 3);
    const uint8_t text[4] = {'a', 'b', 'c', 'd'};
    const uint16_t attrs[4] = {0x1F, 0x1F, 0x1F, 0x1F};
    const Cell block[4] = {{'w', 0, 0x70}, {'x', 0, 0x70}, {'y', 0, 0x70}, {'z', 0, 0x70}};
    Cell read[4];
    struct Case { const char* what; bool ok; };
    const Case cases[] = {
        {"chars cut at the edge", con.writeChars({8, 0}, text, 4)},
        {"attrs cut at the edge", con.writeAttrs({9, 0}, attrs, 4)},
        {"nothing", con.writeChars({0, 0}, text, 0)},
        {"a block partly outside", con.writeCells(block, {2, 2}, {-1, 1, 0, 2})},
        {"!left of the grid", con.writeChars({-1, 0}, text, 1)},
        {"!right of the grid", con.writeAttrs({10, 0}, attrs, 1)},
        {"!below the grid", con.writeChars({0, 3}, text, 1)},
        {"!a negative count", con.writeChars({0, 0}, text, -1)},
        {"!a negative fill", con.fillAttrs(0x07, -1)},
        {"!a block outside", con.writeCells(block, {2, 2}, {10, 0, 11, 1})},
        {"!a read outside", con.readCells(read, {2, 2}, {0, 3, 1, 4})},
    };
    for (const Case& c : cases) EXPECT_EQ(c.ok, c.what[0] != '!') << c.what;
    EXPECT_EQ(con.lastError(), EINVAL);
    const std::string none(8, '\0');
    EXPECT_EQ(con.rowText(0) + con.rowText(2), none + "ab" + "z" + none + '\0');
    EXPECT_EQ(std::tuple(con.attrAt(8, 0), con.attrAt(9, 0), con.attrAt(0, 1)), std::tuple(0, 0x1F, 0x70));
    con.resize(12, 2);  // a new size keeps what fits; new cells are empty
    EXPECT_EQ(con.rowText(0) + con.rowText(1), none + "ab" + std::string(2, '\0') + "x" + std::string(11, '\0'));
}

std::string SgrMouse(std::string_view params, char final) {
    InputRecord r;
    if (!DecodeSgrMouse(params, final, r)) return "none";
    char buf[80];
    snprintf(buf, sizeof buf, "%d %d %08X %X %X", r.position.x, r.position.y, unsigned(r.buttonState),
             unsigned(r.eventFlags), unsigned(r.controlState));
    return r.eventType == MOUSE_EVENT ? buf : "not a mouse event";
}

TEST(ConsoleInput, SgrMouseReportsAndDoubleClicks) {
    const std::tuple<const char*, char, const char*> cases[] = {
        {"1;5;6", 'M', "4 5 00000004 0 0"},          {"20;5;6", 'M', "4 5 00000001 0 18"},  // middle; Shift+Ctrl
        {"8;5;6", 'M', "4 5 00000001 0 2"},          {"66;5;6", 'M', "4 5 FF880000 8 0"},   // Alt; wheel left
        {"32;7;8", 'M', "6 7 00000001 1 0"},         {"0;99999;6", 'M', "32767 5 00000001 0 0"},  // motion; clamped
        {"64;5;6", 'm', "none"}, {"3;5;6", 'M', "none"}, {"0;0;6", 'M', "none"}, {"0;5", 'M', "none"},
        {"0;5;6;7", 'M', "none"}, {"0;x;6", 'M', "none"}, {"0;5;6", 'X', "none"},
    };
    for (auto [params, final, want] : cases) EXPECT_EQ(SgrMouse(params, final), want) << params << final;

    // A double click needs the same cell and button within 500 ms.
    const std::tuple<int16_t, uint32_t, int64_t, bool> steps[] = {  // cell, button, time, double
        {1, 1, 1000, false}, {1, 1, 1500, true},  // within 500 ms
        {1, 1, 1600, false}, {1, 1, 2101, false},  // a third press starts over; too late
        {2, 1, 2200, false}, {2, 2, 2300, false},  // another cell; another button
        {2, 2, 2400, true},  {2, 0, 2450, false},  // releases never count
    };
    ClickTracker tracker;
    for (auto [x, button, t, isDouble] : steps) {
        InputRecord r;
        r.eventType = MOUSE_EVENT;
        r.position = {x, 1};
        r.buttonState = button;
        tracker.apply(r, t);
        EXPECT_EQ((r.eventFlags & DOUBLE_CLICK) != 0, isDouble) << t;
    }
}

TEST(CellGlyphs, NoControlCharacterEverAndAsciiFallback) {
    for (int b = 0; b < 256; ++b) {
        char32_t g = Cp437Glyph(static_cast<uint8_t>(b));
        EXPECT_TRUE(g >= 0x20 && !(g >= 0x7F && g < 0xA0)) << b;
    }
    const std::tuple<uint8_t, char, bool> ascii[] = {{'x', 'x', false}, {0, ' ', false}, {0x1B, '?', false},
                                                     {0x82, '?', false}, {0xC4, 'q', true}, {0xDB, '0', true}};
    for (auto [byte, want, line] : ascii) {
        bool lineDrawing = !line;
        EXPECT_EQ(AsciiGlyph(byte, &lineDrawing), want) << int(byte);
        EXPECT_EQ(lineDrawing, line) << int(byte);
    }
}

// pair, bold, reverse, the pair's ANSI colours and the SGR of an attribute.
std::string Style(uint16_t attr, int colours) {
    CellStyle st = StyleFor(attr, colours);
    short fg = -1, bg = -1;
    bool known = PairColours(st.pair, colours, fg, bg);
    std::string s = std::to_string(st.pair) + (st.bold ? " bold" : "") + (st.reverse ? " reverse" : "");
    if (known) s.append(" ").append(std::to_string(fg)).append("/").append(std::to_string(bg));
    return s.append(" ").append(SgrFor(attr, colours).substr(2));
}

TEST(CellGlyphs, AttributesOnTerminalsWithFewerColours) {
    const std::tuple<uint16_t, int, const char*> cases[] = {
        {0xC1, 16, "193 4/9 0;34;101m"},  {0x0107, 16, "0 0m"},  // only the low byte counts; bold and reverse: end to end
        {0x1E, 8, "14 bold 3/4 0;1;33;44m"}, {0x87, 8, "0 0;37;40m"},      {0x08, 8, "7 bold 0/0 0;1;30;40m"},
        {0x1F, 0, "0 bold reverse 0;1;7m"},
    };
    for (auto [attr, colours, want] : cases) EXPECT_EQ(Style(attr, colours), want) << attr << "/" << colours;
    short fg, bg;
    EXPECT_FALSE(PairColours(64, 8, fg, bg));
    EXPECT_FALSE(PairColours(5, 0, fg, bg));
}

TEST(CellGlyphs, FrameTextTrimsAndColours) {
    CellGrid g;
    g.reset(6, 3);
    const uint8_t row0[] = {'H', 0x01, ' ', ' ', ' ', ' '};
    g.writeChars({0, 0}, row0, 6);
    const uint16_t blue[2] = {0x1F, 0x1F};
    g.writeAttrs({4, 1}, blue, 2);  // coloured blanks are kept
    EXPECT_EQ(FrameText(g, 3, 6, 16, true), "\033[0mH\u263A\033[0m\r\n"
                                            "\033[0m    \033[0;97;44m  \033[0m\r\n"
                                            "\033[0m\r\n");
    EXPECT_EQ(FrameText(g, 1, 1, 16, true), "\033[0mH\033[0m\r\n");  // a narrower terminal
    EXPECT_EQ(FrameText(g, 9, 6, 16, false).substr(0, 10), "\033[0mH?\033[0m");
}

}  // namespace
}  // namespace pk
