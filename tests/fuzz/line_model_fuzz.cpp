// The line model against the reference of the line rules on any data, also
// repeated past several line index points: the measure whole, in pieces and
// in parts joined; lines and offsets both ways from any cached line, with
// the index and without; each line's display cells with tabs expanded.
#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz_check.h"
#include "line_reference.h"

using namespace pktest;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider in(bytes, size);
    const uint64_t repeat = in.ConsumeBool() ? 1 : in.ConsumeIntegralInRange(1, 300);
    const uint64_t pieces[] = {in.ConsumeIntegralInRange<uint64_t>(1, 5000), in.ConsumeIntegralInRange<uint64_t>(1, 70)};
    uint64_t probes[8];
    for (uint64_t& p : probes) p = in.ConsumeIntegral<uint64_t>();
    std::string unit = in.ConsumeRemainingBytesAsString(), d;
    for (uint64_t i = 0; i < repeat && unit.size() * repeat < (4u << 20); ++i) d += unit;

    Measured m(d);
    pkfuzz::Check(CheckMeasure(m, pieces));
    // Two parts scanned apart, then joined.
    if (!d.empty()) {
        uint64_t cut = probes[0] % uint64_t(d.size());
        std::vector<uint64_t> index(m.index.size());
        pk::ScanState whole = pk::StartScan(0, index), part = pk::StartScan(cut, index);
        pk::ScanPart(B(d), cut, whole);
        pk::ScanPart(B(d), uint64_t(d.size()), part);
        pk::JoinPart(B(d), whole, part);
        pkfuzz::Check(Tie(pk::ScanFinish(B(d), whole)) == Tie(m.scan) && index == m.index, "parts joined as one pass");
    }
    const uint64_t count = uint64_t(m.lines.size());
    for (pk::TextLines t : {m.text(), pk::TextLines{B(m.d), count, {}}})
        for (int i = 0; i + 2 < 8; i += 3) {
            // Line numbers and offsets near the cache, near the ends and anywhere.
            uint64_t c = probes[i] % (count + 1), n = probes[i + 1] % (count + 2);
            uint64_t o = probes[i + 2] % (uint64_t(d.size()) + 1);
            for (uint64_t near : {c, n}) pkfuzz::Check(CheckLineAndOffset(m, t, c, near, o));
        }
    for (size_t i = 0; i < count && i < 50; ++i) {
        std::string_view text = std::string_view(d).substr(m.lines[i].start, m.lines[i].length);
        for (bool expand : {false, true}) pkfuzz::Check(CheckCells(text, expand, probes[i % 8] % (text.size() * 8 + 2)));
    }
    return 0;
}
