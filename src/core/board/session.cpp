#include "core/board/session.h"

#include "core/board/solver.h"

#include <algorithm>

namespace tessaron {
namespace {

constexpr auto kBurstRefresh = std::chrono::milliseconds(16);
// Reading the clock costs more than a small exchange: it is looked at every few.
constexpr int kExchangesPerLook = 16;

}  // namespace

void PuzzleSession::setState(PlayState next)
{
    // The commands follow from the facts: a puzzle, not yet solved, whose board is not
    // covered by the finished picture.
    const bool open = puzzle_.exists() && !solved_ && !next.finishedPictureShown;
    next.undoAvailable = open && !done_.empty();
    next.redoAvailable = open && !undone_.empty();
    next.restartAvailable = open && !done_.empty();
    next.hintAvailable = open && !puzzle_.isSolved();
    if (next == state_)
        return;
    state_ = next;
    screen_.showPlayState(state_);
}

PlayRecord PuzzleSession::record() const
{
    PlayRecord record;
    record.shown = puzzle_.exists();
    record.moves = static_cast<std::int32_t>(done_.size());
    if (firstMove_)
        record.seconds = std::chrono::duration_cast<std::chrono::seconds>(stoppedAt_.value_or(clock_()) - *firstMove_).count();
    if (solved_)
        record.par = par_;
    return record;
}

void PuzzleSession::showRecord()
{
    const PlayRecord now = record();
    if (now == shownRecord_)
        return;
    shownRecord_ = now;
    screen_.showRecord(now);
}

void PuzzleSession::clear(std::int32_t width, std::int32_t height, Pixel background)
{
    ++deal_;
    hintWaiting_ = 0;
    puzzle_ = Puzzle::blank(width, height, background);
    input_ = {};
    setState({.finishedPictureShown = false, .showImageAvailable = false});
    showRecord();
}

void PuzzleSession::start(Puzzle next, std::uint64_t seed)
{
    puzzle_ = std::move(next);
    ++deal_;
    hintWaiting_ = 0;
    shortestSteps_.clear();
    // Nothing picked on the new board: a release with no press on it moves nothing.
    input_ = {};
    done_.clear();
    undone_.clear();
    solved_ = false;
    firstMove_.reset();
    stoppedAt_.reset();
    par_.reset();
    setState({.finishedPictureShown = false, .showImageAvailable = true});
    screen_.placeNewPuzzle(puzzle_);
    screen_.showChanges(puzzle_.takeDamage());
    screen_.settle();

    RandomSource random(seed);
    using Steady = std::chrono::steady_clock;
    auto lastShown = Steady::now();
    int sinceLook = 0;
    puzzle_.shuffle(random, [&] {
        if (++sinceLook < kExchangesPerLook)
            return;
        sinceLook = 0;
        if (Steady::now() - lastShown >= kBurstRefresh) {
            screen_.showChanges(puzzle_.takeDamage());
            lastShown = Steady::now();
        }
    });
    screen_.showChanges(puzzle_.takeDamage());
    handedOver_ = puzzle_.board();
    par_ = instantPar(handedOver_, puzzle_.style());
    setState(state_);
    showRecord();
}

MoveResult PuzzleSession::play(const Move& move)
{
    const MoveResult result = puzzle_.play(move);
    screen_.showChanges(puzzle_.takeDamage());
    return result;
}

MoveResult PuzzleSession::playerMove(const Move& move)
{
    // Only a move that changes the board counts, and none after the victory: its figures
    // stay until the next puzzle.
    const bool counts = puzzle_.allows(move) && move.from != move.to && !solved_;
    const MoveResult result = play(move);
    if (counts) {
        done_.push_back(move);
        undone_.clear();
        if (!firstMove_)
            firstMove_ = clock_();
    }
    return result;
}

void PuzzleSession::afterMove(MoveResult result)
{
    if (result == MoveResult::Solved && !solved_) {
        solved_ = true;
        stoppedAt_ = clock_();
    }
    setState(state_);
    showRecord();
    // Once the player has read the message, the finished picture covers the board and
    // stays until a new puzzle, unless a preview cycle under way hides it again.
    if (result == MoveResult::Solved && screen_.announceVictory())
        setState({.finishedPictureShown = true, .showImageAvailable = false});
}

void PuzzleSession::forgetHint()
{
    hintWaiting_ = 0;
    if (!input_.hint())
        return;
    input_.forgetHint();
    screen_.showInput(input_, std::nullopt);
}

void PuzzleSession::pressAt(float x, float y)
{
    const std::optional<Place> place = puzzle_.placeAt(x, y);
    // The finished picture covers the places; around it, a press still counts.
    if (!takesInput() && place)
        return;
    hintWaiting_ = 0;
    input_.forgetHint();
    input_.press(place);
    screen_.showInput(input_, std::nullopt);
}

MoveResult PuzzleSession::releaseAt(float x, float y)
{
    if (!takesInput())
        return MoveResult::Refused;
    const ReleaseIntent intent = input_.release(puzzle_.placeAt(x, y), puzzle_);
    MoveResult result = MoveResult::Refused;
    for (const Move& move : intent.moves) {
        result = playerMove(move);
        if (result == MoveResult::Solved)
            break;
    }
    if (intent.moves.empty() && intent.onBoard && puzzle_.isSolved())
        result = MoveResult::Solved;
    screen_.showInput(input_, std::nullopt);
    afterMove(result);
    return result;
}

KeyOutcome PuzzleSession::keyPressed(Key key)
{
    if (!takesInput())
        return {};
    hintWaiting_ = 0;
    input_.forgetHint();
    const KeyIntent intent = input_.key(key, puzzle_);
    const MoveResult result = intent.move ? playerMove(*intent.move) : MoveResult::Refused;
    screen_.showInput(input_, intent.report);
    afterMove(result);
    return {result, intent.report};
}

void PuzzleSession::undo()
{
    if (state_.undoAvailable)
        replayNewest(done_, undone_, true);
}

void PuzzleSession::redo()
{
    if (state_.redoAvailable)
        replayNewest(undone_, done_, false);
}

void PuzzleSession::replayNewest(std::vector<Move>& from, std::vector<Move>& to, bool backwards)
{
    forgetHint();
    const Move move = from.back();
    from.pop_back();
    // Both styles take a move back by the move the other way: an exchange is its own
    // inverse, and a slide leaves the empty place where the piece came from.
    const MoveResult result = play(backwards ? Move{move.to, move.from} : move);
    to.push_back(move);
    afterMove(result);
}

void PuzzleSession::restart()
{
    if (!state_.restartAvailable)
        return;
    forgetHint();
    for (; !done_.empty(); done_.pop_back())
        puzzle_.play({done_.back().to, done_.back().from});
    screen_.showChanges(puzzle_.takeDamage());
    undone_.clear();
    firstMove_.reset();
    afterMove(MoveResult::Refused);
}

std::optional<SearchRequest> PuzzleSession::showHint()
{
    if (!state_.hintAvailable)
        return std::nullopt;
    const BoardArray& board = puzzle_.board();
    std::optional<Move> hint;
    if (!puzzle_.sliding()) {
        hint = exchangeHint(board);
    } else if (!slideCountNeedsSearch(board)) {
        hint = slideHint(board);
    } else {
        const auto known = std::find_if(shortestSteps_.begin(), shortestSteps_.end(),
            [&board](const auto& step) { return step.first == board; });
        if (known == shortestSteps_.end()) {
            hintWaiting_ = ++lastTicket_;
            return SearchRequest{deal_, hintWaiting_, board};
        }
        hint = known->second;
    }
    input_.showHint(hint);
    screen_.showInput(input_, std::nullopt);
    return std::nullopt;
}

void PuzzleSession::hintOverdue(std::uint64_t ticket)
{
    if (ticket == 0 || ticket != hintWaiting_)
        return;
    hintWaiting_ = 0;
    input_.showHint(slideHint(puzzle_.board()));
    screen_.showInput(input_, std::nullopt);
}

std::optional<SearchRequest> PuzzleSession::parSearch() const
{
    if (!puzzle_.exists() || !puzzle_.sliding() || par_ || !slideCountNeedsSearch(handedOver_))
        return std::nullopt;
    return SearchRequest{deal_, 0, handedOver_};
}

void PuzzleSession::takeSolution(const SearchRequest& asked, const std::vector<Move>& solution)
{
    if (asked.deal != deal_)
        return;
    // A player asking hint after hint on one puzzle meets a few hundred arrangements at
    // most; past that, start again rather than grow.
    if (shortestSteps_.size() > 4096)
        shortestSteps_.clear();
    BoardArray board = asked.board;
    for (const Move& move : solution) {
        shortestSteps_.emplace_back(board, move);
        board.exchange(move.from, move.to);
    }
    if (!par_ && asked.board == handedOver_) {
        par_ = static_cast<std::int32_t>(solution.size());
        showRecord();
    }
    if (asked.ticket != 0 && asked.ticket == hintWaiting_ && asked.board == puzzle_.board() && !solution.empty()) {
        hintWaiting_ = 0;
        input_.showHint(solution.front());
        screen_.showInput(input_, std::nullopt);
    }
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
    showRecord();
}

}  // namespace tessaron
