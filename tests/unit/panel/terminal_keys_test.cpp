// The terminal console's pure parts that the end-to-end key tests do not
// reach: other terminals' key strings, malformed input, mouse reports,
// double-click timing, glyphs without UTF-8, eight and no colours, and the
// frame re-printed at exit.
#include <gtest/gtest.h>

#include "panel/terminal_glyphs.h"
#include "panel/terminal_grid.h"
#include "panel/terminal_keys.h"
#include "panel/terminal_session.h"

namespace pk {
namespace {

std::string Key(std::string_view seq) {
    InputRecord r;
    if (!DecodeKeySequence(seq, r)) return "none";
    char buf[80];
    snprintf(buf, sizeof buf, "%02X %02X %02X %X", r.virtualKey, r.scanCode, r.ch, unsigned(r.controlState));
    return r.eventType == KEY_EVENT && r.keyDown && r.repeatCount == 1 ? buf : "not a key press";
}

TEST(TerminalKeys, SequencesOfOtherTerminalsAndMalformedOnes) {
    const std::pair<const char*, const char*> cases[] = {
        {"\033[1;9A", "26 48 00 2"},    // Meta counts as Alt
        {"\033O2P", "70 3B 00 10"},     // old xterm: modifier after SS3
        {"\033[[E", "74 3F 00 0"},      // Linux console F5
        {"\033[7~", "24 47 00 0"},      // rxvt Home
        {"\033[15;8~", "74 3F 00 1A"},  {"\033OM", "0D 1C 0D 0"},  // keypad Enter
        {"\033[97;5u", "41 1E 01 8"},   {"\033[99~", "none"},      {"\033[2;5H", "none"},
        {"\033[<0;1;1M", "none"},       {"\033[200~", "none"},     {"\033[", "none"},
        {"\033x", "none"},              {"ab", "none"},             {"\033[1;5", "none"}, {"\033[a;5H", "none"},
    };
    for (auto [seq, want] : cases) EXPECT_EQ(Key(seq), want) << seq + 1;
    for (const std::string& s : XtermKeySequences()) EXPECT_NE(Key(s), "none") << s.substr(1);  // all it recognises
}

std::string Mouse(std::string_view params, char final) {
    InputRecord r;
    if (!DecodeSgrMouse(params, final, r)) return "none";
    char buf[80];
    snprintf(buf, sizeof buf, "%d %d %08X %X %X", r.position.x, r.position.y, unsigned(r.buttonState),
             unsigned(r.eventFlags), unsigned(r.controlState));
    return r.eventType == MOUSE_EVENT ? buf : "not a mouse event";
}

TEST(TerminalKeys, SgrMouseReportsBeyondClicksAndWheels) {
    const std::tuple<const char*, char, const char*> cases[] = {
        {"1;5;6", 'M', "4 5 00000004 0 0"},          {"20;5;6", 'M', "4 5 00000001 0 18"},  // middle; Shift+Ctrl
        {"8;5;6", 'M', "4 5 00000001 0 2"},          {"66;5;6", 'M', "4 5 FF880000 8 0"},   // Alt; wheel left
        {"32;7;8", 'M', "6 7 00000001 1 0"},         {"0;99999;6", 'M', "32767 5 00000001 0 0"},  // motion; clamped
        {"64;5;6", 'm', "none"}, {"3;5;6", 'M', "none"}, {"0;0;6", 'M', "none"}, {"0;5", 'M', "none"},
        {"0;5;6;7", 'M', "none"}, {"0;x;6", 'M', "none"}, {"0;5;6", 'X', "none"},
    };
    for (auto [params, final, want] : cases) EXPECT_EQ(Mouse(params, final), want) << params << final;
}

TEST(TerminalKeys, DoubleClicksNeedTheSameCellButtonAndTime) {
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

TEST(TerminalGlyphs, NoControlCharacterEverAndAsciiFallback) {
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
    std::string out = std::to_string(st.pair);
    out.append(st.bold ? " bold" : "").append(st.reverse ? " reverse" : "");
    if (known) out.append(" ").append(std::to_string(fg)).append("/").append(std::to_string(bg));
    return out.append(" ").append(SgrFor(attr, colours).substr(2));
}

TEST(TerminalGlyphs, AttributesOnTerminalsWithFewerColours) {
    const std::tuple<uint16_t, int, const char*> cases[] = {
        {0x0F, 16, "0 bold 0;1m"},          {0x70, 16, "0 reverse 0;7m"}, {0xC1, 16, "193 4/9 0;34;101m"},
        {0x0107, 16, "0 0m"},  // only the low byte counts
        {0x1E, 8, "14 bold 3/4 0;1;33;44m"}, {0x87, 8, "0 0;37;40m"},      {0x08, 8, "7 bold 0/0 0;1;30;40m"},
        {0x1F, 0, "0 bold reverse 0;1;7m"},
    };
    for (auto [attr, colours, want] : cases) EXPECT_EQ(Style(attr, colours), want) << attr << "/" << colours;
    short fg, bg;
    EXPECT_FALSE(PairColours(64, 8, fg, bg));
    EXPECT_FALSE(PairColours(5, 0, fg, bg));
}

TEST(TerminalGrid, FrameTextTrimsAndColours) {
    ShadowGrid g;
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
