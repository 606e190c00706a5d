// Code page 437 glyphs, colour pairs and SGR sequences for console cells.
#include "panel/cell_glyphs.h"

#include <cstring>
#include <string_view>

#include "panel/utf8.h"

namespace pk {

namespace {

// Byte -> Unicode: the code page for 0x20-0x7E and 0x80-0xFF, the PC's
// graphic characters for 0x01-0x1F and 0x7F, byte 0 as a blank.
constexpr char32_t kCp437[256] = {
    0x0020, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022,  // 00: SP ☺ ☻ ♥ ♦ ♣ ♠ •
    0x25D8, 0x25CB, 0x25D9, 0x2642, 0x2640, 0x266A, 0x266B, 0x263C,  // 08: ◘ ○ ◙ ♂ ♀ ♪ ♫ ☼
    0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8,  // 10: ► ◄ ↕ ‼ ¶ § ▬ ↨
    0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC,  // 18: ↑ ↓ → ← ∟ ↔ ▲ ▼
    0x0020, 0x0021, 0x0022, 0x0023, 0x0024, 0x0025, 0x0026, 0x0027,  // 20: SP ! " # $ % & '
    0x0028, 0x0029, 0x002A, 0x002B, 0x002C, 0x002D, 0x002E, 0x002F,  // 28: ( ) * + , - . /
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037,  // 30: 0 1 2 3 4 5 6 7
    0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F,  // 38: 8 9 : ; < = > ?
    0x0040, 0x0041, 0x0042, 0x0043, 0x0044, 0x0045, 0x0046, 0x0047,  // 40: @ A B C D E F G
    0x0048, 0x0049, 0x004A, 0x004B, 0x004C, 0x004D, 0x004E, 0x004F,  // 48: H I J K L M N O
    0x0050, 0x0051, 0x0052, 0x0053, 0x0054, 0x0055, 0x0056, 0x0057,  // 50: P Q R S T U V W
    0x0058, 0x0059, 0x005A, 0x005B, 0x005C, 0x005D, 0x005E, 0x005F,  // 58: X Y Z [ \ ] ^ _
    0x0060, 0x0061, 0x0062, 0x0063, 0x0064, 0x0065, 0x0066, 0x0067,  // 60: ` a b c d e f g
    0x0068, 0x0069, 0x006A, 0x006B, 0x006C, 0x006D, 0x006E, 0x006F,  // 68: h i j k l m n o
    0x0070, 0x0071, 0x0072, 0x0073, 0x0074, 0x0075, 0x0076, 0x0077,  // 70: p q r s t u v w
    0x0078, 0x0079, 0x007A, 0x007B, 0x007C, 0x007D, 0x007E, 0x2302,  // 78: x y z { | } ~ ⌂
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,  // 80: Ç ü é â ä à å ç
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,  // 88: ê ë è ï î ì Ä Å
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,  // 90: É æ Æ ô ö ò û ù
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,  // 98: ÿ Ö Ü ¢ £ ¥ ₧ ƒ
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,  // A0: á í ó ú ñ Ñ ª º
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,  // A8: ¿ ⌐ ¬ ½ ¼ ¡ « »
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  // B0: ░ ▒ ▓ │ ┤ ╡ ╢ ╖
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,  // B8: ╕ ╣ ║ ╗ ╝ ╜ ╛ ┐
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  // C0: └ ┴ ┬ ├ ─ ┼ ╞ ╟
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,  // C8: ╚ ╔ ╩ ╦ ╠ ═ ╬ ╧
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  // D0: ╨ ╤ ╥ ╙ ╘ ╒ ╓ ╫
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,  // D8: ╪ ┘ ┌ █ ▄ ▌ ▐ ▀
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,  // E0: α ß Γ π Σ σ µ τ
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,  // E8: Φ Θ Ω δ ∞ φ ε ∩
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,  // F0: ≡ ± ≥ ≤ ⌠ ⌡ ÷ ≈
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,  // F8: ° ∙ · √ ⁿ ² ■ NBSP
};

// VT100 line-drawing letters for bytes 0xB0-0xDF ('?' where there is none).
constexpr std::string_view kLineDrawing = "aaaxuuukkuxkjjjkmvwtqnttmlvwtqnvvwwmmllnnjl0????";

// Console colour bits (1 blue, 2 green, 4 red) to ANSI order (1 red, 4 blue).
constexpr short kWinToAnsi[16] = {0, 4, 2, 6, 1, 5, 3, 7, 8, 12, 10, 14, 9, 13, 11, 15};

}  // namespace

char32_t Cp437Glyph(uint8_t byte) { return kCp437[byte]; }

namespace {

// The character and marks of a CELL_CHAR cell, and its width; width 0 when
// the text is not a well-formed printable character.
ShownChars CharCellShows(const Cell& cell) {
    ShownChars shown;
    const uint8_t* text = reinterpret_cast<const uint8_t*>(cell.text);
    uint32_t length = uint32_t(strnlen(cell.text, CELL_TEXT_SIZE));
    for (uint32_t p = 0; p < length && shown.count < SHOWN_CHARS_MAX;) {
        Utf8Sequence s = DecodeUtf8(text + p, length - p);
        int width = s.length == 0 ? -1 : ShownWidth(s.code);
        if (shown.count == 0 ? width < 1 : width != 0) break;
        if (shown.count == 0) shown.width = width;
        shown.chars[shown.count++] = s.code;
        p += s.length;
    }
    return shown;
}

bool IsWideChar(const Cell& cell) { return cell.kind == CELL_CHAR && CharCellShows(cell).width == 2; }

}  // namespace

ShownChars CellShows(const Cell* row, int cols, int x) {
    const Cell& cell = row[x];
    ShownChars blank;
    blank.chars[0] = U' ';
    blank.count = 1;
    blank.width = 1;
    if (cell.kind == CELL_GLYPH) {
        blank.chars[0] = Cp437Glyph(cell.ch);
        return blank;
    }
    if (cell.kind == CELL_WIDE_TAIL) {
        if (x > 0 && IsWideChar(row[x - 1])) blank.width = 0;
        return blank;
    }
    ShownChars shown = CharCellShows(cell);
    if (shown.width == 1) return shown;
    if (shown.width == 2 && x + 1 < cols && row[x + 1].kind == CELL_WIDE_TAIL) return shown;
    return blank;
}

void AppendUtf8(std::string& s, char32_t c) {
    if (c < 0x80) {
        s += static_cast<char>(c);
        return;
    }
    int n = c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    static constexpr uint8_t kLead[] = {0, 0, 0xC0, 0xE0, 0xF0};
    s += static_cast<char>(kLead[n] | (c >> (6 * (n - 1))));
    for (int i = n - 2; i >= 0; --i) s += static_cast<char>(0x80 | ((c >> (6 * i)) & 0x3F));
}

char AsciiGlyph(uint8_t byte, bool* lineDrawing) {
    *lineDrawing = false;
    if (byte == 0) return ' ';
    if (PrintableAscii(byte)) return static_cast<char>(byte);
    if (byte >= 0xB0 && byte <= 0xDF && kLineDrawing[byte - 0xB0] != '?') {
        *lineDrawing = true;
        return kLineDrawing[byte - 0xB0];
    }
    return '?';
}

CellStyle StyleFor(uint16_t attr, int colours) {
    uint8_t a = static_cast<uint8_t>(attr);
    if (a == 0x07) return {0, false, false};
    if (a == 0x0F) return {0, true, false};
    if (a == 0x70) return {0, false, true};
    if (colours >= 16) return {static_cast<short>(a == 0x00 ? 0x07 : a), false, false};
    bool bold = a & 0x08;
    if (colours == 0) return {0, bold, (a & 0x70) != 0};
    a &= 0x77;  // eight colours: foreground intensity is bold, background intensity dropped
    if (a == 0x07) return {0, bold, false};
    short pair = static_cast<short>(a == 0x00 ? 7 : ((a >> 4) & 7) * 8 + (a & 7));
    return {pair, bold, false};
}

bool PairColours(int pair, int colours, short& fg, short& bg) {
    if (colours >= 16 && pair >= 1 && pair <= 255) {
        int a = pair == 0x07 ? 0x00 : pair;
        fg = kWinToAnsi[a & 15];
        bg = kWinToAnsi[a >> 4];
        return true;
    }
    if (colours == 8 && pair >= 1 && pair <= 63) {
        fg = pair == 7 ? 0 : kWinToAnsi[pair % 8];
        bg = kWinToAnsi[pair / 8];
        return true;
    }
    return false;
}

std::string SgrFor(uint16_t attr, int colours) {
    uint8_t a = static_cast<uint8_t>(attr);
    if (a == 0x07) return "\033[0m";
    if (a == 0x0F) return "\033[0;1m";
    if (a == 0x70) return "\033[0;7m";
    std::string s = "\033[0";
    if (colours == 0) {
        if (a & 0x08) s += ";1";
        if (a & 0x70) s += ";7";
        return s + "m";
    }
    int fg = kWinToAnsi[a & 15];
    int bg = kWinToAnsi[a >> 4];
    if (colours < 16) {
        if (fg & 8) s += ";1";
        fg &= 7;
        bg &= 7;
    }
    s += ';';
    s += std::to_string(fg < 8 ? 30 + fg : 90 + fg - 8);
    s += ';';
    s += std::to_string(bg < 8 ? 40 + bg : 100 + bg - 8);
    return s + "m";
}

}  // namespace pk
