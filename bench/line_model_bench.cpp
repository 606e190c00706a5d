// The line model on log-like text (1 GiB; ~4 MiB with PK_BENCH_SMALL=1):
// the load-time scan, walking every line forward and back from the moving
// cache, and the two conversions from an offset in the last line. Each
// benchmark also times a plain byte-at-a-time loop doing the same job and
// reports the ratio as "x_byte_loop", so the figure holds on a busy machine.
#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>

#include "bench_data.h"
#include "display/line_model.h"

namespace {

using pk::Bytes;
using Clock = std::chrono::steady_clock;

const std::vector<uint8_t>& Data() {
    static const std::vector<uint8_t> data = pkbench::LogData(pkbench::DataSize());
    return data;
}

Bytes AllBytes() { return Bytes(Data().data(), Data().size()); }

double Seconds(const std::function<void()>& job) {
    auto start = Clock::now();
    job();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Runs ours under the benchmark's timer, then the byte loop as many times
// (at most 3), and reports throughput and the ratio.
void Compare(benchmark::State& state, const std::function<void()>& ours, const std::function<void()>& byteLoop,
             size_t bytesPerRun) {
    double oursTotal = 0;
    int64_t runs = 0;
    for (auto _ : state) {
        oursTotal += Seconds(ours);
        ++runs;
    }
    int64_t refRuns = std::min<int64_t>(runs, 3);
    double refTotal = 0;
    for (int64_t i = 0; i < refRuns; ++i) refTotal += Seconds(byteLoop);
    double oursEach = oursTotal / runs, refEach = refTotal / refRuns;
    state.SetBytesProcessed(int64_t(bytesPerRun) * runs);
    state.counters["GB/s"] = bytesPerRun / oursEach / 1e9;
    state.counters["byte_loop_GB/s"] = bytesPerRun / refEach / 1e9;
    state.counters["x_byte_loop"] = refEach / oursEach;
}

// --- The byte-at-a-time versions -------------------------------------------

__attribute__((noinline)) pk::ScanResult ByteLoopScan(Bytes d) {
    pk::ScanResult r;
    uint32_t raw = 1, exp = 1;
    for (size_t p = 0; p < d.size(); ++p) {
        uint8_t c = d[p];
        if (c == '\n') {
            r.lineCount++;
            if (raw - 1 > r.longestRaw) r.longestRaw = raw - 1;
            if (exp - 1 > r.longestExpanded) r.longestExpanded = exp - 1;
            raw = exp = 1;
        } else if (c == '\t') {
            exp += pk::TabWidth(exp);
            raw++;
        } else if (c == '\r' && p + 1 < d.size() && d[p + 1] == '\n') {
        } else {
            raw++;
            exp++;
        }
    }
    if (raw > 1) r.lineCount++;
    return r;
}

__attribute__((noinline)) size_t ByteLoopNext(Bytes d, size_t s) {
    while (s < d.size() && d[s] != '\n') ++s;
    return s + 1;
}

__attribute__((noinline)) size_t ByteLoopPrev(Bytes d, size_t s) {
    size_t p = s - 1;
    while (p > 0 && d[p - 1] != '\n') --p;
    return p;
}

__attribute__((noinline)) uint32_t ByteLoopLength(Bytes d, size_t s) {
    size_t e = s;
    while (e < d.size() && d[e] != '\n') ++e;
    if (e > s && d[e - 1] == '\r') --e;
    return uint32_t(e - s);
}

// Line and start of an offset, walking forward line by line.
__attribute__((noinline)) uint32_t ByteLoopLineOf(Bytes d, size_t offset, size_t& start) {
    uint32_t line = 1;
    start = 0;
    for (;;) {
        size_t next = ByteLoopNext(d, start);
        if (next > offset || next >= d.size()) return line;
        start = next;
        ++line;
    }
}

// --- Benchmarks --------------------------------------------------------------

void BM_ScanLines(benchmark::State& state) {
    Bytes d = AllBytes();
    Compare(
        state, [&] { benchmark::DoNotOptimize(pk::ScanLines(d)); },
        [&] { benchmark::DoNotOptimize(ByteLoopScan(d)); }, d.size());
}

void BM_LineAtForwardAndBack(benchmark::State& state) {
    Bytes d = AllBytes();
    uint32_t count = pk::ScanLines(d).lineCount;
    auto ours = [&] {
        pk::LineCache cache;
        pk::LineInfo info;
        uint64_t sum = 0;
        for (uint32_t n = 1; n <= count; ++n) {
            pk::LineAt(d, count, cache, n, info);
            cache = pk::LineCache{info.offset, n, info.start};
            sum += info.length;
        }
        for (uint32_t n = count; n >= 1; --n) {
            pk::LineAt(d, count, cache, n, info);
            cache = pk::LineCache{info.offset, n, info.start};
            sum += info.length;
        }
        benchmark::DoNotOptimize(sum);
    };
    auto byteLoop = [&] {
        uint64_t sum = 0;
        size_t s = 0;
        for (uint32_t n = 1; n <= count; ++n) {
            if (n > 1) s = ByteLoopNext(d, s);
            sum += ByteLoopLength(d, s);
        }
        for (uint32_t n = count; n >= 1; --n) {
            if (n < count) s = ByteLoopPrev(d, s);
            sum += ByteLoopLength(d, s);
        }
        benchmark::DoNotOptimize(sum);
    };
    Compare(state, ours, byteLoop, 2 * d.size());
}

void BM_TopLineForOffset(benchmark::State& state) {
    Bytes d = AllBytes();
    uint32_t offset = uint32_t(d.size() - 2);
    Compare(
        state,
        [&] {
            pk::LineCache cache;
            benchmark::DoNotOptimize(pk::TopLineForOffset(d, offset, cache));
        },
        [&] {
            size_t start = 0;
            benchmark::DoNotOptimize(ByteLoopLineOf(d, offset, start));
        },
        d.size());
}

void BM_OffsetToLineColumn(benchmark::State& state) {
    Bytes d = AllBytes();
    uint32_t count = pk::ScanLines(d).lineCount;
    uint32_t offset = uint32_t(d.size() - 2);
    Compare(
        state,
        [&] {
            uint32_t line = 0, column = 0;
            pk::OffsetToLineColumn(d, count, pk::LineCache{}, offset, line, column);
            benchmark::DoNotOptimize(line + column);
        },
        [&] {
            size_t start = 0;
            uint32_t line = ByteLoopLineOf(d, offset, start);
            benchmark::DoNotOptimize(line + uint32_t(offset - start + 1));
        },
        d.size());
}

BENCHMARK(BM_ScanLines)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LineAtForwardAndBack)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TopLineForOffset)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OffsetToLineColumn)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
