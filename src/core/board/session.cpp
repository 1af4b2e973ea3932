#include "core/board/session.h"

#include <chrono>

namespace tessaron {
namespace {

constexpr auto kBurstRefresh = std::chrono::milliseconds(16);
// Reading the clock costs more than a small exchange: it is looked at every few.
constexpr int kExchangesPerLook = 16;

}  // namespace

void PuzzleSession::setState(PlayState next)
{
    if (next == state_)
        return;
    state_ = next;
    screen_.showPlayState(state_);
}

void PuzzleSession::clear(std::int32_t width, std::int32_t height, Pixel background)
{
    puzzle_ = Puzzle::blank(width, height, background);
    input_ = {};
    setState({.finishedPictureShown = false, .showImageAvailable = false});
}

void PuzzleSession::start(Puzzle next, std::uint64_t seed)
{
    puzzle_ = std::move(next);
    // Nothing picked on the new board: a release with no press on it moves nothing.
    input_ = {};
    setState({.finishedPictureShown = false, .showImageAvailable = true});
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

MoveResult PuzzleSession::play(const Move& move)
{
    const MoveResult result = puzzle_.play(move);
    screen_.showChanges(puzzle_.takeDamage());
    return result;
}

void PuzzleSession::celebrateIfSolved(MoveResult result)
{
    // Once the player has read the message, the finished picture covers the board and
    // stays until a new puzzle, unless a preview cycle under way hides it again.
    if (result == MoveResult::Solved && screen_.announceVictory())
        setState({.finishedPictureShown = true, .showImageAvailable = false});
}

void PuzzleSession::pressAt(float x, float y)
{
    const std::optional<Place> place = puzzle_.placeAt(x, y);
    // The finished picture covers the places; around it, a press still drops the pick.
    if (!takesInput() && place)
        return;
    input_.press(place);
    screen_.showInput(input_.cursor(), std::nullopt);
}

MoveResult PuzzleSession::releaseAt(float x, float y)
{
    if (!takesInput())
        return MoveResult::Refused;
    const std::optional<Move> move = input_.release(puzzle_.placeAt(x, y));
    if (!move)
        return MoveResult::Refused;
    const MoveResult result = play(*move);
    celebrateIfSolved(result);
    return result;
}

KeyOutcome PuzzleSession::keyPressed(Key key)
{
    if (!takesInput())
        return {};
    const KeyIntent intent = input_.key(key, puzzle_);
    const MoveResult result = intent.move ? play(*intent.move) : MoveResult::Refused;
    screen_.showInput(input_.cursor(), intent.report);
    celebrateIfSolved(result);
    return {result, intent.report};
}

void PuzzleSession::showWholePicture()
{
    if (!state_.showImageAvailable)
        return;
    preview_.click();
    setState({.finishedPictureShown = true, .showImageAvailable = true});
}

void PuzzleSession::tick()
{
    const PreviewCycle::Tick tick = preview_.tick();
    PlayState next = state_;
    if (tick.disableCommand)
        next.showImageAvailable = false;
    if (tick.hideOverlay)
        next.finishedPictureShown = false;
    if (tick.enableCommand)
        next.showImageAvailable = true;
    setState(next);
}

}  // namespace tessaron
