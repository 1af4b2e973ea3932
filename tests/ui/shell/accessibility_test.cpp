#include "ui/board/form1.h"
#include "ui/dialog/dialog.h"
#include "ui/language/apply_texts.h"
#include "ui/language/form_idioma.h"
#include "ui/shell/about.h"
#include "ui/shell/accessibility.h"
#include "ui/shell/declared_controls.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace tessaron {
namespace {

QString spokenName(QWidget* widget)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name) : QString();
}

// What tells the reader what a control is for. A drop-down list's name is its current
// entry on Linux, so its label travels as the description.
QString spokenLabel(QWidget* widget)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    if (!face)
        return {};
    return face->text(qobject_cast<QComboBox*>(widget) ? QAccessible::Description : QAccessible::Name);
}

// The window a control belongs to: a menu pops up as a window of its own, but belongs
// to the window of its menu bar.
const QWidget* ownerWindow(const QObject* control)
{
    for (const QObject* at = control; at; at = at->parent()) {
        const auto* widget = qobject_cast<const QWidget*>(at);
        if (widget && !qobject_cast<const QMenu*>(widget))
            return widget->window();
    }
    return nullptr;
}

// The named controls of the window itself, menu items included: not Qt's inner parts,
// not the controls of a window below it.
QList<QObject*> namedControls(QWidget* window)
{
    QList<QObject*> found;
    for (QObject* object : window->findChildren<QObject*>()) {
        const QString name = object->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) || ownerWindow(object) != window
            || !(object->isWidgetType() || qobject_cast<QAction*>(object)))
            continue;
        found.push_back(object);
    }
    return found;
}

QString captionOf(QObject* control)
{
    if (auto* menu = qobject_cast<QMenu*>(control))
        return menu->title();
    return control->property(qobject_cast<QGroupBox*>(control) ? "title" : "text").toString();
}

// The controls a screen reader reaches: not menus, scroll bars or lines, and not labels
// still waiting for their caption from the language switch.
QList<QWidget*> reachable(QWidget* window, GameWindow which)
{
    QList<QWidget*> found;
    for (QObject* object : namedControls(window)) {
        auto* widget = qobject_cast<QWidget*>(object);
        if (!widget || qobject_cast<QMenu*>(widget) || qobject_cast<QScrollBar*>(widget))
            continue;
        const auto* frame = qobject_cast<QFrame*>(widget);
        if (frame && !qobject_cast<QLabel*>(widget) && frame->frameShape() == QFrame::HLine)
            continue;
        const auto* label = qobject_cast<QLabel*>(widget);
        if (label && label->text().isEmpty() && accessibleDescription(which, label->objectName(), kSpanish).isEmpty())
            continue;
        found.push_back(widget);
    }
    return found;
}

struct AccessibilityTest : ::testing::Test {
    ScreenMetrics metrics = screenMetrics();
    Form1 form{metrics};
    Dialog* dialog = new Dialog(kEnglish, metrics, &form);
    About* about = new About(metrics, {}, &form);
    FormIdioma language{metrics};

    struct Window {
        QWidget* widget;
        GameWindow which;
    };
    std::vector<Window> windows()
    {
        return {{&form, GameWindow::Form1}, {dialog, GameWindow::Dialog},
            {&language, GameWindow::FormIdioma}, {about, GameWindow::About}};
    }
};

// A name misspelt on either side would silently lose a caption, a place or a
// description: every entry names a control of its window, every named control has an
// entry, and whatever follows the language has a text in both.
TEST_F(AccessibilityTest, TablesAndWindowsNameTheSameControls)
{
    for (const auto& [window, which] : windows()) {
        SCOPED_TRACE(window->objectName().toStdString());
        QSet<QString> names;
        for (QObject* control : namedControls(window))
            names.insert(control->objectName());
        for (const Control& control : controlsOf(which)) {
            EXPECT_TRUE(names.remove(fromUtf8(control.name))) << "no control " << control.name;
            EXPECT_EQ(control.caption.english.empty(), control.caption.spanish.empty()) << control.name;
            EXPECT_EQ(control.description.english.empty(), control.description.spanish.empty()) << control.name;
        }
        EXPECT_TRUE(names.isEmpty()) << "not in the table: " << names.values().join(' ').toStdString();
    }
}

