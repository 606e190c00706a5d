// The SIMD byte scans. AVX2 is used where the processor has it (chosen at
// run time), SSE2 otherwise; without SSE2 the same steps run a byte at a
// time. Block masks take 64 bytes a step; line feeds are counted 64 bytes a
// step and looked for 16 at a time before memchr/memrchr take over, since
// lines are mostly short. Needles are found with a vector filter on their
// two rarest bytes (for a letter in folding mode both of its cases pass,
// since they differ only in bit 0x20), 64 starts a step with AVX2, 16 with
// SSE2; every candidate is then compared in full.
#include "text/byte_scan.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#if defined(__x86_64__)
#include <immintrin.h>
// The C library's own processor check, made at start. Its inline functions
// are C (they return _Bool), which GCC takes in C++ and Clang does not.
#if __has_include(<sys/platform/x86.h>) && !defined(__clang__)
#include <sys/platform/x86.h>
#endif
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "panel/ascii.h"

namespace pk {

namespace {

constexpr uint8_t LF = '\n';
constexpr uint8_t TAB = '\t';

#if defined(__x86_64__)
// Code for processors with AVX2, called only when BestVectorWidth() says so.
#define PK_AVX2 __attribute__((target("avx2")))
#endif

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

// --- Block masks ---------------------------------------------------------------

void MaskPlain(const uint8_t* p, size_t blocks, BlockMasks* out) {
    for (size_t b = 0; b < blocks; ++b, p += MASK_BLOCK) {
        BlockMasks m;
        for (size_t i = 0; i < MASK_BLOCK; ++i) {
            m.lineFeeds |= static_cast<uint64_t>(p[i] == LF) << i;
            m.tabs |= static_cast<uint64_t>(p[i] == TAB) << i;
        }
        out[b] = m;
    }
}

#if defined(__SSE2__)
void MaskSse2(const uint8_t* p, size_t blocks, BlockMasks* out) {
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
}
#endif

#if defined(__x86_64__)
// Bit i set where p[i] == c, for 64 bytes.
PK_AVX2 inline uint64_t Mask64(const uint8_t* p, uint8_t c) {
    const __m256i v = _mm256_set1_epi8(static_cast<char>(c));
    __m256i low = _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)), v);
    __m256i high = _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32)), v);
    return static_cast<uint32_t>(_mm256_movemask_epi8(low)) |
           uint64_t(static_cast<uint32_t>(_mm256_movemask_epi8(high))) << 32;
}

PK_AVX2 void MaskAvx2(const uint8_t* p, size_t blocks, BlockMasks* out) {
    for (size_t b = 0; b < blocks; ++b, p += MASK_BLOCK) out[b] = BlockMasks{Mask64(p, LF), Mask64(p, TAB)};
}
#endif

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

// How often a byte turns up in text, roughly: letters by their frequency in
// English (both cases when folding), the blank most, digits and punctuation
// less, control bytes and bytes above 127 least.
int Commonness(uint8_t c, bool fold) {
    static constexpr uint8_t letters[26] = {8, 2, 3, 4, 12, 2, 2, 6, 7, 1, 1, 4, 2,
                                            7, 8, 2, 1, 6, 6, 9, 3, 1, 2, 1, 2, 1};
    uint8_t lower = AsciiLower(c);
    if (lower >= 'a' && lower <= 'z') {
        int k = letters[lower - 'a'] * 4;
        return fold || c == lower ? k : k / 4;
    }
    if (c == ' ') return 60;
    if (c >= '0' && c <= '9') return 12;
    if (c > ' ' && c < 0x7F) return 6;
    return 1;
}

// A needle ready for the scan: the two bytes the vector filter tests (the
// rarest two, so a common first letter does not flood it with candidates).
struct Needle {
    const uint8_t* s;
    size_t n;
    bool fold;
    size_t at0, at1;  // needle offsets of the two filter bytes
    ByteTest test0, test1;
};

