// The SIMD byte scans. Line feeds are counted and masked 64 bytes at a time
// with SSE2 compares; single line feeds are looked for 16 bytes at a time
// before memchr/memrchr take over, since lines are mostly short. Needles are
// found with a 16-byte wide filter on their first and last bytes (for a
// letter in folding mode both of its cases pass, since they differ only in
// bit 0x20); every candidate is then compared in full. Without SSE2 the
// same steps run a byte at a time.
#include "text/byte_scan.h"

#include <cstring>

#include "text/ascii.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pk {

namespace {

constexpr uint8_t LF = '\n';
constexpr uint8_t TAB = '\t';

// --- Line feeds --------------------------------------------------------------

#if defined(__SSE2__)
uint64_t MaskOf16(__m128i v, __m128i c) {
    return static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, c)));
}

__m128i Load16(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
#endif

// Bit i set where p[i] is a line feed, for one block.
uint64_t LineFeedMask(const uint8_t* p) {
    uint64_t mask = 0;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8(static_cast<char>(LF));
    for (int i = 0; i < 4; ++i) mask |= MaskOf16(Load16(p + 16 * i), lf) << (16 * i);
#else
    for (size_t i = 0; i < MASK_BLOCK; ++i) mask |= static_cast<uint64_t>(p[i] == LF) << i;
#endif
    return mask;
}

// Walks over many lines at once: whole 4 KiB chunks are counted and skipped
// while they hold fewer line feeds than are still wanted, then block masks
// narrow down to the line feed itself.
constexpr size_t SKIP_CHUNK = 4096;

// --- Needles -----------------------------------------------------------------

// One needle byte as the filter tests it: (b | mask) == target.
struct ByteTest {
    uint8_t mask = 0;
    uint8_t target = 0;
};

ByteTest MakeTest(uint8_t c, bool fold) {
    uint8_t lower = AsciiLower(c);
    if (fold && lower >= 'a' && lower <= 'z') return {0x20, lower};
    return {0, c};
}

bool Passes(ByteTest t, uint8_t b) { return uint8_t(b | t.mask) == t.target; }

// The bytes between the first and the last, which the filter did not check.
bool MiddleEqual(const uint8_t* p, const uint8_t* s, size_t n, bool fold) {
    if (n <= 2) return true;
    if (!fold) return std::memcmp(p + 1, s + 1, n - 2) == 0;
    for (size_t i = 1; i + 1 < n; ++i)
        if (AsciiLower(p[i]) != AsciiLower(s[i])) return false;
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
        __m128i a = Load16(data + i);
        __m128i b = Load16(data + i + k);
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

void MaskBlocks(const uint8_t* p, size_t blocks, BlockMasks* out) {
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8(static_cast<char>(LF));
    const __m128i tab = _mm_set1_epi8(static_cast<char>(TAB));
    for (size_t b = 0; b < blocks; ++b, p += MASK_BLOCK) {
        BlockMasks m;
        for (int i = 0; i < 4; ++i) {
            __m128i v = Load16(p + 16 * i);
            m.lineFeeds |= MaskOf16(v, lf) << (16 * i);
            m.tabs |= MaskOf16(v, tab) << (16 * i);
        }
        out[b] = m;
    }
#else
    for (size_t b = 0; b < blocks; ++b, p += MASK_BLOCK) {
        BlockMasks m;
        for (size_t i = 0; i < MASK_BLOCK; ++i) {
            m.lineFeeds |= static_cast<uint64_t>(p[i] == LF) << i;
            m.tabs |= static_cast<uint64_t>(p[i] == TAB) << i;
        }
        out[b] = m;
    }
#endif
}

uint64_t CountLineFeeds(const uint8_t* p, size_t n) {
    uint64_t count = 0;
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8(static_cast<char>(LF));
    const __m128i zero = _mm_setzero_si128();
    while (n - i >= MASK_BLOCK) {
        // Each round adds at most 4 to a byte lane, so 63 rounds fit a byte.
        __m128i acc = zero;
        for (int round = 0; round < 63 && n - i >= MASK_BLOCK; ++round, i += MASK_BLOCK) {
            for (int k = 0; k < 4; ++k) acc = _mm_sub_epi8(acc, _mm_cmpeq_epi8(Load16(p + i + 16 * k), lf));
        }
        __m128i sums = _mm_sad_epu8(acc, zero);
        count += static_cast<uint64_t>(_mm_cvtsi128_si64(sums)) +
                 static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums)));
    }
#endif
    while (i < n) {
        const void* hit = std::memchr(p + i, LF, n - i);
        if (hit == nullptr) break;
        ++count;
        i = static_cast<size_t>(static_cast<const uint8_t*>(hit) - p) + 1;
    }
    return count;
}

const uint8_t* FindLineFeed(const uint8_t* p, const uint8_t* end) {
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8(static_cast<char>(LF));
    for (int i = 0; i < 4 && end - p >= 16; ++i, p += 16) {
        uint64_t mask = MaskOf16(Load16(p), lf);
        if (mask != 0) return p + __builtin_ctzll(mask);
    }
#endif
    if (p >= end) return nullptr;
    return static_cast<const uint8_t*>(std::memchr(p, LF, static_cast<size_t>(end - p)));
}

const uint8_t* FindLineFeedBack(const uint8_t* begin, const uint8_t* p) {
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8(static_cast<char>(LF));
    for (int i = 0; i < 4 && p - begin >= 16; ++i) {
        p -= 16;
        uint64_t mask = MaskOf16(Load16(p), lf);
        if (mask != 0) return p + 63 - __builtin_clzll(mask);
    }
#endif
    if (p <= begin) return nullptr;
    return static_cast<const uint8_t*>(memrchr(begin, LF, static_cast<size_t>(p - begin)));
}

const uint8_t* NthLineFeed(const uint8_t* p, const uint8_t* end, uint64_t k) {
    for (uint64_t c; size_t(end - p) >= SKIP_CHUNK && (c = CountLineFeeds(p, SKIP_CHUNK)) < k; p += SKIP_CHUNK) k -= c;
    for (; size_t(end - p) >= MASK_BLOCK; p += MASK_BLOCK) {
        uint64_t mask = LineFeedMask(p);
        uint64_t c = static_cast<uint64_t>(__builtin_popcountll(mask));
        if (c >= k) {
            while (--k != 0) mask &= mask - 1;
            return p + __builtin_ctzll(mask);
        }
        k -= c;
    }
    for (; p < end; ++p)
        if (*p == LF && --k == 0) return p;
    return nullptr;
}

const uint8_t* NthLineFeedBack(const uint8_t* begin, const uint8_t* p, uint64_t k, uint64_t& missing) {
    for (uint64_t c; size_t(p - begin) >= SKIP_CHUNK && (c = CountLineFeeds(p - SKIP_CHUNK, SKIP_CHUNK)) < k;
         p -= SKIP_CHUNK)
        k -= c;
    for (; size_t(p - begin) >= MASK_BLOCK; p -= MASK_BLOCK) {
        uint64_t mask = LineFeedMask(p - MASK_BLOCK);
        uint64_t c = static_cast<uint64_t>(__builtin_popcountll(mask));
        if (c >= k) {
            while (--k != 0) mask &= ~(uint64_t(1) << (63 - __builtin_clzll(mask)));
            return p - MASK_BLOCK + (63 - __builtin_clzll(mask));
        }
        k -= c;
    }
    while (p > begin)
        if (*--p == LF && --k == 0) return p;
    missing = k;
    return nullptr;
}

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

}  // namespace pk
