#include "ui/shell/accessibility.h"

#include <QAbstractButton>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QWidget>

#include <string_view>

namespace tessaron {
namespace {

struct Description {
    std::string_view name;
    std::string_view english;
    std::string_view spanish;
};

// Object names repeat across windows only for captioned controls, so one table serves
// them all.
constexpr Description kDescriptions[] = {
    // The new-puzzle dialog.
    {"Drive1", "Drive", "Unidad"},
    {"Dir1", "Folders", "Carpetas"},
    {"File1", "Pictures", "Im\u00E1genes"},
    {"Combo1", "Type of file", "Tipo de archivo"},
    {"Image1", "Preview of the picture", "Vista previa de la imagen"},
    {"ListX", "Pieces across", "Piezas a lo ancho"},
    {"ListY", "Pieces down", "Piezas a lo alto"},
    // The main window.
    {"Form1Client", "Puzzle board", "Tablero del puzzle"},
    {"Pic", "Puzzle picture", "Imagen del puzzle"},
    {"Pic2", "Finished picture", "Imagen terminada"},
};

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

QString accessibleDescription(const QString& objectName, std::int16_t languageCode)
{
    for (const Description& entry : kDescriptions) {
        if (objectName == QLatin1String(entry.name.data(), static_cast<qsizetype>(entry.name.size()))) {
            const std::string_view text = languageCode == kEnglish ? entry.english : entry.spanish;
            return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        }
    }
    return {};
}

void setAccessibleNames(QWidget* window, std::int16_t languageCode)
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
        // described. A label with no text yet gets its caption later from the catalogue.
        QString name = accessibleDescription(widget->objectName(), languageCode);
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
