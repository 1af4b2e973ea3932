#include "ui/board/form1.h"
#include "ui/dialog/dialog.h"
#include "ui/language/apply_texts.h"
#include "ui/shell/about.h"
#include "ui/shell/menu_tree.h"

#include <QAction>
#include <QGroupBox>
#include <QPointer>

#include <gtest/gtest.h>

namespace tessaron {
namespace {

struct ApplyTextsTest : ::testing::Test {
    ScreenMetrics metrics;
    Form1 form{metrics};
    QPointer<Dialog> dialog;
    QPointer<About> about;

    // The secondary windows made on demand, as the main window makes them.
    void apply(std::int16_t code)
    {
        ApplyLanguageTexts(code, &form,
            [&]() -> QWidget* { return dialog ? dialog : (dialog = new Dialog(code, metrics, &form)); },
            [&]() -> QWidget* { return about ? about : (about = new About(metrics, {}, &form)); });
    }
    // The caption of a control of that window itself, not of a window below it.
    static QString caption(QWidget* window, const char* name)
    {
        for (QWidget* widget : window->findChildren<QWidget*>(name)) {
            if (widget->window() == window)
                return widget->property(qobject_cast<QGroupBox*>(widget) ? "title" : "text").toString();
        }
        return "<missing>";
    }
};

// A code with no texts makes no window and leaves every design caption and check mark.
TEST_F(ApplyTextsTest, NoLanguageChangesNothing)
{
    apply(2);
    EXPECT_TRUE(form.findChildren<Dialog*>().isEmpty());
    EXPECT_TRUE(form.findChildren<About*>().isEmpty());
    EXPECT_EQ(form.menu().AcercaDe->text(), "A cerca de ");
    EXPECT_EQ(form.menu().Montado->text(), "Verlo Montado");
    EXPECT_EQ(caption(&form, "Label1"), "No hay ninguna imagen abierta");
    EXPECT_TRUE(form.menu().MLanguageIngles->isChecked());
    EXPECT_FALSE(form.menu().MLanguageEspanol->isChecked());
}

// The missing windows are made hidden, once; a window below another keeps its own
// captions, and a code with no texts leaves the last language's check marks.
TEST_F(ApplyTextsTest, MissingWindowsAreMadeHiddenOnceAndCheckMarksFollow)
{
    for (const std::int16_t code : {kSpanish, kEnglish, std::int16_t{-7}}) {
        apply(code);
        ASSERT_EQ(form.findChildren<Dialog*>().size(), 1) << code;
        ASSERT_EQ(form.findChildren<About*>().size(), 1) << code;
        EXPECT_FALSE(dialog->isVisible() || about->isVisible());
        EXPECT_EQ(caption(dialog, "Label1"), "X");
        EXPECT_EQ(form.menu().MLanguageIngles->isChecked(), code != 1) << code;
        EXPECT_EQ(form.menu().MLanguageEspanol->isChecked(), code == 1) << code;
    }
}

}  // namespace
}  // namespace tessaron
