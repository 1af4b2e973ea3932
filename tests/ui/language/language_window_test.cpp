#include "ui/language/language_window.h"
#include "core/language/texts.h"
#include "support/window_test_support.h"

namespace tessaron {
namespace {

// Enter takes English, ticked from the start; the close box takes nothing. Each only
// hides the window. (Español, then OK, is played at start-up.)
TEST(LanguageWindow, EnterMeansEnglishAndTheCloseBoxNeither)
{
    for (const bool enter : {true, false}) {
        LanguageWindow form{ScreenMetrics{}};
        QTimer::singleShot(0, &form, [&] { enter ? QTest::keyClick(&form, Qt::Key_Return) : void(form.close()); });
        form.exec();
        EXPECT_EQ(form.chosen(), enter ? std::optional(Language::English) : std::nullopt);
        EXPECT_TRUE(form.isHidden());
    }
}

}  // namespace
}  // namespace tessaron
