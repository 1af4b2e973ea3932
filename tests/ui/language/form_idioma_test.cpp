#include "ui/language/form_idioma.h"
#include "core/language/texts.h"
#include "support/window_test_support.h"

namespace tessaron {
namespace {

// Enter takes English, ticked from the start; Español then OK takes Spanish; the close
// box takes nothing. Each only hides the window.
TEST(FormIdioma, EnterMeansEnglishEspanolThenOkSpanishAndTheCloseBoxNeither)
{
    const ScreenMetrics metrics;
    FormIdioma form{metrics};
    test::execWhile(form, [&] { QTest::keyClick(&form, Qt::Key_Return); });
    EXPECT_EQ(form.chosen(), kEnglish);
    EXPECT_TRUE(form.isHidden());

    test::execWhile(form, [&] {
        // On the round mark: an option button takes clicks only on its mark and its text.
        QWidget* option = form.findChild<QWidget*>("Option1");
        QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(8, option->height() / 2));
        QTest::mouseClick(form.findChild<QWidget*>("OKButton"), Qt::LeftButton);
    });
    EXPECT_EQ(form.chosen(), kSpanish);
    EXPECT_TRUE(form.isHidden());

    FormIdioma closed{metrics};
    test::execWhile(closed, [&] { closed.close(); });
    EXPECT_EQ(closed.chosen(), std::nullopt);
    EXPECT_TRUE(closed.isHidden());
}

}  // namespace
}  // namespace tessaron
