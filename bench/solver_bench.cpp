// The hints and the par on the largest board, against the budget a hint has: 100 ms, the
// most a player should wait after asking. Prints each figure and its ratio to the budget.

#include "core/board/puzzle.h"
#include "core/board/puzzle_plan.h"
#include "core/board/solver.h"

#include "ratio_reporter.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <iostream>

namespace {

using namespace tessaron;

constexpr double kBudgetSeconds = 0.100;

// A 75 x 75 board as the game hands it over, shuffled by the puzzle itself.
BoardArray shuffled(PuzzleStyle style)
{
    PuzzlePlan plan;
    plan.columns = 75;
    plan.rows = 75;
    plan.style = style;
    plan.layout.picWidth = 150 * 15.0f;
    plan.layout.picHeight = 150 * 15.0f;
    plan.boardWidth = 151;
    plan.boardHeight = 151;
    Puzzle puzzle = Puzzle::build(Surface(151, 151), plan);
    RandomSource random(2024);
    puzzle.shuffle(random);
    return puzzle.board();
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
        benchmark::DoNotOptimize(par(board, false));
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
    benchmark::Shutdown();
    return 0;
}
