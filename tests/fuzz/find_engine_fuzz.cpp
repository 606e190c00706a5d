// The find's search engine on any data and needle, on a heap buffer of
// exactly the data's size: a string's hits are every place it stands (in the
// text view, within a line's text); a pattern's hits in the text view are
// the same with and without the literal that prefilters them (so the
// literal never hides a hit, nor does looking for a pattern that is a
// literal alone by the scan) and lie within their line; the count is the
// number of hits; and the backward search from any offset, in chunks of any
// size, gives the last hit before it.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "fuzz_check.h"
#include "panel/ascii.h"
#include "text/find_engine.h"

using namespace pk;
using pkfuzz::Check;

namespace {

std::vector<FindHit> Chain(Finder& f, std::span<const uint8_t> data) {
    std::vector<FindHit> hits;
    for (FindHit h = FindFirstIn(f, data, 0, NO_HIT); h.start != NO_HIT; h = FindFirstIn(f, data, NextSearchFrom(f, h), NO_HIT)) {
        Check(h.start <= data.size() && h.end <= data.size() && h.start <= h.end, "a hit within the data");
        Check(hits.empty() || h.start > hits.back().start, "hits in order");
        hits.push_back(h);
    }
    return hits;
}

bool Within(std::span<const uint8_t> d, FindHit h) {
    for (uint64_t i = h.start; i < h.end; ++i)
        if (d[i] == '\n') return false;
    return !(h.end > h.start && d[h.end - 1] == '\r' && (h.end == d.size() || d[h.end] == '\n'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider in(bytes, size);
    FindRequest request;
    request.pattern = in.ConsumeBool();
    request.fold = in.ConsumeBool();
    request.utf8 = request.pattern && in.ConsumeBool();
    request.lines = in.ConsumeBool();
    const std::string needle = in.ConsumeRandomLengthString(24);
    const uint64_t chunk = in.ConsumeIntegralInRange<uint64_t>(1, 300);
    const uint64_t before = in.ConsumeIntegral<uint16_t>();
    const std::string rest = in.ConsumeRemainingBytesAsString();
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[rest.size()]);
    std::copy(rest.begin(), rest.end(), buffer.get());
    const std::span<const uint8_t> data(buffer.get(), rest.size());
    if (needle.empty() || (request.pattern && needle.find("\\G") != std::string::npos)) return 0;
    request.needle = std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(needle.data()), needle.size());
    Finder f;
    size_t error = 0;
    if (!PrepareFind(request, f, error)) return 0;
    const std::vector<FindHit> hits = Chain(f, data);
    if (f.failed) return 0;
    Check(CountHits(f, data) == hits.size(), "the count is the number of hits");

    if (!request.pattern) {
        std::vector<uint64_t> want;
        for (uint64_t at = 0; at + needle.size() <= data.size(); ++at) {
            bool same = std::equal(needle.begin(), needle.end(), data.begin() + at, [&](char a, uint8_t b) {
                return request.fold ? AsciiLower(uint8_t(a)) == AsciiLower(b) : uint8_t(a) == b;
            });
            if (same && (!request.lines || Within(data, {at, at + needle.size()}))) want.push_back(at);
        }
        Check(want.size() == hits.size(), "a string's hits are where it stands");
        for (size_t i = 0; i < want.size(); ++i) Check(hits[i].start == want[i], "a string's hits are where it stands");
    } else if (request.lines) {
        Finder plain;
        PrepareFind(request, plain, error);
        plain.literal.clear();
        plain.plain = false;
        const std::vector<FindHit> unfiltered = Chain(plain, data);
        Check(unfiltered.size() == hits.size(), "the literal hides no hit");
        for (size_t i = 0; i < hits.size(); ++i) {
            Check(hits[i].start == unfiltered[i].start && hits[i].end == unfiltered[i].end, "the literal hides no hit");
            Check(Within(data, hits[i]), "a text-view hit lies within its line");
        }
    } else {
        return 0;  // over the bytes a match may cross a line start, where the backward chunks begin
    }
    auto after = std::lower_bound(hits.begin(), hits.end(), before, [](const FindHit& h, uint64_t o) { return h.start < o; });
    const FindHit back = FindLastBefore(f, data, before, chunk);
    Check(back.start == (after == hits.begin() ? NO_HIT : std::prev(after)->start), "backward: the last hit before");
    return 0;
}
