#include "core/shell/controls.h"

#include "core/language/texts.h"
#include "core/language/web_addresses.h"

#include <array>
#include <stdexcept>
#include <vector>

namespace tessaron {
namespace {

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

// Menu items come in menu order; where the design caption differs from the Spanish one,
// it shows until a language is applied.
std::vector<Control> mainWindowControls()
{
    return {
        {.name = "Archivo", .design = "Archivo", .caption = {"File", "Archivo"}},
        {.name = "Abrir", .design = "Abrir", .caption = {"Open", "Abrir"}},
        {.name = "Salir", .design = "Salir", .caption = {"Exit", "Salir"}},
        {.name = "language", .design = "Idioma", .caption = {"Language", "Idioma"}},
        {.name = "MLanguageIngles", .design = "English"},
        {.name = "MLanguageEspa\u00F1ol", .design = "Espa\u00F1ol"},
        {.name = "MLanguageGallego", .design = "Galego"},
        {.name = "Montado", .design = "Verlo Montado", .caption = {"Show image", "Verlo montado"}},
        {.name = "MWeb", .design = "Web"},
        {.name = "MWebTessaron", .design = "P\u00E1gina de Tessaron",
            .caption = {"Tessaron page", "P\u00E1gina de Tessaron"}},
        {.name = "MWebAutor", .design = "P\u00E1gina del Autor",
            .caption = {"Author page", "P\u00E1gina del autor"}},
        {.name = "MWebRodanto", .design = "Rodanto Carreras"},
        {.name = "AcercaDe", .design = "A cerca de ", .caption = {"About", "A cerca de"}},
        {.name = "GameMenu", .design = "Partida", .caption = {"Game", "Partida"}},
        {.name = "Undo", .design = "Deshacer", .caption = {"Undo", "Deshacer"}},
        {.name = "Redo", .design = "Rehacer", .caption = {"Redo", "Rehacer"}},
        {.name = "Restart", .design = "Reiniciar", .caption = {"Restart", "Reiniciar"}},
        {.name = "Hint", .design = "Pista", .caption = {"Hint", "Pista"}},
        {.name = "HowToPlay", .design = "C\u00F3mo se juega", .caption = {"How to play", "C\u00F3mo se juega"}},
        {.name = "MovesAndTime", .description = {"Moves and time", "Movimientos y tiempo"}},
        {.name = "Label1", .place = {240, 2280, 8295, 735}, .design = "No hay ninguna imagen abierta",
            .caption = {"There is not any loaded image", "No hay ninguna imagen abierta"}},
        {.name = "Form1Client", .description = {"Puzzle board", "Tablero del puzzle"}},
        {.name = "Pic2", .description = {"Finished picture", "Imagen terminada"}},
        {.name = "Timer1"},  // the preview's clock: a second a tick
    };
}

// Places inside Frame1 and Frame2 are measured from the frame's inside corner.
std::vector<Control> dialogControls()
{
    return {
        {.name = "OKButton", .place = {5520, 7560, 1215, 375}, .design = "Aceptar"},
        {.name = "CancelButton", .place = {7080, 7560, 1215, 375}, .design = "Cancelar"},
        {.name = "Frame1", .place = {240, 240, 4695, 7695}, .design = "Selecciona una imagen",
            .caption = {"Select an image", "Selecciona una imagen"}},
        {.name = "Drive1", .place = {240, 360, 2895, 315}, .description = {"Drive", "Unidad"}},
        {.name = "Dir1", .place = {240, 840, 4215, 2790}, .description = {"Folders", "Carpetas"}},
        {.name = "File1", .place = {240, 3840, 4215, 3210}, .description = {"Pictures", "Im\u00E1genes"}},
        {.name = "Combo1", .place = {240, 7200, 4215, 315},
            .description = {"Type of file", "Tipo de archivo"}},
        {.name = "LabArchivo", .place = {5160, 360, 3255, 255}},
        {.name = "Image1", .place = {5160, 840, 3255, 3255},
            .description = {"Preview of the picture", "Vista previa de la imagen"}},
        {.name = "Check1", .place = {5160, 4200, 3255, 255}, .design = "Mostrar imagen",
            .caption = {"Preview image", "Mostrar imagen"}},
        {.name = "CheckFit", .place = {5160, 4500, 3255, 255}, .design = "Ajustar a la pantalla",
            .caption = {"Fit to the screen", "Ajustar a la pantalla"},
            .description = {"Fit a large picture to the screen, whole",
                "Ajustar una imagen grande a la pantalla, entera"}},
        {.name = "Frame2", .place = {5160, 4800, 3495, 2535}, .design = "Tipo de puzzle",
            .caption = {"Puzzle style", "Tipo de puzzle"}},
        {.name = "Label1", .place = {1680, 600, 135, 255}, .design = "X"},
        // Whatever the dialog shows, the language switch puts back the 4 x 4 Normal texts.
        {.name = "Label2", .place = {120, 1080, 3255, 255},
            .caption = {"16 pieces puzzle (4x4)", "Puzzle de 16 piezas (4x4)"}},
        {.name = "Option1", .place = {240, 1440, 1335, 255}, .design = "Normal",
            .caption = {"Normal", "Normal"}},
        {.name = "Option2", .place = {1920, 1440, 1335, 255}, .design = "Dificil",
            .caption = {"Difficult", "Dificil"}},
        {.name = "Label3", .place = {240, 1800, 2895, 615},
            .caption = {"Any piece can be moved to any place.",
                "Puedes mover cualquier pieza a cualquier posici\u00F3n."}},
        {.name = "ListX", .place = {5880, 5160, 855, 645},
            .description = {"Pieces across", "Piezas a lo ancho"}},
        {.name = "ListY", .place = {7080, 5160, 855, 645},
            .description = {"Pieces down", "Piezas a lo alto"}},
    };
}

// Both languages side by side, since none is known yet: nothing here is translated.
std::vector<Control> languageWindowControls()
{
    return {
        {.name = "OKButton", .place = {2880, 2880, 1215, 375}, .design = "Aceptar"},
        {.name = "Option0", .place = {2880, 1560, 2175, 375}, .design = "English"},
        {.name = "Option1", .place = {2880, 2040, 2175, 495}, .design = "Espa\u00F1ol"},
        {.name = "Label1", .place = {360, 360, 6735, 375},
            .design = "Welcome to Tessaron.   Please select your language."},
        {.name = "Label2", .place = {360, 840, 6375, 375},
            .design = "Bienvenido a Tessaron. Por favor selecciona tu idioma."},
    };
}

// Until a language is applied the labels show their own names. Line1 runs from
// (240, 2040) to (6840, 2040).
std::vector<Control> aboutControls()
{
    const std::string rights(kRightsNotice);
    const std::string author(webAddress(WebAddress::AuthorPage));
    return {
        {.name = "Label1", .place = {120, 360, 6855, 375}, .design = "Label1",
            .caption = {std::string(kVersionEnglish), std::string(kVersionSpanish)}},
        {.name = "Label2", .place = {120, 840, 6855, 255}, .design = "Label2", .caption = {rights, rights}},
        {.name = "Label3", .place = {120, 1200, 6855, 255}, .design = "Label3", .caption = {author, author}},
        {.name = "Line1", .place = {240, 2040, 6600, 0}},
        {.name = "Label4", .place = {120, 2280, 6855, 1455}, .design = "Label4",
            .caption = {credits("Programmed by the Tessaron developers, who also built the setup program with",
                            "Thanks to everybody at the programmers' forum",
                            "Please send your comments by e-mail to", "with the subject", kVersionEnglish),
                credits("Programado por los desarrolladores de Tessaron, que tambi\u00E9n "
                        "crearon el programa de instalaci\u00F3n con",
                    "Gracias a todos los del foro de programadores",
                    "Env\u00EDa tus comentarios por correo electr\u00F3nico a", "con el asunto",
                    kVersionSpanish)}},
        {.name = "OKButton", .place = {2880, 3960, 1215, 375}, .design = "Aceptar"},
    };
}

constexpr std::array kWindows{
    WindowDesign{"Form1", {1275, 1485, 8865, 5430}},
    WindowDesign{"Dialog", {0, 0, 8835, 8085}, true},
    WindowDesign{"FormIdioma", {4350, 4020, 6945, 3525}},
    WindowDesign{"About", {4470, 3405, 7110, 4530}},
};

}  // namespace

const WindowDesign& windowDesign(GameWindow window)
{
    return kWindows[static_cast<std::size_t>(window)];
}

std::span<const Control> controlsOf(GameWindow window)
{
    static const std::array<std::vector<Control>, 4> tables{
        mainWindowControls(), dialogControls(), languageWindowControls(), aboutControls()};
    return tables[static_cast<std::size_t>(window)];
}

const Control* findControl(GameWindow window, std::string_view name)
{
    for (const Control& control : controlsOf(window)) {
        if (control.name == name)
            return &control;
    }
    return nullptr;
}

const Control& controlOf(GameWindow window, std::string_view name)
{
    if (const Control* control = findControl(window, name))
        return *control;
    throw std::out_of_range("no control named " + std::string(name));
}

std::optional<std::string_view> inLanguage(const Bilingual& texts, Language language)
{
    if (language == Language::English)
        return texts.english;
    if (language == Language::Spanish)
        return texts.spanish;
    return std::nullopt;
}

}  // namespace tessaron
