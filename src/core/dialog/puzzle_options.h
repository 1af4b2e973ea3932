#pragma once
// The arithmetic behind the dialog's options and hand-over, kept apart from the widgets.

#include <cstdint>
#include <string>
#include <string_view>

namespace tessaron {

// The number a list item's text reads as: its leading decimal digits, 0 for none (the
// rows list has no selection yet while the columns list is first set up).
std::int32_t leadingNumber(std::string_view text);

// Pieces of a grid given the column and row list texts, as a 16-bit integer (Overflow
// beyond 32767; the lists only ever give 1..5625).
std::int16_t pieceCount(std::string_view columns, std::string_view rows);

// The full path of a file in a folder, with one separator even at a volume's root.
std::string joinPath(std::string_view folder, std::string_view name);

}  // namespace tessaron