// Captions and descriptions reach the player in the chosen language, a submenu and the
// action that opens it alike; the dialog's piece-count and style lines go back to 4 x 4
// Normal whatever it showed.
TEST_F(AccessibilityTest, CaptionsAndDescriptionsFollowTheLanguageAndEveryControlIsNamed)
{
    for (const std::int16_t code : {kEnglish, kSpanish}) {
        dialog->findChild<QListWidget*>("ListX")->setCurrentRow(4);
        dialog->findChild<QAbstractButton*>("Option2")->click();
        dialog->setLanguage(code);
        ApplyLanguageTexts(code, &form, [&] { return dialog; }, [&] { return about; });
        setAccessibleNames(&language, GameWindow::FormIdioma, code);
        for (const auto& [window, which] : windows()) {
            const QList<QWidget*> controls = reachable(window, which);
            EXPECT_FALSE(controls.isEmpty()) << window->objectName().toStdString();
            for (QWidget* control : controls) {
                SCOPED_TRACE(window->objectName().toStdString() + "." + control->objectName().toStdString());
                EXPECT_FALSE(spokenName(control).isEmpty());
                const Control* declared = findControl(which, control->objectName().toStdString());
                if (declared && declared->description.given()) {
                    EXPECT_EQ(spokenLabel(control), fromUtf8(*inLanguage(declared->description, code)));
                }
            }
            for (QObject* control : namedControls(window)) {
                const Control* declared = findControl(which, control->objectName().toStdString());
                if (declared && declared->caption.given()) {
                    EXPECT_EQ(captionOf(control), fromUtf8(*inLanguage(declared->caption, code)))
                        << control->objectName().toStdString();
                }
            }
        }
    }
}

// A caption is spoken as it is now, so a translated caption is spoken translated.
TEST_F(AccessibilityTest, CaptionsAreSpokenAsTheyAreNow)
{
    auto* ok = dialog->findChild<QAbstractButton*>(QStringLiteral("OKButton"));
    auto* file = dialog->findChild<QLabel*>(QStringLiteral("LabArchivo"));
    ASSERT_TRUE(ok && file);
    EXPECT_EQ(spokenName(ok), QStringLiteral("Aceptar"));
    ok->setText(QStringLiteral("OK"));
    file->setText(QStringLiteral("sunset.jpg"));
    setAccessibleNames(dialog, GameWindow::Dialog, kEnglish);
    EXPECT_EQ(spokenName(ok), QStringLiteral("OK"));
    EXPECT_EQ(spokenName(file), QStringLiteral("sunset.jpg"));
}

TEST_F(AccessibilityTest, NamesGivenElsewhereAndChildWindowsAreLeftAlone)
{
    QWidget window;
    auto* list = new QListWidget(&window);
    list->setObjectName(QStringLiteral("ListX"));
    list->setAccessibleName(QStringLiteral("Chosen by hand"));
    auto* unknown = new QComboBox(&window);
    unknown->setObjectName(QStringLiteral("ComboZ"));
    auto* child = new QWidget(&window, Qt::Dialog);
    auto* childList = new QListWidget(child);
    childList->setObjectName(QStringLiteral("ListY"));

    setAccessibleNames(&window, GameWindow::Dialog, kEnglish);
    EXPECT_EQ(list->accessibleName(), QStringLiteral("Chosen by hand"));
    EXPECT_EQ(unknown->accessibleName(), QStringLiteral("ComboZ"));  // no description: its name
    EXPECT_TRUE(childList->accessibleName().isEmpty());
    setAccessibleNames(nullptr, GameWindow::Dialog, kEnglish);  // nothing to name, no harm
}

}  // namespace
}  // namespace tessaron
