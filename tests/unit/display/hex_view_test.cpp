// The hex view's rows, cell for cell: layout, short rows, unaligned offsets,
// the character filter, EBCDIC, the find highlight and the screen width.
#include <gtest/gtest.h>

#include "view_fixture.h"

using pktest::Range;
using pktest::TestScreen;

namespace {

std::string Blanks(int n) { return std::string(size_t(n), ' '); }

std::string Alphabet(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += char('A' + i % 26);
    return s;
}

TEST(BytesToHex, UpperCaseDigitsHighNibbleFirst) {
    const uint8_t source[] = {0x00, 0x09, 0x7F, 0xA5, 0xFF, 0x3C};
    uint8_t target[12];
    EXPECT_EQ(pk::BytesToHex(source, 6, target), 12);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(target), 12), "00097FA5FF3C");
    EXPECT_EQ(pk::BytesToHex(source, 0, target), 0);
}

TEST(HexView, TwentyByteFileFillsOneRowAndFourCharacters) {
    TestScreen s;
    s.load(Alphabet(20));
    pk::DrawHexView();
    EXPECT_EQ(s.dataRow(0), "   00000000:   41424344  45464748  494A4B4C  4D4E4F50    [ABCDEFGHIJKLMNOP]     ");
    EXPECT_EQ(s.dataRow(1), "   00000010:   51525354" + Blanks(32) + "  [QRST]     " + Blanks(12));
    s.load(Alphabet(19));  // a 3-byte last row: six digits, two filler blanks
    pk::DrawHexView();
    EXPECT_EQ(s.dataRow(1), "   00000010:   515253" + Blanks(34) + "  [QRS]     " + Blanks(13));
    for (int r = 2; r < 21; ++r) EXPECT_EQ(s.dataRow(r), Blanks(80)) << "row " << r;
    // The key row below the data area is not touched.
    EXPECT_EQ(s.row(24), std::string(80, '\0'));
    EXPECT_EQ(s.row(2), std::string(80, '\0'));
    EXPECT_TRUE(s.brightColumns(3).empty());
}

TEST(HexView, RowsFollowAnUnalignedOffset) {
    TestScreen s;
    pk::FileEntry& e = s.load(Alphabet(100));
    e.view.offset = 43;
    pk::DrawHexView();
    EXPECT_EQ(s.dataRow(0).substr(0, 15), "   0000002B:   ");
    EXPECT_EQ(s.dataRow(1).substr(0, 15), "   0000003B:   ");
    // 'A' + 43 % 26 = 'R'
    EXPECT_EQ(s.dataRow(0).substr(58, 16), Alphabet(59).substr(43));
    // 100 - 43 = 57 bytes: three full rows and a row of 9.
    EXPECT_EQ(s.dataRow(3).substr(0, 15), "   0000005B:   ");
    EXPECT_EQ(s.dataRow(3).substr(58, 15), Alphabet(100).substr(91) + "]     ");
    EXPECT_EQ(s.dataRow(4), Blanks(80));
}

TEST(HexView, EbcdicTranslatesCharactersButNotDigits) {
    TestScreen s;
    s.load("\xC1\xC2\xC3\x40\xF1\x81\xE9\x4B");
    pk::display.ebcdicOn = 1;
    pk::DrawHexView();
    EXPECT_EQ(s.dataRow(0).substr(15, 18), "C1C2C340  F181E94B");
    EXPECT_EQ(s.dataRow(0).substr(58, 9), "abc 1az.]");
    pk::display.ebcdicOn = 0;  // without translation: the filter alone
    pk::DrawHexView();
    EXPECT_EQ(s.dataRow(0).substr(58, 9), "...@...K]");
}

