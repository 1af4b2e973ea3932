#include "ui/board/main_window.h"
#include "ui/dialog/new_puzzle_dialog.h"
#include "ui/language/apply_texts.h"
#include "ui/language/language_window.h"
#include "ui/shell/about.h"
#include "ui/shell/accessibility.h"
#include "ui/shell/declared_controls.h"

#include <QTimer>
#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QListWidget>
#include <QMenu>
#include <QMultiHash>

#include <gtest/gtest.h>

namespace tessaron {
namespace {

// The named controls of the window itself, menu items included: not Qt's inner parts,
// not the controls of a window below it. A menu pops up as a window of its own but
// belongs to the window of its menu bar.
QMultiHash<QString, QObject*> namedControls(QWidget* window)
{
    QMultiHash<QString, QObject*> found;
    for (QObject* object : window->findChildren<QObject*>()) {
        const QObject* owner = object;
        while (owner && (!owner->isWidgetType() || qobject_cast<const QMenu*>(owner)))
            owner = owner->parent();
        const QString name = object->objectName();
        if (!name.isEmpty() && !name.startsWith("qt_") && static_cast<const QWidget*>(owner)->window() == window
            && (object->isWidgetType() || qobject_cast<QAction*>(object) || qobject_cast<QTimer*>(object)))
            found.insert(name, object);
    }
    return found;
}

// Every table entry names a control of its window and every named control has an entry:
// a misspelt name would silently lose a caption, a place or a description. Whatever
// follows the language has a text in both, and after a switch the player sees and hears
// that language; any other caption stays as designed. The dialog's piece-count and style
// lines go back to 4 x 4 Normal whatever they showed.
TEST(Accessibility, TablesNameTheControlsAndTheirTextsFollowTheLanguage)
{
    const ScreenMetrics metrics = screenMetrics();
    MainWindow form{metrics};
    auto* dialog = new NewPuzzleDialog(Language::English, metrics, &form);
    auto* about = new About(metrics, {}, &form);
    LanguageWindow language{metrics};
    const std::pair<QWidget*, GameWindow> windows[] = {{&form, GameWindow::Main}, {dialog, GameWindow::NewPuzzle},
        {&language, GameWindow::Language}, {about, GameWindow::About}};
    for (const Language code : {Language::English, Language::Spanish}) {
        dialog->findChild<QListWidget*>("ListX")->setCurrentRow(4);
        dialog->findChild<QAbstractButton*>("Option2")->click();
        applyLanguageTexts(code, &form, [&] { return dialog; }, [&] { return about; });
        setAccessibleNames(&language, GameWindow::Language, code);
        for (const auto& [window, which] : windows) {
            QMultiHash<QString, QObject*> unlisted = namedControls(window);
            for (const Control& control : controlsOf(which)) {
                const QString name = fromUtf8(control.name);
                SCOPED_TRACE((window->objectName() + "." + name + " in " + QString::number(codeOf(code))).toStdString());
                EXPECT_EQ(control.caption.english.empty(), control.caption.spanish.empty());
                EXPECT_EQ(control.description.english.empty(), control.description.spanish.empty());
                const QList<QObject*> found = unlisted.values(name);
                EXPECT_FALSE(found.isEmpty()) << "no such control";
                unlisted.remove(name);
                const QString caption = fromUtf8(control.caption.given() ? *inLanguage(control.caption, code)
                                                                         : std::string_view(control.design));
                const QString description = fromUtf8(inLanguage(control.description, code).value_or(""));
                for (QObject* object : found) {
                    const bool titled = qobject_cast<QMenu*>(object) || qobject_cast<QGroupBox*>(object);
                    const QString shown = object->property(titled ? "title" : "text").toString();
                    EXPECT_TRUE(caption.isEmpty() || shown == caption) << shown.toStdString();
                    // What a screen reader says: Qt on Linux speaks a drop-down list's current
                    // entry as its name, so its label travels as the description.
                    auto* widget = qobject_cast<QWidget*>(object);
                    if (widget && !qobject_cast<QMenu*>(widget) && !(caption + description).isEmpty()) {
                        const auto role = qobject_cast<QComboBox*>(widget) ? QAccessible::Description : QAccessible::Name;
                        EXPECT_EQ(QAccessible::queryAccessibleInterface(widget)->text(role),
                            description.isEmpty() ? caption : description);
                    }
                }
            }
            EXPECT_TRUE(unlisted.isEmpty()) << "not in the table: " << unlisted.keys().join(' ').toStdString();
        }
    }
}

}  // namespace
}  // namespace tessaron