Needle MakeNeedle(const uint8_t* s, size_t n, bool fold) {
    size_t best = 0, second = 0;
    for (size_t i = 1; i < n; ++i)
        if (Commonness(s[i], fold) < Commonness(s[best], fold)) best = i;
    bool none = true;
    for (size_t i = 0; i < n; ++i) {
        if (i == best) continue;
        int c = Commonness(s[i], fold), d = Commonness(s[second], fold);
        // Of equally rare bytes the one farthest from the first is taken.
        size_t far = i > best ? i - best : best - i, farSecond = second > best ? second - best : best - second;
        if (none || c < d || (c == d && far > farSecond)) second = i;
        none = false;
    }
    return Needle{s, n, fold, best, second, MakeTest(s[best], fold), MakeTest(s[second], fold)};
}

// The whole needle at p.
bool Matches(const uint8_t* p, const Needle& nd) {
    if (!nd.fold) return std::memcmp(p, nd.s, nd.n) == 0;
    for (size_t i = 0; i < nd.n; ++i)
        if (AsciiLower(p[i]) != AsciiLower(nd.s[i])) return false;
    return true;
}

// The first start among the set bits (start i + bit) that holds the needle,
// or SIZE_MAX.
size_t FirstMatch(const uint8_t* data, size_t i, uint64_t bits, const Needle& nd) {
    for (; bits != 0; bits &= bits - 1) {
        size_t pos = i + size_t(__builtin_ctzll(bits));
        if (Matches(data + pos, nd)) return pos;
    }
    return SIZE_MAX;
}

// Each vector filter looks at the starts [from, end) as long as a whole
// vector of starts fits; returns the first hit or SIZE_MAX, and the first
// start it did not look at in next.
size_t ScanPlain(const uint8_t* data, size_t from, size_t end, const Needle& nd, size_t& next) {
    for (size_t i = from; i < end; ++i)
        if (Passes(nd.test0, data[i + nd.at0]) && Passes(nd.test1, data[i + nd.at1]) && Matches(data + i, nd))
            return i;
    next = end;
    return SIZE_MAX;
}

#if defined(__SSE2__)
size_t ScanSse2(const uint8_t* data, size_t from, size_t end, const Needle& nd, size_t& next) {
    const __m128i m0 = _mm_set1_epi8(char(nd.test0.mask)), t0 = _mm_set1_epi8(char(nd.test0.target));
    const __m128i m1 = _mm_set1_epi8(char(nd.test1.mask)), t1 = _mm_set1_epi8(char(nd.test1.target));
    size_t i = from;
    for (; i + 16 <= end; i += 16) {
        __m128i a = Load16(data + i + nd.at0), b = Load16(data + i + nd.at1);
        __m128i hit = _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(a, m0), t0), _mm_cmpeq_epi8(_mm_or_si128(b, m1), t1));
        uint64_t bits = static_cast<uint32_t>(_mm_movemask_epi8(hit));
        if (bits != 0) {
            size_t pos = FirstMatch(data, i, bits, nd);
            if (pos != SIZE_MAX) return pos;
        }
    }
    next = i;
    return SIZE_MAX;
}
#endif

#if defined(__x86_64__)
// The filter's two tests on 32 starts at p.
PK_AVX2 inline __m256i Avx2Hits(const uint8_t* p, const Needle& nd) {
    __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + nd.at0));
    __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + nd.at1));
    __m256i pass0 = _mm256_cmpeq_epi8(_mm256_or_si256(a, _mm256_set1_epi8(char(nd.test0.mask))),
                                      _mm256_set1_epi8(char(nd.test0.target)));
    __m256i pass1 = _mm256_cmpeq_epi8(_mm256_or_si256(b, _mm256_set1_epi8(char(nd.test1.mask))),
                                      _mm256_set1_epi8(char(nd.test1.target)));
    return _mm256_and_si256(pass0, pass1);
}

