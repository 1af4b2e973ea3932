#pragma once
// Controls made as their window's table declares them: object name, place and the
// caption the window is created with.

#include "core/shell/controls.h"
#include "ui/platform/screen_metrics.h"

#include <QString>

#include <string_view>

class QObject;
class QWidget;

namespace tessaron {

QString fromUtf8(std::string_view text);

// The caption a control shows: a menu's title, an action's, label's or button's text,
// a frame's title.
void setCaption(QObject* control, const QString& text);

// Names a control and gives it its design caption and, for a widget, its place from the
// window's table. The name must be in the table.
void declareControl(QObject* control, GameWindow window, std::string_view name, const ScreenMetrics* metrics);

// One window's widgets, made from its table.
struct ControlTable {
    GameWindow window;
    const ScreenMetrics& metrics;

    template <typename Widget>
    Widget* make(Widget* control, std::string_view name) const
    {
        declareControl(control, window, name, &metrics);
        return control;
    }
};

}  // namespace tessaron
