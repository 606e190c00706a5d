// The byte scans at every vector width against looking at one byte after
// another, on a heap buffer of exactly the data's size (so that a read past
// its end is caught): needles found exactly and with letters folded, from
// any start; line feeds counted, found forwards and backwards, the k-th of
// them, and the masks of whole blocks.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <memory>

#include "fuzz_check.h"
#include "panel/ascii.h"
#include "text/byte_scan.h"

using namespace pk;
using pkfuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider in(bytes, size);
    const bool fold = in.ConsumeBool();
    const std::string needle = in.ConsumeRandomLengthString(40);
    const size_t from = in.ConsumeIntegral<uint16_t>();
    const uint64_t k = in.ConsumeIntegralInRange<uint64_t>(1, 64);
    std::string rest = in.ConsumeRemainingBytesAsString();
    const size_t n = rest.size();
    std::unique_ptr<uint8_t[]> data(new uint8_t[n]);
    std::copy(rest.begin(), rest.end(), data.get());
    std::unique_ptr<uint8_t[]> s(new uint8_t[needle.size()]);
    std::copy(needle.begin(), needle.end(), s.get());
    const uint8_t *begin = data.get(), *end = begin + n;

    auto same = [&](uint8_t a, uint8_t b) { return fold ? AsciiLower(a) == AsciiLower(b) : a == b; };
    size_t want = n;  // also for an empty needle
    for (size_t at = from; !needle.empty() && at + needle.size() <= n && want == n; ++at)
        if (std::equal(s.get(), s.get() + needle.size(), begin + at, same)) want = at;
    for (VectorWidth width : {VECTORS_NONE, VECTORS_SSE2, VECTORS_AVX2}) {
        Check(ScanForNeedle(begin, n, from, s.get(), needle.size(), fold, width) == want, "the needle's first place");
        std::vector<BlockMasks> masks(n / MASK_BLOCK);
        MaskBlocks(begin, masks.size(), masks.data(), width);
        for (size_t i = 0; i < masks.size() * MASK_BLOCK; ++i) {
            Check((masks[i / 64].lineFeeds >> (i % 64) & 1) == (begin[i] == '\n'), "line feed mask");
            Check((masks[i / 64].tabs >> (i % 64) & 1) == (begin[i] == '\t'), "tab mask");
        }
    }

    // Line feeds, the first and the last of them, the k-th either way.
    std::vector<const uint8_t*> feeds;
    for (const uint8_t* p = begin; p < end; ++p)
        if (*p == '\n') feeds.push_back(p);
    const uint8_t* at = begin + std::min(from, n);
    auto split = std::lower_bound(feeds.begin(), feeds.end(), at);
    size_t after = size_t(feeds.end() - split), before = size_t(split - feeds.begin());
    Check(CountLineFeeds(begin, n) == feeds.size(), "line feeds counted");
    Check(FindLineFeed(at, end) == (after ? *split : nullptr), "the next line feed");
    Check(FindLineFeedBack(begin, at) == (before ? split[-1] : nullptr), "the line feed before");
    Check(NthLineFeed(at, end, k) == (k <= after ? split[k - 1] : nullptr), "the k-th line feed");
    uint64_t missing = 0;
    const uint8_t* back = NthLineFeedBack(begin, at, k, missing);
    Check(back == (k <= before ? split[-int64_t(k)] : nullptr), "the k-th line feed back");
    Check(back ? missing == 0 : missing == k - before, "how many line feeds were missing");
    return 0;
}
