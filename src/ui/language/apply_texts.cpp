#include "ui/language/apply_texts.h"

#include "ui/shell/accessibility.h"
#include "ui/shell/declared_controls.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

namespace tessaron {
namespace {

// A menu pops up as a window of its own but belongs to the window of its menu bar;
// any other window below this one is a different form with names of its own.
bool belongsElsewhere(const QObject* object)
{
    const auto* widget = qobject_cast<const QWidget*>(object);
    return widget && widget->isWindow() && !qobject_cast<const QMenu*>(widget);
}

// Every control of the window with that name: a submenu and the action that opens it
// share their name and both carry the caption.
void collectNamed(QObject* parent, const QString& name, QList<QObject*>& found)
{
    for (QObject* child : parent->children()) {
        if (belongsElsewhere(child))
            continue;
        if (child->objectName() == name)
            found.append(child);
        collectNamed(child, name, found);
    }
}

bool knownLanguage(Language language) { return language != Language::None; }

void setCheckMark(QWidget* mainWindow, const char* name, bool checked)
{
    QList<QObject*> found;
    collectNamed(mainWindow, QString::fromUtf8(name), found);
    for (QObject* object : found) {
        if (auto* action = qobject_cast<QAction*>(object))
            action->setChecked(checked);
    }
}

}  // namespace

void applyWindowTexts(QWidget* window, GameWindow which, Language language)
{
    if (!window || !knownLanguage(language))
        return;
    for (const Control& control : controlsOf(which)) {
        if (!control.caption.given())
            continue;
        const QString text = fromUtf8(*inLanguage(control.caption, language));
        QList<QObject*> found;
        collectNamed(window, fromUtf8(control.name), found);
        for (QObject* object : found)
            setCaption(object, text);
    }
    // Lists and pictures have no caption of their own: their descriptions follow too.
    setAccessibleNames(window, which, language);
}

void applyLanguageTexts(Language language, QWidget* mainWindow, const std::function<QWidget*()>& dialog,
    const std::function<QWidget*()>& about)
{
    if (mainWindow && knownLanguage(language)) {
        setCheckMark(mainWindow, "MLanguageIngles", language == Language::English);
        setCheckMark(mainWindow, "MLanguageEspa\u00F1ol", language == Language::Spanish);
    }
    applyWindowTexts(mainWindow, GameWindow::Main, language);
    // The window is asked for first: creating it runs its own load, and the code is
    // read after that.
    if (knownLanguage(language) && dialog) {
        QWidget* window = dialog();
        applyWindowTexts(window, GameWindow::NewPuzzle, language);
    }
    if (knownLanguage(language) && about) {
        QWidget* window = about();
        applyWindowTexts(window, GameWindow::About, language);
    }
}

}  // namespace tessaron
