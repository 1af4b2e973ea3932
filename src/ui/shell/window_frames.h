#pragma once
// Window-level properties of the game's windows: title, fixed border, client size and
// position in twips, taskbar presence, icon.

#include "ui/platform/screen_metrics.h"

class QWidget;

namespace tessaron {

enum class SecondaryWindow { Dialog, FormIdioma, About };

struct WindowFrame {
    const char* name;          // the window's object name
    float clientWidth;         // twips
    float clientHeight;
    bool centred;              // centred on the screen, or at (left, top)
    float clientLeft;          // twips, client top-left from the screen's top-left
    float clientTop;
};

const WindowFrame& frameOf(SecondaryWindow window);

// The main window: fixed single border, no minimize or maximize button, in the taskbar.
void applyMainFrame(QWidget* window);

// A secondary window: fixed dialog border with only a close box, not in the taskbar,
// its client area sized and placed as its frame says.
void applySecondaryFrame(QWidget* window, SecondaryWindow which, const ScreenMetrics& metrics);

// Places a window so that its client area's top-left corner lies at the given point in
// twips from the screen's top-left corner.
void placeClientAt(QWidget* window, float leftTwips, float topTwips, const ScreenMetrics& metrics);

}  // namespace tessaron
