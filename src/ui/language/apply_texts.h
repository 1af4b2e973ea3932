#pragma once
// Writing the language's captions into the windows that carry translated texts.

#include "core/language/texts.h"
#include "core/shell/controls.h"

#include <cstdint>
#include <functional>

class QWidget;

namespace tessaron {

// Writes the window's captions for the language into its controls, found by object
// name: menu titles, action, label and button texts, frame titles. A code that is
// neither English nor Spanish changes nothing. Controls of other top-level windows
// (a dialog parented to this window) are left alone, since names repeat across windows.
void applyWindowTexts(QWidget* window, GameWindow which, Language language);

// The check marks of the language menu, the main window, the new-puzzle dialog and the
// About box. dialog() and about() return their window, creating it hidden when it does
// not exist yet; they are asked only when there is a language to write, and must return
// the window under construction when asked again from its own load.
void applyLanguageTexts(Language language, QWidget* mainWindow, const std::function<QWidget*()>& dialog,
    const std::function<QWidget*()>& about);

}  // namespace tessaron
