#include "ui/shell/declared_controls.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QWidget>

namespace tessaron {

QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void setCaption(QObject* control, const QString& text)
{
    if (auto* action = qobject_cast<QAction*>(control))
        action->setText(text);
    else if (auto* menu = qobject_cast<QMenu*>(control))
        menu->setTitle(text);
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(text);
    else if (auto* frame = qobject_cast<QGroupBox*>(control))
        frame->setTitle(text);
}

void declareControl(QObject* control, GameWindow window, std::string_view name, const ScreenMetrics* metrics)
{
    const Control& declaredControl = controlOf(window, name);
    control->setObjectName(fromUtf8(name));
    if (!declaredControl.design.empty())
        setCaption(control, fromUtf8(declaredControl.design));
    auto* widget = qobject_cast<QWidget*>(control);
    const TwipsRect& place = declaredControl.place;
    if (widget && metrics && place.placed())
        widget->setGeometry(metrics->toPixels(place.left, place.top, place.width, place.height));
}

}  // namespace tessaron
