#pragma once
// The game's messages and the texts of its windows' lines, one table per language; a
// language the game does not speak has no text at all. Web addresses and what screen
// readers hear of the board have files of their own.

#include "core/language/language.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessaron {

enum class Message {
    ExitQuestion,
    Solved,
    UnitNotReady,        // the new-puzzle dialog: a volume that cannot be read now
    NoPictureChosen,     // the new-puzzle dialog: OK before a picture is chosen
    NormalStyle,         // the new-puzzle dialog's style descriptions, as its options set them
    DifficultStyle,
    HowToPlay,           // the Game menu's box: both styles, with the mouse and with the keys
};

// The text of a message, or nothing in a language the game does not speak.
std::optional<std::string_view> messageText(Message message, Language language);

// How the game is going, for the menu bar's corner: "12 moves  0:42", "1 movimiento
// 0:05", and once solved, with the fewest moves where known, "23 moves (par 19)  1:12".
// The time reads minutes and seconds, and hours first from the first hour on. Nothing for
// a language the game does not speak.
std::optional<std::string> recordText(std::int32_t moves, std::int64_t seconds, std::optional<std::int32_t> par,
    Language language);

// Every window's title and every message box's title.
inline constexpr std::string_view kProgramTitle = "Tessaron";

// The new-puzzle dialog's piece-count line: "16 pieces puzzle (4x4)" in English, "Puzzle
// de 16 piezas (4x4)" in Spanish, columns first; nothing in a language the game does not speak.
std::optional<std::string> pieceCountText(
    std::int16_t pieces, std::string_view columns, std::string_view rows, Language language);

}  // namespace tessaron
