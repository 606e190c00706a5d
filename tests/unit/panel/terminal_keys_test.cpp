// The terminal console's pure parts: key and mouse decoding, glyphs and
// colours, the shadow grid and the frame re-printed at exit.
#include <gtest/gtest.h>

#include "panel/terminal_glyphs.h"
#include "panel/terminal_grid.h"
#include "panel/terminal_keys.h"
#include "panel/terminal_session.h"

namespace {

using namespace pk;

struct KeyWant {
    uint16_t vk, scan;
    uint8_t ch;
    uint32_t state;
};

void ExpectKey(const InputRecord& r, KeyWant w, const std::string& what) {
    EXPECT_EQ(r.eventType, KEY_EVENT) << what;
    EXPECT_TRUE(r.keyDown) << what;
    EXPECT_EQ(r.repeatCount, 1) << what;
    EXPECT_EQ(r.virtualKey, w.vk) << what;
    EXPECT_EQ(r.scanCode, w.scan) << what;
    EXPECT_EQ(r.ch, w.ch) << what;
    EXPECT_EQ(r.controlState, w.state) << what;
}

TEST(TerminalKeys, SequencesDecodeToRecords) {
    struct Case {
        std::string seq;
        KeyWant want;
    };
    const Case cases[] = {
        {"\033OP", {0x70, 0x3B, 0, 0}},          {"\033[24~", {0x7B, 0x58, 0, 0}},
        {"\033[1;2P", {0x70, 0x3B, 0, 0x10}},    {"\033[23;5~", {0x7A, 0x57, 0, 0x08}},
        {"\033[1;3S", {0x73, 0x3E, 0, 0x02}},    {"\033[15;8~", {0x74, 0x3F, 0, 0x1A}},
        {"\033[1;9A", {0x26, 0x48, 0, 0x02}},    // Meta counts as Alt
        {"\033O2P", {0x70, 0x3B, 0, 0x10}},      {"\033[[E", {0x74, 0x3F, 0, 0}},
        {"\033[A", {0x26, 0x48, 0, 0}},          {"\033OF", {0x23, 0x4F, 0, 0}},
        {"\033[1~", {0x24, 0x47, 0, 0}},         {"\033[7~", {0x24, 0x47, 0, 0}},
        {"\033[8~", {0x23, 0x4F, 0, 0}},         {"\033[5;5~", {0x21, 0x49, 0, 0x08}},
        {"\033[3;2~", {0x2E, 0x53, 0, 0x10}},    {"\033[2~", {0x2D, 0x52, 0, 0}},
        {"\033[Z", {0x09, 0x0F, 9, 0x10}},       {"\033OM", {0x0D, 0x1C, 13, 0}},
        {"\033[13;5u", {0x0D, 0x1C, 10, 0x08}},  {"\033[27;5;13~", {0x0D, 0x1C, 10, 0x08}},
        {"\033[13;2u", {0x0D, 0x1C, 13, 0x10}},  {"\033[97;5u", {0x41, 0x1E, 1, 0x08}},
        {"\x7f", {0x08, 0x0E, 8, 0}},            {"\x08", {0x08, 0x0E, 8, 0}},
    };
    for (const Case& c : cases) {
        InputRecord r;
        ASSERT_TRUE(DecodeKeySequence(c.seq, r)) << c.seq.substr(1);
        ExpectKey(r, c.want, c.seq.substr(1));
    }
    for (std::string bad : {"\033[99~", "\033[1;5X", "\033[2;5H", "\033[<0;1;1M", "\033[200~",
                            "\033[", "\033x", "ab", "\033[1;5", "\033[a;5H"}) {
        InputRecord r;
        EXPECT_FALSE(DecodeKeySequence(bad, r)) << bad.substr(1);
    }
}

TEST(TerminalKeys, EveryFallbackSequenceDecodes) {
    std::vector<std::string> seqs = XtermKeySequences();
    EXPECT_GT(seqs.size(), 200u);
    for (const std::string& s : seqs) {
        InputRecord r;
        EXPECT_TRUE(DecodeKeySequence(s, r)) << s.substr(1);
    }
}

TEST(TerminalKeys, BytesDecodeToRecords) {
    struct Case {
        uint8_t byte;
        KeyWant want;
    };
    const Case cases[] = {
        {13, {0x0D, 0x1C, 13, 0}},     {10, {0x4A, 0x24, 10, 0x08}},  {9, {0x09, 0x0F, 9, 0}},
        {27, {0x1B, 0x01, 27, 0}},     {0x7F, {0x08, 0x0E, 8, 0}},    {1, {0x41, 0x1E, 1, 0x08}},
        {3, {0x43, 0x2E, 3, 0x08}},    {22, {0x56, 0x2F, 22, 0x08}},  {26, {0x5A, 0x2C, 26, 0x08}},
        {0, {0, 0, 0, 0x08}},          {28, {0, 0, 28, 0x08}},        {31, {0, 0, 31, 0x08}},
        {'a', {0x41, 0x1E, 'a', 0}},   {'A', {0x41, 0x1E, 'A', 0}},   {'z', {0x5A, 0x2C, 'z', 0}},
        {'0', {0x30, 0x0B, '0', 0}},   {'!', {0, 0x02, '!', 0}},      {' ', {0, 0x39, ' ', 0}},
        {'~', {0, 0x29, '~', 0}},      {'|', {0, 0x2B, '|', 0}},      {'?', {0, 0x35, '?', 0}},
        {'p', {0x50, 0x19, 'p', 0}},   {'m', {0x4D, 0x32, 'm', 0}},   {'=', {0, 0x0D, '=', 0}},
        {0xC3, {0, 0, 0xC3, 0}},       {0xFF, {0, 0, 0xFF, 0}},
    };
    for (const Case& c : cases) ExpectKey(KeyFromByte(c.byte), c.want, std::to_string(c.byte));
}

TEST(TerminalKeys, SgrMouseReports) {
    struct Case {
        std::string params;
        char final;
        bool ok;
        int16_t x, y;
        uint32_t buttons, flags, state;
    };
    const Case cases[] = {
        {"0;1;1", 'M', true, 0, 0, 1, 0, 0},
        {"0;300;50", 'm', true, 299, 49, 0, 0, 0},
        {"2;5;6", 'M', true, 4, 5, 2, 0, 0},
        {"1;5;6", 'M', true, 4, 5, 4, 0, 0},
        {"20;5;6", 'M', true, 4, 5, 1, 0, 0x18},
        {"8;5;6", 'M', true, 4, 5, 1, 0, 0x02},
        {"64;5;6", 'M', true, 4, 5, 0x00780000, MOUSE_WHEELED, 0},
        {"65;5;6", 'M', true, 4, 5, 0xFF880000, MOUSE_WHEELED, 0},
        {"66;5;6", 'M', true, 4, 5, 0xFF880000, MOUSE_HWHEELED, 0},
        {"67;5;6", 'M', true, 4, 5, 0x00780000, MOUSE_HWHEELED, 0},
        {"32;7;8", 'M', true, 6, 7, 1, MOUSE_MOVED, 0},
        {"35;7;8", 'M', true, 6, 7, 0, MOUSE_MOVED, 0},
        {"64;5;6", 'm', false, 0, 0, 0, 0, 0},
        {"3;5;6", 'M', false, 0, 0, 0, 0, 0},
        {"0;0;6", 'M', false, 0, 0, 0, 0, 0},
        {"0;5", 'M', false, 0, 0, 0, 0, 0},
        {"0;5;6;7", 'M', false, 0, 0, 0, 0, 0},
        {"0;x;6", 'M', false, 0, 0, 0, 0, 0},
        {"0;5;6", 'X', false, 0, 0, 0, 0, 0},
        {"0;99999;6", 'M', true, 0x7FFF, 5, 1, 0, 0},
    };
    for (const Case& c : cases) {
        InputRecord r;
        ASSERT_EQ(DecodeSgrMouse(c.params, c.final, r), c.ok) << c.params << c.final;
        if (!c.ok) continue;
        EXPECT_EQ(r.eventType, MOUSE_EVENT);
        EXPECT_EQ(r.position.x, c.x) << c.params;
        EXPECT_EQ(r.position.y, c.y) << c.params;
        EXPECT_EQ(r.buttonState, c.buttons) << c.params;
        EXPECT_EQ(r.eventFlags, c.flags) << c.params;
        EXPECT_EQ(r.controlState, c.state) << c.params;
    }
}

TEST(TerminalKeys, DoubleClicksNeedTheSameCellButtonAndTime) {
    auto press = [](int x, int y, uint32_t button) {
        InputRecord r;
        r.eventType = MOUSE_EVENT;
        r.position = {static_cast<int16_t>(x), static_cast<int16_t>(y)};
        r.buttonState = button;
        return r;
    };
    struct Step {
        int x, y;
        uint32_t button;
        int64_t t;
        bool isDouble;
    };
    const Step steps[] = {
        {1, 1, 1, 1000, false}, {1, 1, 1, 1500, true},   // within 500 ms
        {1, 1, 1, 1600, false},                          // a third press starts over
        {1, 1, 1, 2101, false},                          // too late: a new first press
        {2, 1, 1, 2200, false},                          // another cell
        {2, 1, 2, 2300, false},                          // another button
        {2, 1, 2, 2400, true},
    };
    ClickTracker tracker;
    for (const Step& s : steps) {
        InputRecord r = press(s.x, s.y, s.button);
        tracker.apply(r, s.t);
        EXPECT_EQ((r.eventFlags & DOUBLE_CLICK) != 0, s.isDouble) << s.t;
    }
    InputRecord release = press(2, 1, 0);  // releases and wheels never count
    tracker.apply(release, 2450);
    EXPECT_EQ(release.eventFlags, 0u);
}

TEST(TerminalGlyphs, CodePage437AndFallback) {
    const std::pair<uint8_t, char32_t> glyphs[] = {
        {0x00, U' '}, {0x01, U'\u263A'}, {0x07, U'\u2022'}, {0x1B, U'\u2190'}, {0x41, U'A'},
        {0x7F, U'\u2302'}, {0x80, U'\u00C7'}, {0x9B, U'\u00A2'}, {0xB3, U'\u2502'},
        {0xC9, U'\u2554'}, {0xDB, U'\u2588'}, {0xE1, U'\u00DF'}, {0xFF, U'\u00A0'}};
    for (auto [byte, want] : glyphs) EXPECT_EQ(Cp437Glyph(byte), want) << int(byte);
    for (int b = 0; b < 256; ++b) {
        char32_t g = Cp437Glyph(static_cast<uint8_t>(b));
        EXPECT_TRUE(g >= 0x20 && !(g >= 0x7F && g < 0xA0)) << b;  // never a control character
    }
    const std::tuple<uint8_t, char, bool> ascii[] = {
        {'x', 'x', false}, {0, ' ', false}, {0x1B, '?', false}, {0x82, '?', false},
        {0xC4, 'q', true}, {0xCD, 'q', true}, {0xBA, 'x', true}, {0xC9, 'l', true},
        {0xB1, 'a', true}, {0xDB, '0', true}, {0xDF, '?', false}};
    for (auto [byte, want, line] : ascii) {
        bool lineDrawing = !line;
        EXPECT_EQ(AsciiGlyph(byte, &lineDrawing), want) << int(byte);
        EXPECT_EQ(lineDrawing, line) << int(byte);
    }
}

TEST(TerminalGlyphs, AttributesToColours) {
    struct Case {
        uint16_t attr;
        int colours;
        short pair;
        bool bold, reverse;
        short fg, bg;  // ANSI colours of the pair (when pair != 0)
        const char* sgr;
    };
    const Case cases[] = {
        {0x07, 16, 0, false, false, 0, 0, "\033[0m"},
        {0x0F, 16, 0, true, false, 0, 0, "\033[0;1m"},
        {0x70, 16, 0, false, true, 0, 0, "\033[0;7m"},
        {0x00, 16, 7, false, false, 0, 0, "\033[0;30;40m"},
        {0x1F, 16, 0x1F, false, false, 15, 4, "\033[0;97;44m"},
        {0x1E, 16, 0x1E, false, false, 11, 4, "\033[0;93;44m"},
        {0x4F, 16, 0x4F, false, false, 15, 1, "\033[0;97;41m"},
        {0xC1, 16, 0xC1, false, false, 4, 9, "\033[0;34;101m"},
        {0x0107, 16, 0, false, false, 0, 0, "\033[0m"},  // only the low byte counts
        {0x1E, 8, 1 * 8 + 6, true, false, 3, 4, "\033[0;1;33;44m"},
        {0x87, 8, 0, false, false, 0, 0, "\033[0;37;40m"},
        {0x08, 8, 7, true, false, 0, 0, "\033[0;1;30;40m"},
        {0x1F, 0, 0, true, true, 0, 0, "\033[0;1;7m"},
    };
    for (const Case& c : cases) {
        CellStyle s = StyleFor(c.attr, c.colours);
        std::string what = std::to_string(c.attr) + "/" + std::to_string(c.colours);
        EXPECT_EQ(s.pair, c.pair) << what;
        EXPECT_EQ(s.bold, c.bold) << what;
        EXPECT_EQ(s.reverse, c.reverse) << what;
        EXPECT_EQ(SgrFor(c.attr, c.colours), c.sgr) << what;
        short fg = -1, bg = -1;
        if (c.pair == 0) continue;
        ASSERT_TRUE(PairColours(c.pair, c.colours, fg, bg)) << what;
        EXPECT_EQ(fg, c.fg) << what;
        EXPECT_EQ(bg, c.bg) << what;
    }
    short fg, bg;
    EXPECT_FALSE(PairColours(0, 16, fg, bg));
    EXPECT_FALSE(PairColours(64, 8, fg, bg));
    EXPECT_FALSE(PairColours(5, 0, fg, bg));
}

TEST(TerminalGrid, WritesAreClippedAndReadBack) {
    ShadowGrid g;
    g.reset(10, 3);
    EXPECT_EQ(g.at(9, 2).ch, ' ');
    EXPECT_EQ(g.at(9, 2).attr, 0x07);
    const uint8_t text[] = "ABCDEFGHIJKLMNOP";
    EXPECT_TRUE(g.writeChars({7, 1}, text, 16));  // cut at the row's end
    EXPECT_EQ(g.at(9, 1).ch, 'C');
    EXPECT_EQ(g.at(0, 2).ch, ' ');
    EXPECT_FALSE(g.writeChars({10, 1}, text, 1));
    EXPECT_FALSE(g.writeChars({0, 3}, text, 1));
    EXPECT_FALSE(g.writeChars({-1, 0}, text, 1));
    EXPECT_TRUE(g.writeChars({0, 0}, text, -5));
    const uint16_t attrs[3] = {0x1F, 0x2E, 0x3D};
    EXPECT_TRUE(g.writeAttrs({8, 0}, attrs, 3));
    EXPECT_EQ(g.at(9, 0).attr, 0x2E);
    EXPECT_EQ(g.at(0, 1).attr, 0x07);

    g.clearDirty();
    g.fillAttrs(0x70, 11);  // row 0 and one cell of row 1
    EXPECT_TRUE(g.dirty(0) && g.dirty(1) && !g.dirty(2));
    EXPECT_EQ(g.at(0, 1).attr, 0x70);
    EXPECT_EQ(g.at(1, 1).attr, 0x07);
    g.fillChars('.', 1000);  // never past the grid
    EXPECT_EQ(g.at(9, 2).ch, '.');

    Cell block[4 * 2];
    for (int i = 0; i < 8; ++i) block[i] = Cell{static_cast<uint8_t>('a' + i), 0, 0x4F};
    EXPECT_TRUE(g.writeBlock(block, {4, 2}, {8, 2, 11, 3}));  // only (8,2) and (9,2) fit
    EXPECT_EQ(g.at(8, 2).ch, 'a');
    EXPECT_EQ(g.at(9, 2).ch, 'b');
    EXPECT_FALSE(g.writeBlock(block, {4, 2}, {10, 0, 12, 1}));
    EXPECT_TRUE(g.writeBlock(block, {4, 2}, {-2, -1, 1, 0}));  // block origin off screen
    EXPECT_EQ(g.at(0, 0).ch, 'g');
    EXPECT_EQ(g.at(1, 0).ch, 'h');

    Cell out[4 * 2] = {};
    EXPECT_TRUE(g.readBlock(out, {4, 2}, {8, 2, 11, 3}));
    EXPECT_EQ(out[0].ch, 'a');
    EXPECT_EQ(out[1].ch, 'b');
    EXPECT_EQ(out[2].ch, 0);  // outside the grid: left as it was
    EXPECT_FALSE(g.readBlock(out, {0, 0}, {0, 0, 3, 1}));
}

TEST(TerminalGrid, FrameTextTrimsAndColours) {
    ShadowGrid g;
    g.reset(6, 3);
    const uint8_t row0[] = {'H', 0x01, ' ', ' ', ' ', ' '};
    g.writeChars({0, 0}, row0, 6);
    const uint16_t blue[2] = {0x1F, 0x1F};
    g.writeAttrs({4, 1}, blue, 2);  // coloured blanks are kept
    std::string text = FrameText(g, 3, 6, 16, true);
    EXPECT_EQ(text, "\033[0mH\u263A\033[0m\r\n"
                    "\033[0m    \033[0;97;44m  \033[0m\r\n"
                    "\033[0m\r\n");
    EXPECT_EQ(FrameText(g, 1, 1, 16, true), "\033[0mH\033[0m\r\n");  // a narrower terminal
    EXPECT_EQ(FrameText(g, 9, 6, 16, false).substr(0, 10), "\033[0mH?\033[0m");
}

}  // namespace
