// exchangePlaces against its physical bound: memcpy of the same bytes, in the same run.
// Prints the ratio per grid.

#include "core/board/rendering.h"

#include "ratio_reporter.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace tessaron;

constexpr std::int32_t kWidth = 1920;
constexpr std::int32_t kHeight = 1080;

PlaceGeometry geometryFor(std::int16_t grid)
{
    return PlaceGeometry{15.0f, 15.0f, grid, grid, kWidth * 15.0f, kHeight * 15.0f, 0, 0};
}

struct Exchange {
    std::int32_t fromX, fromY, toX, toY;
};

std::vector<Exchange> randomExchanges(std::int16_t grid)
{
    std::mt19937 generator(1234);
    std::uniform_int_distribution<std::int32_t> place(1, grid);
    std::vector<Exchange> exchanges(4096);
    for (auto& e : exchanges)
        e = {place(generator), place(generator), place(generator), place(generator)};
    return exchanges;
}

void BM_ExchangePlaces(benchmark::State& state)
{
    const auto grid = static_cast<std::int16_t>(state.range(0));
    Surface window(kWidth, kHeight);
    Surface scratch(kWidth, kHeight);
    const PlaceGeometry geometry = geometryFor(grid);
    const std::vector<Exchange> exchanges = randomExchanges(grid);
    std::size_t i = 0;
    for (auto _ : state) {
        const Exchange& e = exchanges[i++ % exchanges.size()];
        const Move move{{static_cast<std::int16_t>(e.fromX), static_cast<std::int16_t>(e.fromY)},
            {static_cast<std::int16_t>(e.toX), static_cast<std::int16_t>(e.toY)}};
        benchmark::DoNotOptimize(exchangePlaces(window, scratch, geometry, move));
    }
    const PixelRect piece = geometry.windowRect(1, 1);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 3 * piece.w * piece.h * 4);
}

// The bound: the same bytes, that is the same three rectangles of the same surfaces,
// moved row by row with plain memcpy and nothing else: no geometry, no clipping.
void copyRect(Surface& dst, const PixelRect& to, const Surface& src, const PixelRect& from)
{
    const auto bytes = static_cast<std::size_t>(from.w) * sizeof(Pixel);
    for (std::int32_t y = 0; y < from.h; ++y)
        std::memcpy(dst.row(to.y + y) + to.x, src.row(from.y + y) + from.x, bytes);
}

void BM_Memcpy(benchmark::State& state)
{
    const auto grid = static_cast<std::int16_t>(state.range(0));
    Surface window(kWidth, kHeight);
    Surface scratch(kWidth, kHeight);
    const PlaceGeometry geometry = geometryFor(grid);
    struct Rects {
        PixelRect a, b, bScratch;
    };
    std::vector<Rects> rects;
    for (const Exchange& e : randomExchanges(grid))
        rects.push_back({geometry.windowRect(e.fromX, e.fromY), geometry.windowRect(e.toX, e.toY),
            geometry.pieceRect()});
    std::size_t i = 0;
    for (auto _ : state) {
        const Rects& r = rects[i++ % rects.size()];
        copyRect(scratch, r.bScratch, window, r.a);
        copyRect(window, r.a, window, r.b);
        copyRect(window, r.b, scratch, r.bScratch);
        benchmark::ClobberMemory();
    }
    const PixelRect piece = geometry.windowRect(1, 1);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 3 * piece.w * piece.h * 4);
}

BENCHMARK(BM_ExchangePlaces)->Arg(4)->Arg(20)->Arg(75);
BENCHMARK(BM_Memcpy)->Arg(4)->Arg(20)->Arg(75);


}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::cout << "\nexchangePlaces / memcpy of the same bytes (target: <= 1.5 at 4 and 20, <= 3 at 75)\n";
    for (const char* grid : {"4", "20", "75"}) {
        const double exchange = reporter.cpu("BM_ExchangePlaces/" + std::string(grid));
        const double copy = reporter.cpu("BM_Memcpy/" + std::string(grid));
        if (exchange > 0 && copy > 0)
            std::cout << "  " << grid << " x " << grid << ": " << exchange / copy << "\n";
    }
    benchmark::Shutdown();
    return 0;
}
