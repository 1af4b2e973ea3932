#include "ui/shell/about.h"

#include "ui/language/apply_texts.h"
#include "core/language/texts.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace tessaron {
namespace {

struct AboutTest : ::testing::Test {
    std::int16_t language = kEnglish;
    ScreenMetrics metrics;
    QMainWindow form1;
    About about{metrics};
    int activations = 0;

    void SetUp() override
    {
        about.setApplyTexts([this] {
            ++activations;
            ApplyLanguageTexts(language, &form1, {}, [this] { return &about; });
        });
    }
    QString label(const char* name) { return about.findChild<QLabel*>(name)->text(); }
    // The credits name the setup tool, the forum and the mail in that order, and end with
    // the version line.
    void expectCredits()
    {
        const auto text = [](WebAddress address) {
            const std::string_view view = webAddress(address);
            return QString::fromUtf8(view.data(), static_cast<qsizetype>(view.size()));
        };
        const QString credits = label("Label4");
        const qsizetype tool = credits.indexOf("\"CPack\" (" + text(WebAddress::SetupToolPage) + ")");
        const qsizetype forum = credits.indexOf("\"Stack Overflow\" (" + text(WebAddress::ForumPage) + ")");
        const qsizetype mail = credits.indexOf(text(WebAddress::AuthorMail));
        EXPECT_TRUE(0 <= tool && tool < forum && forum < mail) << credits.toStdString();
        EXPECT_TRUE(credits.endsWith("\"" + label("Label1") + "\"")) << credits.toStdString();
    }

    // Opens the box modally, as the About menu item does, and closes it with Enter.
    int openAndPressEnter(std::function<void()> whileOpen = {})
    {
        QTimer::singleShot(0, &about, [this, whileOpen] {
            EXPECT_TRUE(QTest::qWaitForWindowActive(&about));
            if (whileOpen)
                whileOpen();
            EXPECT_EQ(QApplication::focusWidget(), about.findChild<QPushButton*>("OKButton"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        });
        return about.exec();
    }
};

TEST_F(AboutTest, TextsFollowTheLanguageOnEachActivationAndEnterCloses)
{
    EXPECT_TRUE(about.findChild<QLabel*>("Label4")->wordWrap());  // the credits take four lines
    // No language: the labels keep the names they were designed with.
    language = 2;
    openAndPressEnter();
    EXPECT_EQ(label("Label1"), "Label1");
    EXPECT_EQ(label("Label4"), "Label4");

    about.setWindowTitle("stale");
    language = kEnglish;
    EXPECT_EQ(openAndPressEnter([this] {
        EXPECT_EQ(about.windowTitle(), "Tessaron");
        EXPECT_EQ(label("Label1"), "Tessaron 2.0 version");
        EXPECT_TRUE(label("Label4").startsWith("Programmed by"));
        expectCredits();
    }), QDialog::Accepted);
    EXPECT_TRUE(about.isHidden());
    EXPECT_GE(activations, 2);

    language = kSpanish;
    openAndPressEnter([this] {
        EXPECT_EQ(label("Label1"), "Tessaron versi\u00F3n 2.0");
        EXPECT_TRUE(label("Label4").startsWith("Programado por"));
        expectCredits();
    });
    EXPECT_TRUE(about.isHidden());
}

}  // namespace
}  // namespace tessaron
