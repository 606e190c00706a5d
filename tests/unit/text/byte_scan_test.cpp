// The byte scans at every vector width against plain loops: the block
// masks; the needle scan against a search that compares at every position,
// on random data, for every needle length from 1 to 64, both case modes,
// hits at the very start and the very end.
#include "text/byte_scan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>

namespace {

bool Letter(uint8_t c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

size_t Plain(const std::string& d, size_t from, const std::string& s, bool fold) {
    for (size_t o = from; o + s.size() <= d.size(); ++o) {
        size_t i = 0;
        for (; i < s.size(); ++i) {
            uint8_t x = uint8_t(d[o + i]), y = uint8_t(s[i]);
            if (x != y && !(fold && Letter(x) && (x ^ y) == 0x20)) break;
        }
        if (i == s.size()) return o;
    }
    return d.size();
}

TEST(ByteScan, BlockMasksMatchPlainLoop) {
    std::mt19937 rng(7);
    std::string d(64 * 40, 'x');
    for (char& c : d) c = "\n\t\tx\xFF\x80\x7F"[rng() % 7];
    for (int width = pk::VECTORS_NONE; width <= pk::VECTORS_AVX2; ++width) {
        pk::BlockMasks masks[40];
        pk::MaskBlocks(reinterpret_cast<const uint8_t*>(d.data()), 40, masks, pk::VectorWidth(width));
        for (size_t i = 0; i < d.size(); ++i) {
            ASSERT_EQ(masks[i / 64].lineFeeds >> (i % 64) & 1, d[i] == '\n' ? 1u : 0u) << width << " " << i;
            ASSERT_EQ(masks[i / 64].tabs >> (i % 64) & 1, d[i] == '\t' ? 1u : 0u) << width << " " << i;
            ASSERT_EQ(masks[i / 64].high >> (i % 64) & 1, uint8_t(d[i]) > 127 ? 1u : 0u) << width << " " << i;
        }
    }
}

TEST(ByteScan, NeedleScanMatchesPlainSearch) {
    // Letters that fold, their neighbours that must not, a common letter.
    constexpr std::string_view kAlphabet("eeeeEaAzZ@[`{\n\0\xC5\xE5", 17);
    std::mt19937 rng(2024);
    for (size_t n = 1; n <= 64; ++n) {
        for (int trial = 0; trial < 12; ++trial) {
            std::string d(n + rng() % 400, 'e');
            for (char& c : d) c = kAlphabet[rng() % kAlphabet.size()];
            // Needles taken from the data, some with cases flipped: at the
            // very start, at the very end, anywhere.
            size_t at = trial % 3 == 0 ? 0 : trial % 3 == 1 ? d.size() - n : rng() % (d.size() - n + 1);
            std::string s = d.substr(at, n);
            for (char& c : s)
                if (trial % 2 && Letter(uint8_t(c)) && rng() % 2) c ^= 0x20;
            for (bool fold : {false, true}) {
                for (int width = pk::VECTORS_NONE; width <= pk::VECTORS_AVX2; ++width) {
                    SCOPED_TRACE(testing::Message() << "n " << n << " trial " << trial << " fold " << fold << " width " << width);
                    size_t from = 0, hits = 0;
                    for (;; from = from + 1, ++hits) {
                        size_t want = Plain(d, from, s, fold);
                        size_t got = pk::ScanForNeedle(reinterpret_cast<const uint8_t*>(d.data()), d.size(), from,
                                                       reinterpret_cast<const uint8_t*>(s.data()), n, fold,
                                                       pk::VectorWidth(width));
                        ASSERT_EQ(got, want) << "from " << from;
                        if (got == d.size()) break;
                        from = got;
                    }
                    if (fold || trial % 2 == 0) {
                        EXPECT_GT(hits, 0u);
                    }
                }
            }
        }
    }
}

}  // namespace
