#include "ui/shell/accessibility.h"

#include "ui/shell/declared_controls.h"

#include <QAbstractButton>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QWidget>

namespace tessaron {
namespace {

// Marks a name this module gave, so a later language may replace it.
constexpr char kGivenName[] = "tessaronGivenAccessibleName";

// Whether Qt already announces the control by a caption it shows.
bool showsCaption(const QWidget* widget)
{
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return !button->text().isEmpty();
    if (const auto* box = qobject_cast<const QGroupBox*>(widget))
        return !box->title().isEmpty();
    return false;
}

// Parts of the window a reader has nothing to say about: Qt's own inner widgets
// (viewports, scroll bars, pop-up lists), menus, which announce their titles, and plain
// lines and frames.
bool isDecoration(const QWidget* widget)
{
    if (widget->objectName().isEmpty() || widget->objectName().startsWith(QLatin1String("qt_")))
        return true;
    if (qobject_cast<const QMenu*>(widget) || qobject_cast<const QMenuBar*>(widget)
        || qobject_cast<const QScrollBar*>(widget))
        return true;
    if (qobject_cast<const QLabel*>(widget) || qobject_cast<const QAbstractButton*>(widget)
        || qobject_cast<const QGroupBox*>(widget))
        return false;
    const auto* frame = qobject_cast<const QFrame*>(widget);
    return frame && (frame->frameShape() == QFrame::HLine || frame->frameShape() == QFrame::VLine);
}

}  // namespace

QString accessibleDescription(GameWindow window, const QString& objectName, Language language)
{
    const Control* control = findControl(window, objectName.toStdString());
    if (!control || !control->description.given())
        return {};
    return fromUtf8(language == Language::English ? control->description.english : control->description.spanish);
}

void setAccessibleNames(QWidget* window, GameWindow which, Language language)
{
    if (!window)
        return;
    const QList<QWidget*> children = window->findChildren<QWidget*>();
    for (QWidget* widget : children) {
        if (widget->window() != window || isDecoration(widget))
            continue;
        const bool givenHere = widget->property(kGivenName).toBool();
        if (!givenHere && (!widget->accessibleName().isEmpty() || !widget->accessibleDescription().isEmpty()))
            continue;
        // A label's text is its caption; only a picture label, known by the table, is
        // described. A label with no text yet gets its caption later from the language switch.
        QString name = accessibleDescription(which, widget->objectName(), language);
        if (name.isEmpty()) {
            if (showsCaption(widget) || qobject_cast<QLabel*>(widget))
                continue;
            name = widget->objectName();
        }
        // On Linux Qt speaks a drop-down list's current entry as its name, so the
        // description is where its label reaches the reader.
        widget->setAccessibleName(name);
        widget->setAccessibleDescription(name);
        widget->setProperty(kGivenName, true);
    }
}

}  // namespace tessaron
