#include "core/board/session.h"

#include <chrono>

namespace tessaron {
namespace {

constexpr auto kBurstRefresh = std::chrono::milliseconds(16);
// Reading the clock costs more than a small exchange: it is looked at every few.
constexpr int kExchangesPerLook = 16;

}  // namespace

void PuzzleSession::clear(std::int32_t width, std::int32_t height, Pixel background)
{
    puzzle_ = Puzzle::blank(width, height, background);
}

void PuzzleSession::start(Puzzle next, std::uint64_t seed)
{
    puzzle_ = std::move(next);
    screen_.placeNewPuzzle(puzzle_);
    screen_.showChanges(puzzle_.takeDamage());
    screen_.settle();

    RandomSource random(seed);
    using Clock = std::chrono::steady_clock;
    auto lastShown = Clock::now();
    int sinceLook = 0;
    puzzle_.shuffle(random, [&] {
        if (++sinceLook < kExchangesPerLook)
            return;
        sinceLook = 0;
        if (Clock::now() - lastShown >= kBurstRefresh) {
            screen_.showChanges(puzzle_.takeDamage());
            lastShown = Clock::now();
        }
    });
    screen_.showChanges(puzzle_.takeDamage());
}

MoveResult PuzzleSession::releaseAt(float x, float y)
{
    const MoveResult result = puzzle_.releaseAt(x, y);
    screen_.showChanges(puzzle_.takeDamage());
    return result;
}

KeyOutcome PuzzleSession::keyPressed(Key key)
{
    const KeyOutcome outcome = puzzle_.keyPressed(key);
    screen_.showChanges(puzzle_.takeDamage());
    return outcome;
}

}  // namespace tessaron
