#pragma once
// Names for screen readers. Buttons, labels, check boxes, options and frames already
// announce their visible caption through Qt, and that caption follows the language, so
// they are left alone. Controls that show no caption of their own (lists, the drive and
// type boxes, pictures, the board) get a short description in the window's language.

#include "core/language/texts.h"
#include "core/shell/controls.h"

#include <QString>

#include <cstdint>

class QWidget;

namespace tessaron {

// The description of a window's control without a caption, by object name, in English
// (0) or Spanish (1); empty for a control its table does not describe. Any other
// language code reads as Spanish, the language the windows are built in.
QString accessibleDescription(GameWindow window, const QString& objectName, Language language);

// Gives every captionless control of the window (child windows excluded) its
// description, or its object name when the table has none. Run again after a language
// change: names it gave before are replaced, names set anywhere else are kept.
void setAccessibleNames(QWidget* window, GameWindow which, Language language = Language::Spanish);

}  // namespace tessaron
