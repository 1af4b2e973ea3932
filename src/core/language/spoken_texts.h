#pragma once
// What screen readers hear of play on the board, in the game's language.

#include "core/board/board_input.h"
#include "core/language/language.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tessaron {

// "Column 2, row 3" and the like, or nothing for a code that is neither English nor
// Spanish; `other` counts only for an exchange.
std::optional<std::string> boardNewsText(BoardNews news, std::int32_t column, std::int32_t row,
    std::int32_t otherColumn, std::int32_t otherRow, Language language);

}  // namespace tessaron
