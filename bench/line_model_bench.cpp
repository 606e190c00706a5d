// The line model on log-like text (1 GiB; ~4 MiB with PK_BENCH_SMALL=1):
// the load-time scan with the line index (also on UTF-8 text of a quarter
// of that size), walking every line forward and
// back from the moving cache, and the two conversions from an offset in the
// last line. The walks run from the cache alone (argument 0) and with the
// line index (argument 1). Each benchmark also times a plain byte-at-a-time
// loop doing the same job and reports the ratio as "x_byte_loop", so the
// figure holds on a busy machine.
#include <benchmark/benchmark.h>

#include "bench_data.h"
#include "text/line_scan.h"

namespace {

using pk::Bytes;
using namespace pkbench;

Bytes AllBytes() { return SharedLogData().all(); }

// The data with its index (argument 1) or without (argument 0).
pk::TextLines Lines(benchmark::State& state) {
    pk::TextLines t = SharedLogData().lines();
    if (state.range(0) == 0) t.index = {};
    state.counters["index"] = double(state.range(0));
    return t;
}

void BM_ScanLines(benchmark::State& state) {
    Bytes d = AllBytes();
    std::vector<uint64_t> index(pk::LineIndexSize(uint64_t(d.size())));
    Compare(
        state, [&] { benchmark::DoNotOptimize(pk::ScanLines(d, index)); },
        [&] { benchmark::DoNotOptimize(ByteLoopScan(d)); }, d.size());
}

// The scan on UTF-8 text that is mostly multi-byte (argument 0: accented
// Latin, 1: CJK), where every line is also measured in cells.
void BM_ScanLinesUtf8(benchmark::State& state) {
    Bytes d = SharedUtf8Data(state.range(0) == 1).all();
    std::vector<uint64_t> index(pk::LineIndexSize(uint64_t(d.size())));
    Compare(
        state, [&] { benchmark::DoNotOptimize(pk::ScanLines(d, index)); },
        [&] { benchmark::DoNotOptimize(ByteLoopScan(d)); }, d.size());
    state.SetLabel(state.range(0) == 1 ? "cjk" : "latin");
}

// LineAt for the last line with the cache on line 1, then for line 1 with
// the cache on the last line: two walks over the whole file.
void BM_LineAtForwardAndBack(benchmark::State& state) {
    Bytes d = AllBytes();
    pk::TextLines t = Lines(state);
    uint64_t count = t.lineCount;
    auto ours = [&] {
        pk::LineInfo last, first;
        pk::LineAt(t, pk::LineCache{}, count, last);
        pk::LineAt(t, pk::LineCache{last.offset, count, last.start}, 1, first);
        benchmark::DoNotOptimize(last.length + first.length);
    };
    auto byteLoop = [&] {
        size_t s = 0;
        for (uint64_t n = 1; n < count; ++n) s = ByteLoopNext(d, s);
        size_t end = s;
        for (uint64_t n = count; n > 1; --n) s = ByteLoopPrev(d, s);
        benchmark::DoNotOptimize(end + s);
    };
    Compare(state, ours, byteLoop, 2 * d.size());
}

// LineAt for every line in turn, one step from the line before, both ways
// (the way the text view scrolls), with each line's length.
void BM_LineAtEveryLine(benchmark::State& state) {
    Bytes d = AllBytes();
    pk::TextLines t = Lines(state);
    uint64_t count = t.lineCount;
    auto ours = [&] {
        pk::LineCache cache;
        pk::LineInfo info;
        uint64_t sum = 0;
        for (uint64_t n = 1; n <= count; ++n) {
            pk::LineAt(t, cache, n, info);
            cache = pk::LineCache{info.offset, n, info.start};
            sum += info.length;
        }
        for (uint64_t n = count; n >= 1; --n) {
            pk::LineAt(t, cache, n, info);
            cache = pk::LineCache{info.offset, n, info.start};
            sum += info.length;
        }
        benchmark::DoNotOptimize(sum);
    };
    auto byteLoop = [&] {
        uint64_t sum = 0;
        size_t s = 0;
        for (uint64_t n = 1; n <= count; ++n) {
            if (n > 1) s = ByteLoopNext(d, s);
            sum += ByteLoopLength(d, s);
        }
        for (uint64_t n = count; n >= 1; --n) {
            if (n < count) s = ByteLoopPrev(d, s);
            sum += ByteLoopLength(d, s);
        }
        benchmark::DoNotOptimize(sum);
    };
    Compare(state, ours, byteLoop, 2 * d.size());
}

void BM_TopLineForOffset(benchmark::State& state) {
    Bytes d = AllBytes();
    pk::TextLines t = Lines(state);
    uint64_t offset = uint64_t(d.size() - 2);
    Compare(
        state,
        [&] {
            pk::LineCache cache;
            benchmark::DoNotOptimize(pk::TopLineForOffset(t, offset, cache));
        },
        [&] {
            size_t start = 0;
            benchmark::DoNotOptimize(ByteLoopLineOf(d, offset, start));
        },
        d.size());
}

void BM_OffsetToLineColumn(benchmark::State& state) {
    Bytes d = AllBytes();
    pk::TextLines t = Lines(state);
    uint64_t offset = uint64_t(d.size() - 2);
    Compare(
        state,
        [&] {
            uint64_t line = 0, column = 0;
            pk::OffsetToLineColumn(t, pk::LineCache{}, offset, line, column);
            benchmark::DoNotOptimize(line + column);
        },
        [&] {
            size_t start = 0;
            uint64_t line = ByteLoopLineOf(d, offset, start);
            benchmark::DoNotOptimize(line + uint64_t(offset - start + 1));
        },
        d.size());
}

BENCHMARK(BM_ScanLines)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScanLinesUtf8)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LineAtForwardAndBack)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_LineAtEveryLine)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TopLineForOffset)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_OffsetToLineColumn)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
