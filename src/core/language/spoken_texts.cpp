#include "core/language/spoken_texts.h"

#include <array>

namespace tessaron {
namespace {

struct NewsTexts {
    BoardNews news;
    std::string_view english;
    std::string_view spanish;
};

// {1} {2} are the place's column and row, {3} {4} the other place's.
constexpr std::array kBoardNews{
    NewsTexts{BoardNews::Cursor, "Column {1}, row {2}", "Columna {1}, fila {2}"},
    NewsTexts{BoardNews::Picked, "Column {1}, row {2}, piece picked up", "Columna {1}, fila {2}, pieza seleccionada"},
    NewsTexts{BoardNews::Exchanged, "Column {1}, row {2} exchanged with column {3}, row {4}",
        "Columna {1}, fila {2} intercambiada con columna {3}, fila {4}"},
    NewsTexts{BoardNews::Slid, "Piece moved to column {1}, row {2}", "Pieza movida a columna {1}, fila {2}"},
};

}  // namespace

std::optional<std::string> boardNewsText(BoardNews news, std::int32_t column, std::int32_t row,
    std::int32_t otherColumn, std::int32_t otherRow, Language language)
{
    if (language != Language::English && language != Language::Spanish)
        return std::nullopt;
    for (const auto& entry : kBoardNews) {
        if (entry.news != news)
            continue;
        const std::string_view pattern = language == Language::English ? entry.english : entry.spanish;
        const std::int32_t values[] = {column, row, otherColumn, otherRow};
        std::string text;
        for (std::size_t i = 0; i < pattern.size(); ++i) {
            if (pattern[i] == '{' && i + 2 < pattern.size() && pattern[i + 2] == '}') {
                text += std::to_string(values[pattern[i + 1] - '1']);
                i += 2;
            } else {
                text += pattern[i];
            }
        }
        return text;
    }
    return std::nullopt;
}

}  // namespace tessaron
