// tessaron-solve: the game's own solver on boards given in their text form (see
// core/board/board_text.h), for tests, bug reports and the curious. For each board, in
// order:
//   fewest N            the fewest slides, or "unknown" past 16 places
//   solution M: a b ... the pieces slid, in order; shortest where the count is known
// A board slides cannot solve gets "fewest none" and "solution none". A text that is no
// board is named on stderr, and the program ends with status 2 after the rest.

#include "core/board/board_text.h"
#include "core/board/rules.h"
#include "core/board/solver.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    using namespace tessaron;
    if (argc < 2) {
        std::fputs("usage: tessaron-solve BOARD...   e.g. tessaron-solve \"3x3:1 2 3 4 5 6 7 0 8\"\n", stderr);
        return 2;
    }
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        const std::optional<BoardArray> board = boardFromText(argv[i]);
        if (!board) {
            std::fprintf(stderr, "tessaron-solve: not a board: %s\n", argv[i]);
            status = 2;
            continue;
        }
        std::optional<std::vector<Move>> moves = shortestSlides(*board);
        const bool shortest = moves.has_value();
        if (!moves && isSolvableBySlides(*board))
            moves = solveBySlides(*board);
        if (!moves) {
            std::puts("fewest none\nsolution none");
            continue;
        }
        std::string lines = "fewest " + (shortest ? std::to_string(moves->size()) : std::string("unknown")) + "\n";
        lines += "solution " + std::to_string(moves->size()) + ":";
        BoardArray played = *board;
        for (const Move& move : *moves) {
            lines += " " + std::to_string(played[move.from]);
            played.exchange(move.from, move.to);
        }
        std::puts(lines.c_str());
    }
    return status;
}
