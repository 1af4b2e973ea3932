#include "core/board/board_text.h"

#include <charconv>
#include <vector>

namespace tessaron {

namespace {

// A number of decimal digits with no sign or leading zero, ending at `end` or at the
// given character; advances past it.
std::optional<std::int32_t> readNumber(std::string_view& text, char end)
{
    const std::size_t stop = std::min(text.find(end), text.size());
    const std::string_view digits = text.substr(0, stop);
    // from_chars would take a minus sign.
    if (digits.empty() || digits.size() > 5 || digits[0] < '0' || digits[0] > '9' || (digits.size() > 1 && digits[0] == '0'))
        return std::nullopt;
    std::int32_t value = 0;
    const auto [ptr, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || ptr != digits.data() + digits.size())
        return std::nullopt;
    text.remove_prefix(stop < text.size() ? stop + 1 : stop);
    return value;
}

}  // namespace

std::string boardText(const BoardArray& board)
{
    std::string text = std::to_string(board.columns()) + "x" + std::to_string(board.rows()) + ":";
    for (std::int32_t r = 1; r <= board.rows(); ++r)
        for (std::int32_t c = 1; c <= board.columns(); ++c) {
            const std::int16_t piece = board(c, r);
            text += std::to_string(piece == board.lastPiece() ? 0 : piece);
            if (c < board.columns() || r < board.rows())
                text += ' ';
        }
    return text;
}

std::optional<BoardArray> boardFromText(std::string_view text)
{
    const std::optional<std::int32_t> columns = readNumber(text, 'x');
    const std::optional<std::int32_t> rows = readNumber(text, ':');
    if (!columns || !rows || *columns < 1 || *columns > 75 || *rows < 1 || *rows > 75)
        return std::nullopt;
    const std::int32_t n = *columns * *rows;
    BoardArray board;
    board.allocate(static_cast<std::int16_t>(*columns), static_cast<std::int16_t>(*rows));
    std::vector<bool> seen(static_cast<std::size_t>(n), false);
    for (std::int32_t i = 0; i < n; ++i) {
        // Every piece but the last is followed by one space; the last ends the text.
        if ((i + 1 < n) != (text.find(' ') != std::string_view::npos))
            return std::nullopt;
        const std::optional<std::int32_t> piece = readNumber(text, ' ');
        if (!piece || *piece >= n || seen[static_cast<std::size_t>(*piece)])
            return std::nullopt;
        seen[static_cast<std::size_t>(*piece)] = true;
        board(1 + i % *columns, 1 + i / *columns) = static_cast<std::int16_t>(*piece == 0 ? n : *piece);
    }
    if (!text.empty())
        return std::nullopt;
    return board;
}

}  // namespace tessaron
