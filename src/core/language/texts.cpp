#include "core/language/texts.h"

#include <array>
#include <vector>

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
    // No full stop in English here, unlike the catalogue's start-up text for the same label.
    MessageTexts{Message::NormalStyle, "Any piece can be moved to any place",
        "Puedes mover cualquier pieza a cualquier posici\u00F3n."},
    MessageTexts{Message::DifficultStyle,
        "You can only move a piece if it has an empty place by its side.",
        "Solo puedes mover una pieza si tiene un lugar vac\u00EDo a su lado."},
};

}  // namespace

std::optional<std::string_view> messageText(Message message, std::int16_t languageCode)
{
    for (const auto& entry : kMessages) {
        if (entry.message != message)
            continue;
        if (languageCode == kEnglish)
            return entry.english;
        if (languageCode == kSpanish)
            return entry.spanish;
        return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace tessaron

namespace tessaron {
namespace {

struct AddressEntry {
    WebAddress address;
    std::string_view text;
};

// The game's pages live under the project's site; the site's root is the authors' page.
constexpr std::array kAddresses{
    AddressEntry{WebAddress::GamePage, "https://tessaron.github.io/game/"},
    AddressEntry{WebAddress::GamePageSpanish, "https://tessaron.github.io/game/es/"},
    AddressEntry{WebAddress::GamePageWritten, "tessaron.github.io/games/tessaron.html"},
    AddressEntry{WebAddress::AuthorPageEnglish, "https://tessaron.github.io/en/"},
    AddressEntry{WebAddress::AuthorPage, "https://tessaron.github.io/"},
    AddressEntry{WebAddress::AuthorPageWritten, "tessaron.github.io"},
    AddressEntry{WebAddress::OtherGamePage, "https://tessaron.github.io/games/rodanto-carreras/"},
    AddressEntry{WebAddress::SetupToolPage, "https://cmake.org/cmake/help/latest/module/CPack.html"},
    AddressEntry{WebAddress::ForumPage, "https://stackoverflow.com"},
    AddressEntry{WebAddress::AuthorMail, "developers@tessaron.github.io"},
};

constexpr bool addressesInOrder()
{
    for (std::size_t i = 0; i < kAddresses.size(); ++i) {
        if (static_cast<std::size_t>(kAddresses[i].address) != i)
            return false;
    }
    return true;
}
static_assert(addressesInOrder(), "kAddresses is indexed by WebAddress");

constexpr std::string_view kVersionEnglish = "Tessaron 2.0 version";
constexpr std::string_view kVersionSpanish = "Tessaron versi\u00F3n 2.0";
constexpr std::string_view kRightsNotice = "Copyright \u00A9 2026 the Tessaron developers";
constexpr std::string_view kSetupTool = "CPack";
constexpr std::string_view kForum = "Stack Overflow";

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }
std::string inParentheses(std::string_view text) { return "(" + std::string(text) + ")"; }

// Who wrote the game and built its setup program, with which tool; thanks to a forum;
// where to send comments, with the version line as the subject.
std::string credits(std::string_view programmedBy, std::string_view thanks,
    std::string_view comments, std::string_view subjectIs, std::string_view version)
{
    std::string text(programmedBy);
    text += " " + quoted(kSetupTool) + " " + inParentheses(webAddress(WebAddress::SetupToolPage));
    text += ". " + std::string(thanks) + " " + quoted(kForum) + " ";
    text += inParentheses(webAddress(WebAddress::ForumPage)) + ". ";
    text += std::string(comments) + " " + std::string(webAddress(WebAddress::AuthorMail)) + " ";
    text += std::string(subjectIs) + " " + quoted(version);
    return text;
}

std::vector<Caption> form1Captions()
{
    return {
        {"Archivo", "File", "Archivo"},
        {"Abrir", "Open", "Abrir"},
        {"Salir", "Exit", "Salir"},
        {"language", "Language", "Idioma"},
        {"Montado", "Show image", "Verlo montado"},
        {"MWebTessaron", "Tessaron page", "P\u00E1gina de Tessaron"},
        {"MWebAutor", "Author page", "P\u00E1gina del autor"},
        {"AcercaDe", "About", "A cerca de"},
        {"Label1", "There is not any loaded image", "No hay ninguna imagen abierta"},
    };
}

std::vector<Caption> dialogCaptions()
{
    return {
        {"Frame1", "Select an image", "Selecciona una imagen"},
        {"Check1", "Preview image", "Mostrar imagen"},
        {"Frame2", "Puzzle style", "Tipo de puzzle"},
        {"Option1", "Normal", "Normal"},
        {"Option2", "Difficult", "Dificil"},
        // Whatever the dialog shows, these go back to the 4 x 4 Normal texts.
        {"Label2", "16 pieces puzzle (4x4)", "Puzzle de 16 piezas (4x4)"},
        {"Label3", "Any piece can be moved to any place.",
            "Puedes mover cualquier pieza a cualquier posici\u00F3n."},
    };
}

std::vector<Caption> aboutCaptions()
{
    const std::string rights(kRightsNotice);
    const std::string author(webAddress(WebAddress::AuthorPage));
    return {
        {"Label1", std::string(kVersionEnglish), std::string(kVersionSpanish)},
        {"Label2", rights, rights},
        {"Label3", author, author},
        {"Label4",
            credits("Programmed by the Tessaron developers, who also built the setup program with",
                "Thanks to everybody at the programmers' forum",
                "Please send your comments by e-mail to", "with the subject", kVersionEnglish),
            credits("Programado por los desarrolladores de Tessaron, que tambi\u00E9n "
                    "crearon el programa de instalaci\u00F3n con",
                "Gracias a todos los del foro de programadores",
                "Env\u00EDa tus comentarios por correo electr\u00F3nico a", "con el asunto",
                kVersionSpanish)},
    };
}

}  // namespace

std::span<const Caption> windowCaptions(TextWindow window)
{
    static const std::array<std::vector<Caption>, 3> tables{
        form1Captions(), dialogCaptions(), aboutCaptions()};
    return tables[static_cast<std::size_t>(window)];
}

std::optional<std::string_view> captionText(const Caption& caption, std::int16_t languageCode)
{
    if (languageCode == kEnglish)
        return caption.english;
    if (languageCode == kSpanish)
        return caption.spanish;
    return std::nullopt;
}

std::string_view webAddress(WebAddress address)
{
    return kAddresses[static_cast<std::size_t>(address)].text;
}

std::string webFailureText(std::int32_t result, std::string_view writtenAddress)
{
    std::string text = "It is not possible to open Microsoft Internet Explorer (Error ";
    text += std::to_string(result);
    text += ")\r\nTry to open manually the address ";
    text += writtenAddress;
    return text;
}

}  // namespace tessaron

namespace tessaron {

std::optional<std::string> pieceCountText(
    std::int16_t pieces, std::string_view columns, std::string_view rows, std::int16_t languageCode)
{
    std::string grid = " (";
    grid += columns;
    grid += 'x';
    grid += rows;
    grid += ')';
    if (languageCode == kEnglish)
        return std::to_string(pieces) + " pieces puzzle" + grid;
    if (languageCode == kSpanish)
        return "Puzzle de " + std::to_string(pieces) + " piezas" + grid;
    return std::nullopt;
}

}  // namespace tessaron
