#include "core/language/texts.h"

#include <array>

namespace tessaron {
namespace {

struct MessageTexts {
    Message message;
    std::string_view english;
    std::string_view spanish;
};

constexpr std::array kMessages{
    MessageTexts{Message::ExitQuestion, "Do you want to close the program?",
        "\u00BFDesea abandonar el programa?"},
    MessageTexts{Message::Solved, "You've got it!", "\u00A1Lo conseguiste!"},
    MessageTexts{Message::UnitNotReady, "The selected unit is not ready",
        "La unidad escogida no est\u00E1 lista"},
    MessageTexts{Message::NoPictureChosen,
        "To create the puzzle you shall chose an image\r\nfrom your computer",
        "Para crear el puzzle debes escoger una imagen\r\nque tengas guardada en tu ordenador"},
    // No full stop in English here, unlike the control table's caption for the same label.
    MessageTexts{Message::NormalStyle, "Any piece can be moved to any place",
        "Puedes mover cualquier pieza a cualquier posici\u00F3n."},
    MessageTexts{Message::DifficultStyle,
        "You can only move a piece if it has an empty place by its side.",
        "Solo puedes mover una pieza si tiene un lugar vac\u00EDo a su lado."},
    MessageTexts{Message::HowToPlay,
        "Normal style: press on a piece and release it on another place, or click a piece and "
        "then another place: the two exchange. Click the marked piece again, or press Escape, "
        "to put it back.\n\n"
        "Difficult style: drag a piece into the black empty place beside it, or click any "
        "piece in the empty place's row or column to slide it and the pieces between them "
        "towards the empty place.\n\n"
        "With the keys: in the Normal style the arrows move a frame, and Space or Enter picks "
        "the piece under it, then exchanges it with the piece under the frame; in the "
        "Difficult style an arrow slides the piece beside the empty place that way.\n\n"
        "Ctrl+Z takes a move back, Ctrl+Y makes it again, and H shows which piece to move next.",
        "Estilo normal: pulsa sobre una pieza y su\u00E9ltala en otro lugar, o haz clic en una "
        "pieza y despu\u00E9s en otro lugar: las dos se intercambian. Vuelve a hacer clic en la "
        "pieza marcada, o pulsa Escape, para dejarla.\n\n"
        "Estilo dif\u00EDcil: arrastra una pieza al lugar vac\u00EDo negro que tenga al lado, o "
        "haz clic en cualquier pieza de la fila o la columna del lugar vac\u00EDo para "
        "deslizarla hacia \u00E9l junto con las piezas que haya entre ambos.\n\n"
        "Con el teclado: en el estilo normal las flechas mueven un marco, y Espacio o Intro "
        "toman la pieza que hay debajo y despu\u00E9s la intercambian con la pieza bajo el "
        "marco; en el estilo dif\u00EDcil una flecha desliza hacia ese lado la pieza que "
        "est\u00E1 junto al lugar vac\u00EDo.\n\n"
        "Ctrl+Z deshace un movimiento, Ctrl+Y lo rehace y H muestra qu\u00E9 pieza mover."},
};

}  // namespace

std::optional<std::string> recordText(std::int32_t moves, std::int64_t seconds, std::optional<std::int32_t> par,
    Language language)
{
    if (language != Language::English && language != Language::Spanish)
        return std::nullopt;
    const bool english = language == Language::English;
    std::string text = std::to_string(moves) + " ";
    if (moves == 1)
        text += english ? "move" : "movimiento";
    else
        text += english ? "moves" : "movimientos";
    if (par)
        text += " (par " + std::to_string(*par) + ")";
    const auto twoDigits = [](std::int64_t n) { return (n < 10 ? "0" : "") + std::to_string(n); };
    text += "  ";
    if (seconds >= 3600)
        text += std::to_string(seconds / 3600) + ":" + twoDigits(seconds / 60 % 60);
    else
        text += std::to_string(seconds / 60);
    text += ":" + twoDigits(seconds % 60);
    return text;
}

std::optional<std::string_view> messageText(Message message, Language language)
{
    for (const auto& entry : kMessages) {
        if (entry.message != message)
            continue;
        if (language == Language::English)
            return entry.english;
        if (language == Language::Spanish)
            return entry.spanish;
        return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace tessaron



namespace tessaron {

std::optional<std::string> pieceCountText(
    std::int16_t pieces, std::string_view columns, std::string_view rows, Language language)
{
    std::string grid = " (";
    grid += columns;
    grid += 'x';
    grid += rows;
    grid += ')';
    if (language == Language::English)
        return std::to_string(pieces) + " pieces puzzle" + grid;
    if (language == Language::Spanish)
        return "Puzzle de " + std::to_string(pieces) + " piezas" + grid;
    return std::nullopt;
}

}  // namespace tessaron
