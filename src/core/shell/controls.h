#pragma once
// Every window's controls, declared once: the window creates them from its table, the
// language switch writes their captions from it and screen readers hear its
// descriptions. Names are the design's, kept as Qt object names.

#include "core/language/language.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tessaron {

enum class GameWindow { Main, NewPuzzle, Language, About };

// A control's place in its container, in twips. A control placed by code (menu items,
// the board and its pictures, which follow the puzzle) has none.
struct TwipsRect {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
    bool placed() const { return width > 0 || height > 0; }
};

// The same text in both languages; empty when the text does not follow the language.
struct Bilingual {
    std::string english;
    std::string spanish;
    bool given() const { return !english.empty(); }
};

struct Control {
    std::string_view name;
    TwipsRect place{};
    std::string design{};      // the caption the window is created with
    Bilingual caption{};       // what the language switch writes
    Bilingual description{};   // for a control that shows no caption of its own
};

// The window itself: its object name and its client area, whose top-left corner lies at
// (left, top) from the screen's top-left corner unless the window is centred.
struct WindowDesign {
    std::string_view name;
    TwipsRect client;
    bool centred = false;
};

const WindowDesign& windowDesign(GameWindow window);

// A window's controls in the order the language switch writes their captions.
std::span<const Control> controlsOf(GameWindow window);

// The control of that window with that name, or nullptr.
const Control* findControl(GameWindow window, std::string_view name);

// The same, for a name the program itself gives: one the table lacks is a fault of the
// program, so it throws std::out_of_range.
const Control& controlOf(GameWindow window, std::string_view name);

// The text for a language code, or nothing for a code that is neither language.
std::optional<std::string_view> inLanguage(const Bilingual& texts, Language language);

}  // namespace tessaron
