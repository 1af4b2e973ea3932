#include "ui/shell/about.h"

#include "core/language/texts.h"
#include "support/window_test_support.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>

#include <tuple>

namespace tessaron {
namespace {

using AboutTest = test::BoardWindowTest;

// Each time the box becomes active it takes the main window's language and the program's
// name as its title; a code with no texts leaves the labels' design names. Enter or OK
// only hides it, and the next use shows the same box; its close box destroys it, and
// the next use makes a new one.
TEST_F(AboutTest, TextsFollowTheLanguageOnEachShowingAndOnlyTheCloseBoxDestroysIt)
{
    makeForm();
    // Enter lands on OK, which has the focus from the start.
    const auto enter = [](QWidget* about) { QTest::keyClick(about, Qt::Key_Return); };
    const auto ok = [](QWidget* about) { about->findChild<QPushButton*>("OKButton")->click(); };
    const auto closeBox = [](QWidget* about) { about->close(); };
    std::function<void(QWidget*)> dismiss;
    QList<QWidget*> shown;
    QStringList texts;  // the title, the version line and the credits
    answers["About"] = [&](QWidget* about) {
        shown << about;
        EXPECT_TRUE(QTest::qWaitForWindowActive(about));
        texts = QStringList{about->windowTitle()} << about->findChild<QLabel*>("Label1")->text()
                                                  << about->findChild<QLabel*>("Label4")->text();
        dismiss(about);
    };
    // The language, how the box is dismissed, whether it is kept, the version line and how
    // the credits begin and end.
    const std::tuple<Language, std::function<void(QWidget*)>, bool, QString, QString, QString> cases[] = {
        {languageOfCode(2), enter, true, "Label1", "Label4", "Label4"},
        {Language::English, closeBox, false, "Tessaron 2.0 version", "Programmed by", "\"Tessaron 2.0 version\""},
        {Language::Spanish, ok, true, "Tessaron versi\u00F3n 2.0", "Programado por", "\"Tessaron versi\u00F3n 2.0\""},
    };
    for (const auto& [code, how, keeps, version, creditsStart, creditsEnd] : cases) {
        SCOPED_TRACE(code);
        form->chooseLanguage(code);
        dismiss = how;
        texts.clear();
        form->menu().aboutAction->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_EQ(texts.size(), 3);
        EXPECT_EQ(texts.mid(0, 2), QStringList({"Tessaron", version}));
        EXPECT_TRUE(texts[2].startsWith(creditsStart) && texts[2].endsWith(creditsEnd)) << texts[2].toStdString();
        const About* kept = form->findChild<About*>();
        EXPECT_EQ(kept != nullptr, keeps);
        EXPECT_TRUE(!kept || kept->isHidden());
    }
    ASSERT_EQ(shown.size(), 3);
    EXPECT_EQ(shown[1], shown[0]);
}

}  // namespace
}  // namespace tessaron
