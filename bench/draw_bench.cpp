// Time per redraw of the data area: the text view and the hex view on 80x25
// and 250x80 screens, tabs on and off, at the top, middle and end of a large
// file (1 GiB; a few MiB with PK_BENCH_SMALL=1), UTF-8 text (accented Latin
// and CJK) beside ASCII, and one very long line shown far to the right. The
// console is an in-memory grid, so the figures are the views' own work plus
// one block copy.
#include <benchmark/benchmark.h>

#include <string>
#include <utility>
#include <vector>

#include "bench_data.h"
#include "display/display_state.h"
#include "display/screen.h"
#include "display/views.h"

namespace {

using pkbench::BenchScreen;
using pkbench::ScannedData;
using pkbench::Small;

// One line of 100 MB (4 MiB when small) without tabs but a few at its start.
const ScannedData& LongLine() {
    static const ScannedData file = [] {
        std::vector<uint8_t> bytes(Small() ? (size_t(4) << 20) : size_t(100'000'000));
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t('a' + i % 26);
        for (size_t i = 0; i < 64; i += 16) bytes[i] = '\t';
        return ScannedData(std::move(bytes));
    }();
    return file;
}

constexpr int kSizes[][2] = {{80, 25}, {250, 80}};
const char* const kPlaces[] = {"top", "middle", "end"};

// Args: hex view (0/1), screen size index, tabs on (0/1), place (0 top,
// 1 middle, 2 end).
void BM_Redraw(benchmark::State& state) {
    const bool hex = state.range(0) != 0;
    BenchScreen screen(kSizes[state.range(1)][0], kSizes[state.range(1)][1]);
    pk::FileEntry& e = screen.use(pkbench::SharedLogData());
    pk::settings.tabsOn = uint32_t(state.range(2));
    pk::display.hexView = hex;
    const int place = int(state.range(3));
    if (hex) {
        uint32_t last = e.size - pk::program.hexPageBytes;
        e.view.offset = place == 0 ? 0 : place == 1 ? e.size / 2 : last;
    } else {
        uint32_t last = e.lineCount - pk::program.dataRows + 1;
        e.view.line = place == 0 ? 1 : place == 1 ? e.lineCount / 2 : last;
        pk::DrawTextView();  // walks the cache to the top line once
    }
    for (auto _ : state) {
        if (hex)
            pk::DrawHexView();
        else
            pk::DrawTextView();
        benchmark::DoNotOptimize(screen.console.cells().data());
    }
    state.SetLabel(std::string(hex ? "hex " : "text ") + std::to_string(kSizes[state.range(1)][0]) + "x" +
                   std::to_string(kSizes[state.range(1)][1]) + (state.range(2) ? " tabs on " : " tabs off ") +
                   kPlaces[place]);
}
BENCHMARK(BM_Redraw)->ArgsProduct({{0, 1}, {0, 1}, {0, 1}, {0, 1, 2}})->Unit(benchmark::kMicrosecond);

// UTF-8 text against ASCII on the same screens, tabs off, at the top, middle
// and end of the text. Args: text (0 log ASCII as bytes, 1 log ASCII as
// UTF-8, 2 accented Latin as UTF-8, 3 CJK as UTF-8), screen size index,
// place.
void BM_Utf8Redraw(benchmark::State& state) {
    static const char* const kTexts[] = {"ascii bytes", "ascii utf8", "latin utf8", "cjk utf8"};
    const int text = int(state.range(0));
    BenchScreen screen(kSizes[state.range(1)][0], kSizes[state.range(1)][1]);
    const ScannedData& data = text < 2 ? pkbench::SharedLogData() : pkbench::SharedUtf8Data(text == 3);
    pk::FileEntry& e = screen.use(data);
    pk::settings.tabsOn = 0;
    pk::settings.utf8On = text > 0;
    const int place = int(state.range(2));
    uint32_t last = e.lineCount - pk::program.dataRows + 1;
    e.view.line = place == 0 ? 1 : place == 1 ? e.lineCount / 2 : last;
    pk::DrawTextView();
    for (auto _ : state) {
        pk::DrawTextView();
        benchmark::DoNotOptimize(screen.console.cells().data());
    }
    state.SetLabel(std::string(kTexts[text]) + " " + std::to_string(kSizes[state.range(1)][0]) + "x" +
                   std::to_string(kSizes[state.range(1)][1]) + " " + kPlaces[place]);
}
BENCHMARK(BM_Utf8Redraw)->ArgsProduct({{0, 1, 2, 3}, {0, 1}, {0, 1, 2}})->Unit(benchmark::kMicrosecond);

// The long line shown 1,000,000 bytes before its end (99,000,000 on the
// full-size line); tabs off jumps to the column, tabs on counts the tabs.
void BM_LongLineFarRight(benchmark::State& state) {
    BenchScreen screen(80, 25);
    pk::FileEntry& e = screen.use(LongLine());
    pk::settings.tabsOn = uint32_t(state.range(0));
    e.view.column = e.size - (Small() ? 40'000 : 1'000'000);
    for (auto _ : state) {
        pk::DrawTextView();
        benchmark::DoNotOptimize(screen.console.cells().data());
    }
    state.SetLabel(std::string("column ") + std::to_string(e.view.column) +
                   (state.range(0) ? " tabs on" : " tabs off"));
}
BENCHMARK(BM_LongLineFarRight)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
