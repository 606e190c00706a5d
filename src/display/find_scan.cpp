// Fast searching of a byte range for find. Candidates come from a 16-byte
// wide filter on the needle's first and last bytes (for a letter in folding
// mode both of its cases pass, since they differ only in bit 0x20); every
// candidate is then compared in full. Line feeds are counted 16 bytes at a
// time. Without SSE2 the same filter runs one byte at a time.
#include "display/find_scan.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pk {

namespace {

// One needle byte as the filter tests it: (b | mask) == target.
struct ByteTest {
    uint8_t mask = 0;
    uint8_t target = 0;
};

ByteTest MakeTest(uint8_t c, bool fold) {
    uint8_t lower = FoldByte(c);
    if (fold && lower >= 'a' && lower <= 'z') return {0x20, lower};
    return {0, c};
}

bool Passes(ByteTest t, uint8_t b) { return uint8_t(b | t.mask) == t.target; }

// The bytes between the first and the last, which the filter did not check.
bool MiddleEqual(const uint8_t* p, const uint8_t* s, size_t n, bool fold) {
    if (n <= 2) return true;
    if (!fold) return std::memcmp(p + 1, s + 1, n - 2) == 0;
    for (size_t i = 1; i + 1 < n; ++i)
        if (FoldByte(p[i]) != FoldByte(s[i])) return false;
    return true;
}

struct Needle {
    const uint8_t* s;
    size_t n;
    bool fold;
    ByteTest first;
    ByteTest last;
};

// Scalar filter over the starts [from, end).
size_t ScanScalar(const uint8_t* data, size_t from, size_t end, const Needle& nd) {
    size_t k = nd.n - 1;
    for (size_t i = from; i < end; ++i)
        if (Passes(nd.first, data[i]) && Passes(nd.last, data[i + k]) && MiddleEqual(data + i, nd.s, nd.n, nd.fold))
            return i;
    return SIZE_MAX;
}

#if defined(__SSE2__)
// 16 starts at a time; returns the first hit below end or SIZE_MAX, and the
// first start it did not look at in next.
size_t ScanWide(const uint8_t* data, size_t from, size_t end, const Needle& nd, size_t& next) {
    const __m128i m0 = _mm_set1_epi8(char(nd.first.mask)), t0 = _mm_set1_epi8(char(nd.first.target));
    const __m128i m1 = _mm_set1_epi8(char(nd.last.mask)), t1 = _mm_set1_epi8(char(nd.last.target));
    size_t k = nd.n - 1;
    size_t i = from;
    for (; i + 16 <= end; i += 16) {
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + k));
        __m128i hit = _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(a, m0), t0), _mm_cmpeq_epi8(_mm_or_si128(b, m1), t1));
        unsigned bits = unsigned(_mm_movemask_epi8(hit));
        while (bits) {
            size_t pos = i + size_t(__builtin_ctz(bits));
            if (MiddleEqual(data + pos, nd.s, nd.n, nd.fold)) return pos;
            bits &= bits - 1;
        }
    }
    next = i;
    return SIZE_MAX;
}
#endif

}  // namespace

size_t ScanForNeedle(const uint8_t* data, size_t size, size_t from, const uint8_t* s, size_t n, bool fold) {
    if (n == 0 || from > size || size - from < n) return size;
    if (n == 1 && !fold) {
        const void* p = std::memchr(data + from, s[0], size - from);
        return p ? size_t(static_cast<const uint8_t*>(p) - data) : size;
    }
    Needle nd{s, n, fold, MakeTest(s[0], fold), MakeTest(s[n - 1], fold)};
    size_t end = size - n + 1;  // one past the last possible start
    size_t next = from;
#if defined(__SSE2__)
    size_t hit = ScanWide(data, from, end, nd, next);
    if (hit != SIZE_MAX) return hit;
#endif
    size_t tail = ScanScalar(data, next, end, nd);
    return tail != SIZE_MAX ? tail : size;
}

size_t CountLineFeeds(const uint8_t* begin, const uint8_t* end) {
    size_t count = 0;
    const uint8_t* p = begin;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i zero = _mm_setzero_si128();
    while (end - p >= 16) {
        // Byte counters overflow after 255 rounds; add them up before that.
        size_t rounds = std::min<size_t>(size_t(end - p) / 16, 255);
        __m128i acc = zero;
        for (size_t r = 0; r < rounds; ++r, p += 16) {
            __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            acc = _mm_sub_epi8(acc, _mm_cmpeq_epi8(v, lf));
        }
        __m128i sums = _mm_sad_epu8(acc, zero);
        count += size_t(_mm_cvtsi128_si32(sums)) + size_t(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
    }
#endif
    for (; p < end; ++p) count += (*p == '\n');
    return count;
}

}  // namespace pk
