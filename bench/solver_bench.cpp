// The hints and the par on the largest board, against the budget a hint has: 100 ms, the
// most a player should wait after asking. Prints each figure and its ratio to the budget.
// Then the exact search: its tables' build time and memory (in a cache folder of its own),
// the par on the game's own shuffles of seeds 1-50 (4 x 4 must stay under 0.05 s at the
// median and 5 s at worst), and the plan's routes against the Manhattan bound.

#include "core/board/puzzle.h"
#include "core/board/puzzle_plan.h"
#include "core/board/slide_search.h"
#include "core/board/solver.h"

#include "ratio_reporter.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <vector>

namespace {

using namespace tessaron;

constexpr double kBudgetSeconds = 0.100;

// A board as the game hands it over, shuffled by the puzzle itself; 75 x 75 unless told.
BoardArray shuffled(PuzzleStyle style, std::int16_t columns = 75, std::int16_t rows = 75, std::uint64_t seed = 2024)
{
    PuzzlePlan plan;
    plan.columns = columns;
    plan.rows = rows;
    plan.style = style;
    plan.layout.picWidth = 2 * columns * 15.0f;
    plan.layout.picHeight = 2 * rows * 15.0f;
    plan.boardWidth = 2 * columns + 1;
    plan.boardHeight = 2 * rows + 1;
    Puzzle puzzle = Puzzle::build(Surface(plan.boardWidth, plan.boardHeight), plan);
    RandomSource random(seed);
    puzzle.shuffle(random);
    return puzzle.board();
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Each shape's tables built (and kept), then read back as a later run would.
void reportTables()
{
    std::cout << "\nExact search tables (built and kept, then read back)\n";
    for (const auto& [columns, rows] : {std::pair{4, 4}, {3, 5}, {2, 8}, {4, 3}, {2, 5}}) {
        forgetSlideTables();
        auto start = std::chrono::steady_clock::now();
        const std::size_t bytes = prepareSlideTables(columns, rows);
        const double built = secondsSince(start);
        forgetSlideTables();
        start = std::chrono::steady_clock::now();
        prepareSlideTables(columns, rows);
        std::cout << "  " << columns << " x " << rows << ": " << static_cast<double>(bytes) / (1 << 20) << " MiB, built in "
                  << built << " s, read back in " << secondsSince(start) << " s\n";
    }
}

// The par on the game's own shuffles of seeds 1-50, the tables already in memory.
void reportPar(std::int16_t columns, std::int16_t rows)
{
    prepareSlideTables(columns, rows);
    std::vector<double> times;
    std::int32_t longest = 0;
    for (std::uint64_t seed = 1; seed <= 50; ++seed) {
        const BoardArray board = shuffled(PuzzleStyle::Difficult, columns, rows, seed);
        const auto start = std::chrono::steady_clock::now();
        longest = std::max(longest, fewestSlides(board).value_or(-1));
        times.push_back(secondsSince(start));
    }
    std::sort(times.begin(), times.end());
    std::cout << "  " << columns << " x " << rows << ": median " << (times[24] + times[25]) / 2 << " s, 90th percentile "
              << times[44] << " s, worst " << times.back() << " s (longest par " << longest << ")\n";
}

// The plan's route against the Manhattan bound (each piece's distance from home, the
// empty place not counted), mean over the game's shuffles of seeds 1-20.
void reportRoutes()
{
    std::cout << "\nPlan's route / Manhattan bound, mean of seeds 1-20\n";
    for (const std::int16_t size : {std::int16_t{5}, std::int16_t{8}, std::int16_t{12}, std::int16_t{30}}) {
        double sum = 0;
        for (std::uint64_t seed = 1; seed <= 20; ++seed) {
            const BoardArray board = shuffled(PuzzleStyle::Difficult, size, size, seed);
            std::int64_t bound = 0;
            for (std::int32_t r = 1; r <= size; ++r)
                for (std::int32_t c = 1; c <= size; ++c) {
                    const std::int32_t piece = board(c, r) - 1;
                    if (piece + 1 != board.lastPiece())
                        bound += std::abs(piece % size + 1 - c) + std::abs(piece / size + 1 - r);
                }
            sum += static_cast<double>(solveBySlides(board).size()) / static_cast<double>(bound);
        }
        std::cout << "  " << size << " x " << size << ": " << sum / 20 << "\n";
    }
}

void BM_SlideHint(benchmark::State& state)
{
    const BoardArray board = shuffled(PuzzleStyle::Difficult);
    for (auto _ : state)
        benchmark::DoNotOptimize(slideHint(board));
}

// The whole solution, of which a hint plays only the first slide.
void BM_SolveBySlides(benchmark::State& state)
{
    const BoardArray board = shuffled(PuzzleStyle::Difficult);
    std::size_t slides = 0;
    for (auto _ : state) {
        const std::vector<Move> solution = solveBySlides(board);
        slides = solution.size();
        benchmark::DoNotOptimize(solution.data());
    }
    state.counters["slides"] = static_cast<double>(slides);
}

void BM_ParNormal(benchmark::State& state)
{
    const BoardArray board = shuffled(PuzzleStyle::Normal);
    for (auto _ : state)
        benchmark::DoNotOptimize(par(board, PuzzleStyle::Normal));
}

BENCHMARK(BM_SlideHint)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SolveBySlides)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParNormal)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    // The first count on a 3 x 3 board builds that shape's table: a one-time cost, timed
    // once before anything else asks for it.
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(fewestSlides(solvedBoard(3, 3)));
    const std::chrono::duration<double, std::milli> tableTime = std::chrono::steady_clock::now() - start;
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // Wall-clock time is what the player waits; processor time shows what other work on
    // a busy machine added to it.
    std::cout << "\n75 x 75 (wall clock, processor time)\n";
    for (const char* name : {"BM_SlideHint", "BM_SolveBySlides"}) {
        const double real = reporter.real(name);
        if (real > 0)
            std::cout << "  " << name << ": " << real * 1e3 << " ms, " << reporter.cpu(name) * 1e3 << " ms; "
                      << real / kBudgetSeconds << " of the 100 ms budget (target: <= 1)\n";
    }
    if (const double par = reporter.real("BM_ParNormal"); par > 0)
        std::cout << "  BM_ParNormal: " << par * 1e6 << " us, " << reporter.cpu("BM_ParNormal") * 1e6 << " us\n";
    std::cout << "  the 3 x 3 table, built once: " << tableTime.count() << " ms\n";
    // A cache folder of the benchmark's own, so that the build is timed, not a kept file.
    const std::filesystem::path cache = std::filesystem::temp_directory_path() / "tessaron-solver-bench";
    std::filesystem::remove_all(cache);
    setenv("XDG_CACHE_HOME", cache.c_str(), 1);
    reportTables();
    std::cout << "\nPar search on the game's shuffles of seeds 1-50 (wall clock), columns x rows\n";
    for (const auto& [columns, rows] : {std::pair<std::int16_t, std::int16_t>{4, 4}, {3, 5}, {2, 8}})
        reportPar(columns, rows);
    reportRoutes();
    std::filesystem::remove_all(cache);
    benchmark::Shutdown();
    return 0;
}
