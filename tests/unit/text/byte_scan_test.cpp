// The needle scan at every vector width against a search that compares at
// every position, on random data, for every needle length from 1 to 64, both
// case modes, hits at the very start and the very end. (Shorter needles from
// any start, line feeds and block masks: byte_scan_fuzz.)
#include "text/byte_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <string_view>

namespace {

size_t Plain(const std::string& d, size_t from, const std::string& s, bool fold) {
    auto same = [fold](char a, char b) { return a == b || (fold && (a ^ b) == 0x20 && std::isalpha(uint8_t(a))); };
    auto at = std::search(d.begin() + std::ptrdiff_t(from), d.end(), s.begin(), s.end(), same);
    return size_t(at - d.begin());
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
                if (trial % 2 && std::isalpha(uint8_t(c)) && rng() % 2) c ^= 0x20;
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
