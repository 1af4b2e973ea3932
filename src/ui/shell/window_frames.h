#pragma once
// Window-level properties of the game's windows: title, fixed border, taskbar presence,
// icon, and the client size and position their design gives in twips.

#include "core/shell/controls.h"
#include "ui/platform/screen_metrics.h"

#include <string_view>

class QString;
class QWidget;

namespace tessaron {

// The main window: its name, a fixed single border, no minimize or maximize button, in
// the taskbar.
void applyMainFrame(QWidget* window);

// The main window's title while a puzzle of the picture with that file name (its bytes)
// is in play: the name always one line of text, shown as written.
QString puzzleTitle(std::string_view pictureName);

// A secondary window: its name, a fixed dialog border with only a close box, not in the
// taskbar, its client area sized and placed as its design says.
void applySecondaryFrame(QWidget* window, GameWindow which, const ScreenMetrics& metrics);

// Places a window so that its client area's top-left corner lies at the given point in
// twips from the screen's top-left corner.
void placeClientAt(QWidget* window, float leftTwips, float topTwips, const ScreenMetrics& metrics);

}  // namespace tessaron
