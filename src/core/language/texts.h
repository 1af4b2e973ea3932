#pragma once
// The game's language-dependent texts, one table per language; a language the game does
// not speak has no text at all.

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
// a code that is neither English nor Spanish.
std::optional<std::string> recordText(std::int32_t moves, std::int64_t seconds, std::optional<std::int32_t> par,
    Language language);

}  // namespace tessaron

#include <string>

namespace tessaron {

// What a screen reader hears of keyboard play on the board, places by column and row.
enum class BoardNews {
    Cursor,     // the cursor's place
    Picked,     // the cursor's place, its piece picked up
    Exchanged,  // the cursor's place, whose piece exchanged with the other place's
    Slid,       // the place a piece slid into
};

// "Column 2, row 3" and the like, or nothing for a code that is neither English nor
// Spanish; `other` counts only for an exchange.
std::optional<std::string> boardNewsText(BoardNews news, std::int32_t column, std::int32_t row,
    std::int32_t otherColumn, std::int32_t otherRow, Language language);

}  // namespace tessaron

namespace tessaron {
// Every window's title and every message box's title.
inline constexpr std::string_view kProgramTitle = "Tessaron";
}  // namespace tessaron

namespace tessaron {

// Every web address the game opens or writes out, in one place.
enum class WebAddress {
    GamePage,           // the game site's main page (English)
    GamePageSpanish,    // the same site's Spanish page
    GamePageWritten,    // a game page in a folder of the author's site, without the scheme
    AuthorPageEnglish,  // the author's English home page
    AuthorPage,         // the author's home page, the site's root
    AuthorPageWritten,  // the author's home page, without the scheme
    OtherGamePage,      // the author's other game, Rodanto Carreras
    SetupToolPage,      // the tool that built the setup program
    ForumPage,          // the programmers' forum thanked in the credits
    AuthorMail,         // where comments go
};
std::string_view webAddress(WebAddress address);

// "It is not possible to open Microsoft Internet Explorer (Error N)", CR LF, "Try to
// open manually the address " and the address: the same in every language.
std::string webFailureText(std::int32_t result, std::string_view writtenAddress);

}  // namespace tessaron

namespace tessaron {
// The new-puzzle dialog's piece-count line: "16 pieces puzzle (4x4)" in English, "Puzzle
// de 16 piezas (4x4)" in Spanish, columns first; nothing for any other language code.
std::optional<std::string> pieceCountText(
    std::int16_t pieces, std::string_view columns, std::string_view rows, Language language);
}  // namespace tessaron
