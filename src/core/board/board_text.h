#pragma once
// Boards written as text, as other puzzle collections write their game descriptions, so
// that a test, a bug report or the command line can carry one: "COLUMNSxROWS:" and the
// pieces in reading order, separated by single spaces, each numbered 1..N by its home
// place in reading order and the empty place written 0. The solved 3 x 3 board is
// "3x3:1 2 3 4 5 6 7 8 0".

#include "core/board/board_state.h"

#include <optional>
#include <string>
#include <string_view>

namespace tessaron {

std::string boardText(const BoardArray& board);

// Nothing unless the text is exactly that form: a grid of 1 to 75 columns and rows, and
// every piece 0..N-1 once.
std::optional<BoardArray> boardFromText(std::string_view text);

}  // namespace tessaron