// The candidates among 64 starts, as bits.
PK_AVX2 inline uint64_t Avx2Bits(__m256i low, __m256i high) {
    return static_cast<uint32_t>(_mm256_movemask_epi8(low)) |
           uint64_t(static_cast<uint32_t>(_mm256_movemask_epi8(high))) << 32;
}

// 128 starts a step, in four 32-byte quarters whose candidates are tested
// together (one branch per 128 bytes: the scan keeps up with memory
// better); the fewer starts left at the end go to the next filter.
PK_AVX2 size_t ScanAvx2(const uint8_t* data, size_t from, size_t end, const Needle& nd, size_t& next) {
    size_t i = from;
    for (; i + 128 <= end; i += 128) {
        __m256i a = Avx2Hits(data + i, nd), b = Avx2Hits(data + i + 32, nd);
        __m256i c = Avx2Hits(data + i + 64, nd), d = Avx2Hits(data + i + 96, nd);
        __m256i any = _mm256_or_si256(_mm256_or_si256(a, b), _mm256_or_si256(c, d));
        if (_mm256_testz_si256(any, any)) continue;
        size_t pos = FirstMatch(data, i, Avx2Bits(a, b), nd);
        if (pos == SIZE_MAX) pos = FirstMatch(data, i + 64, Avx2Bits(c, d), nd);
        if (pos != SIZE_MAX) return pos;
    }
    next = i;
    return SIZE_MAX;
}
#endif

using NeedleScan = size_t (*)(const uint8_t*, size_t, size_t, const Needle&, size_t&);

// The filters from the widest down; each leaves the starts it could not fit
// to the next.
constexpr NeedleScan kNeedleScans[] = {
#if defined(__x86_64__)
    ScanAvx2,
#else
    nullptr,
#endif
#if defined(__SSE2__)
    ScanSse2,
#else
    nullptr,
#endif
    ScanPlain,
};

}  // namespace

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

VectorWidth BestVectorWidth() {
#if defined(__x86_64__) && defined(CPU_FEATURE_ACTIVE)
    // The C library has asked the processor already. The compiler's own
    // check would ask again at every start, before main, and each question
    // is slow in a virtual machine.
    static const VectorWidth best = CPU_FEATURE_ACTIVE(AVX2) ? VECTORS_AVX2 : VECTORS_SSE2;
    return best;
#elif defined(__x86_64__)
    static const VectorWidth best = __builtin_cpu_supports("avx2") ? VECTORS_AVX2 : VECTORS_SSE2;
    return best;
#elif defined(__SSE2__)
    return VECTORS_SSE2;
#else
    return VECTORS_NONE;
#endif
}

void MaskBlocks(const uint8_t* p, size_t blocks, BlockMasks* out, VectorWidth width) {
    width = std::min(width, BestVectorWidth());
#if defined(__x86_64__)
    if (width == VECTORS_AVX2) return MaskAvx2(p, blocks, out);
#endif
#if defined(__SSE2__)
    if (width == VECTORS_SSE2) return MaskSse2(p, blocks, out);
#endif
    MaskPlain(p, blocks, out);
}

size_t ScanForNeedle(const uint8_t* data, size_t size, size_t from, const uint8_t* s, size_t n, bool fold,
                     VectorWidth width) {
    if (n == 0 || from > size || size - from < n) return size;
    if (n == 1 && !fold) {
        const void* p = std::memchr(data + from, s[0], size - from);
        return p ? size_t(static_cast<const uint8_t*>(p) - data) : size;
    }
    Needle nd = MakeNeedle(s, n, fold);
    size_t end = size - n + 1;  // one past the last possible start
    width = std::min(width, BestVectorWidth());
    size_t next = from;
    for (size_t k = size_t(VECTORS_AVX2 - width); k < std::size(kNeedleScans); ++k) {
        if (kNeedleScans[k] == nullptr) continue;
        size_t hit = kNeedleScans[k](data, next, end, nd, next);
        if (hit != SIZE_MAX) return hit;
    }
    return size;
}

}  // namespace pk
