#include "ui/board/form1.h"
#include "ui/dialog/dialog.h"
#include "ui/language/form_idioma.h"
#include "core/language/texts.h"
#include "ui/shell/about.h"
#include "ui/shell/accessibility.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <initializer_list>

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

// The controls a screen reader reaches: named by the design, not Qt's inner parts and
// not decoration.
QList<QWidget*> controlsOf(QWidget* window)
{
    QList<QWidget*> found;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        const QString name = widget->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) || widget->window() != window
            || qobject_cast<QMenu*>(widget) || qobject_cast<QScrollBar*>(widget))
            continue;
        const auto* frame = qobject_cast<QFrame*>(widget);
        if (frame && !qobject_cast<QLabel*>(widget) && frame->frameShape() == QFrame::HLine)
            continue;
        // Labels still waiting for their caption from the catalogue say nothing yet.
        const auto* label = qobject_cast<QLabel*>(widget);
        if (label && label->text().isEmpty() && accessibleDescription(name, kSpanish).isEmpty())
            continue;
        found.push_back(widget);
    }
    return found;
}

struct AccessibilityTest : ::testing::Test {
    GameState state;
    ScreenMetrics metrics = screenMetrics();
};

// The main window is named by its owner once the language is known.
TEST_F(AccessibilityTest, EveryControlOfEveryWindowHasAName)
{
    Dialog dialog(state, metrics);
    FormIdioma language(state, metrics);
    About about(metrics);
    Form1 form(state, metrics);
    setAccessibleNames(&form, kEnglish);
    for (QWidget* window : std::initializer_list<QWidget*>{&dialog, &language, &about, &form}) {
        const QList<QWidget*> controls = controlsOf(window);
        EXPECT_FALSE(controls.isEmpty()) << window->objectName().toStdString();
        for (QWidget* control : controls)
            EXPECT_FALSE(spokenName(control).isEmpty())
                << window->objectName().toStdString() << "." << control->objectName().toStdString();
    }
    EXPECT_EQ(spokenName(form.findChild<QWidget*>(QStringLiteral("Form1Client"))), "Puzzle board");
}

// Lists, drop-down lists and pictures show no caption, so they are described in the
// window's language; the descriptions change with it.
TEST_F(AccessibilityTest, CaptionlessControlsAreDescribedInTheLanguage)
{
    struct Case {
        const char* control;
        const char* english;
        const char* spanish;
    };
    const Case cases[] = {{"ListX", "Pieces across", "Piezas a lo ancho"},
        {"Combo1", "Type of file", "Tipo de archivo"},
        {"Image1", "Preview of the picture", "Vista previa de la imagen"}};
    Dialog dialog(state, metrics);
    for (std::int16_t code : {kEnglish, kSpanish, kEnglish}) {
        setAccessibleNames(&dialog, code);
        for (const Case& c : cases) {
            auto* control = dialog.findChild<QWidget*>(QString::fromLatin1(c.control));
            ASSERT_NE(control, nullptr) << c.control;
            EXPECT_EQ(spokenLabel(control), QString::fromUtf8(code == kEnglish ? c.english : c.spanish))
                << c.control;
        }
    }
}

// A caption is spoken as it is now, so a translated caption is spoken translated.
TEST_F(AccessibilityTest, CaptionsAreSpokenAsTheyAreNow)
{
    Dialog dialog(state, metrics);
    auto* ok = dialog.findChild<QAbstractButton*>(QStringLiteral("OKButton"));
    auto* file = dialog.findChild<QLabel*>(QStringLiteral("LabArchivo"));
    ASSERT_TRUE(ok && file);
    EXPECT_EQ(spokenName(ok), QStringLiteral("Aceptar"));
    ok->setText(QStringLiteral("OK"));
    file->setText(QStringLiteral("sunset.jpg"));
    setAccessibleNames(&dialog, kEnglish);
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

    setAccessibleNames(&window, kEnglish);
    EXPECT_EQ(list->accessibleName(), QStringLiteral("Chosen by hand"));
    EXPECT_EQ(unknown->accessibleName(), QStringLiteral("ComboZ"));  // no description: its name
    EXPECT_TRUE(childList->accessibleName().isEmpty());
    setAccessibleNames(nullptr, kEnglish);  // nothing to name, no harm
}

}  // namespace
}  // namespace tessaron