TEST(HexView, FoundBytesAreBrightInDigitsAndCharacters) {
    TestScreen s;
    s.load(Alphabet(64));
    // Six bytes from the last byte of group 2 (offset 7).
    s.hit(0, 0, 7, 6);
    pk::DrawHexView();
    EXPECT_EQ(s.brightColumns(3), pktest::Join(pktest::Join(Range(31, 32), Range(35, 42)),
                                              pktest::Join(Range(45, 46), Range(65, 70))));
    EXPECT_TRUE(s.brightColumns(4).empty());

    // A hit running from row 1 into row 2.
    s.hit(0, 0, 14, 6);
    pk::DrawHexView();
    EXPECT_EQ(s.brightColumns(3), pktest::Join(Range(49, 52), Range(72, 73)));
    EXPECT_EQ(s.brightColumns(4), pktest::Join(Range(15, 22), Range(58, 61)));

    // A hit that began before the top row lights its continuation only.
    pk::fileTable[0].view.offset = 43;
    s.hit(0, 0, 40, 6);
    pk::DrawHexView();
    EXPECT_EQ(s.brightColumns(3), pktest::Join(Range(15, 20), Range(58, 60)));

    // Without FOUND_SHOWN nothing is bright.
    pk::fileTable[0].findFlags = 0;
    pk::DrawHexView();
    EXPECT_TRUE(s.brightColumns(3).empty());
}

TEST(HexView, WidthDecidesTheBlanksAfterTheRow) {
    {
        TestScreen s(100, 30);
        s.load(Alphabet(20));
        pk::DrawHexView();
        EXPECT_EQ(s.dataRow(0), "   00000000:   41424344  45464748  494A4B4C  4D4E4F50    [ABCDEFGHIJKLMNOP]" +
                                    Blanks(25));
        EXPECT_EQ(s.dataRow(1).size(), 100u);
        EXPECT_EQ(s.dataRow(1).substr(57), "[QRST]" + Blanks(37));
        EXPECT_EQ(s.dataRow(25), Blanks(100));
        EXPECT_EQ(s.row(29), std::string(100, '\0'));
    }
    {
        // Narrower than the layout: rows are cut at the screen's edge and
        // never run into the next row. (The panel library has grown the
        // in-memory grid to 80 columns; the 20 beyond the screen stay unwritten.)
        TestScreen s(60, 25);
        s.load(Alphabet(40));
        pk::DrawHexView();
        const std::string beyond(size_t(s.console.cols - 60), '\0');
        EXPECT_EQ(s.dataRow(0), "   00000000:   41424344  45464748  494A4B4C  4D4E4F50    [AB" + beyond);
        EXPECT_EQ(s.dataRow(1), "   00000010:   51525354  55565758  595A4142  43444546    [QR" + beyond);
        EXPECT_EQ(s.dataRow(2).substr(0, 15), "   00000020:   ");
        EXPECT_EQ(s.dataRow(3), Blanks(60) + beyond);
    }
}

TEST(HexView, OffsetAtOrPastTheEndDrawsBlankRows) {
    TestScreen s;
    pk::FileEntry& e = s.load(Alphabet(20));
    e.view.offset = 20;
    pk::DrawHexView();
    for (int r = 0; r < 21; ++r) EXPECT_EQ(s.dataRow(r), Blanks(80));
}

TEST(EbcdicTable, LettersDigitsAndSampledCodes) {
    for (int i = 0; i < 10; ++i) EXPECT_EQ(pk::EbcdicTable[0xF0 + i], '0' + i);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(pk::EbcdicTable[0x81 + i], 'a' + i);
        EXPECT_EQ(pk::EbcdicTable[0xC1 + i], 'a' + i);
        EXPECT_EQ(pk::EbcdicTable[0x91 + i], 'j' + i);
        EXPECT_EQ(pk::EbcdicTable[0xD1 + i], 'j' + i);
    }
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(pk::EbcdicTable[0xA2 + i], 's' + i);
        EXPECT_EQ(pk::EbcdicTable[0xE2 + i], 's' + i);
    }
    struct Pair {
        uint8_t from, to;
    };
    const Pair samples[] = {{0x04, 0x0C}, {0x05, 0x09}, {0x25, 0x0A}, {0x40, 0x20}, {0x4B, 0x2E},
                            {0x5F, 0x5E}, {0x9D, 0x93}, {0xE0, 0x5C}, {0xFA, 0xB3}, {0xFF, 0xFF}};
    for (const Pair& p : samples) EXPECT_EQ(pk::EbcdicTable[p.from], p.to) << std::hex << int(p.from);
}

}  // namespace
