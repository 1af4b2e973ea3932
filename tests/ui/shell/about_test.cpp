#include "ui/shell/about.h"

#include "ui/language/apply_texts.h"
#include "core/language/texts.h"
#include "support/window_test_support.h"

#include <QLabel>
#include <QMainWindow>
#include <QTest>

#include <gtest/gtest.h>

#include <tuple>

namespace tessaron {
namespace {

// Each time the box becomes active it takes the current language's texts and the
// program's name as its title; a code with no texts leaves the labels' design names.
// Enter closes it at once.
TEST(About, TextsFollowTheLanguageOnEachActivationAndEnterCloses)
{
    QMainWindow form1;
    About about{ScreenMetrics{}};
    std::int16_t language = kEnglish;
    about.setApplyTexts([&] { ApplyLanguageTexts(language, &form1, {}, [&] { return &about; }); });
    const auto label = [&](const char* name) { return about.findChild<QLabel*>(name)->text(); };
    // The version line, and how the credits begin and end.
    const std::tuple<std::int16_t, QString, QString, QString> cases[] = {
        {2, "Label1", "Label4", "Label4"},
        {kEnglish, "Tessaron 2.0 version", "Programmed by", "\"Tessaron 2.0 version\""},
        {kSpanish, "Tessaron versi\u00F3n 2.0", "Programado por", "\"Tessaron versi\u00F3n 2.0\""},
    };
    for (const auto& [code, version, creditsStart, creditsEnd] : cases) {
        SCOPED_TRACE(code);
        language = code;
        about.setWindowTitle("stale");
        EXPECT_EQ(test::execWhile(about, [&] {
            EXPECT_TRUE(QTest::qWaitForWindowActive(&about));
            QTest::keyClick(&about, Qt::Key_Return);
        }), QDialog::Accepted);
        EXPECT_TRUE(about.isHidden());
        EXPECT_EQ(QStringList({about.windowTitle(), label("Label1")}), QStringList({"Tessaron", version}));
        EXPECT_TRUE(label("Label4").startsWith(creditsStart) && label("Label4").endsWith(creditsEnd))
            << label("Label4").toStdString();
    }
}

}  // namespace
}  // namespace tessaron
