#include "ui/language/language_window.h"
#include "core/language/texts.h"
#include "support/window_test_support.h"

namespace tessaron {
namespace {

// Enter takes English, ticked from the start; the close box takes nothing. Each only
// hides the window. (Español, then OK, is played at start-up.)
TEST(LanguageWindow, EnterMeansEnglishAndTheCloseBoxNeither)
{
    const ScreenMetrics metrics;
    LanguageWindow form{metrics};
    test::execWhile(form, [&] { QTest::keyClick(&form, Qt::Key_Return); });
    EXPECT_EQ(form.chosen(), kEnglish);
    EXPECT_TRUE(form.isHidden());

    LanguageWindow closed{metrics};
    test::execWhile(closed, [&] { closed.close(); });
    EXPECT_EQ(closed.chosen(), std::nullopt);
    EXPECT_TRUE(closed.isHidden());
}

}  // namespace
}  // namespace tessaron
