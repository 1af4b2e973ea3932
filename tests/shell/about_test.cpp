#include "shell/about.h"

#include "language/apply_texts.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace tessaron {
namespace {

struct AboutTest : ::testing::Test {
    GameState state;
    ScreenMetrics metrics;
    QMainWindow form1;
    About about{metrics};
    int activations = 0;

    void SetUp() override
    {
        about.setApplyTexts([this] {
            ++activations;
            ApplyLanguageTexts(state, &form1, {}, [this] { return &about; });
        });
    }
    QString label(const char* name) { return about.findChild<QLabel*>(name)->text(); }

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

TEST_F(AboutTest, LayoutAsDesigned)
{
    EXPECT_EQ(about.objectName(), "About");
    EXPECT_EQ(about.size(), QSize(474, 302));
    EXPECT_EQ(about.findChild<QLabel*>("Label1")->geometry(), QRect(8, 24, 457, 25));
    EXPECT_EQ(about.findChild<QLabel*>("Label1")->font().pointSize(), 12);
    EXPECT_TRUE(about.findChild<QLabel*>("Label2")->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(about.findChild<QFrame*>("Line1")->geometry(), QRect(16, 136, 441, 1));
    auto* credits = about.findChild<QLabel*>("Label4");
    EXPECT_EQ(credits->geometry(), QRect(8, 152, 457, 97));
    EXPECT_TRUE(credits->wordWrap());
    EXPECT_TRUE(credits->alignment() & Qt::AlignLeft);
    EXPECT_EQ(about.findChild<QPushButton*>("OKButton")->geometry(), QRect(192, 264, 81, 25));
    EXPECT_EQ(about.findChild<QPushButton*>("OKButton")->text(), "Aceptar");
}

TEST_F(AboutTest, TextsFollowTheLanguageOnEachActivationAndEnterCloses)
{
    about.setWindowTitle("stale");
    EXPECT_EQ(openAndPressEnter([this] {
        EXPECT_EQ(about.windowTitle(), "Tessaron");
        EXPECT_EQ(label("Label1"), "Tessaron 2.0 version");
        EXPECT_TRUE(label("Label4").startsWith("Programmed by"));
    }), QDialog::Accepted);
    EXPECT_TRUE(about.isHidden());
    EXPECT_GE(activations, 1);

    state.LanguageCode = kSpanish;
    openAndPressEnter([this] {
        EXPECT_EQ(label("Label1"), "Tessaron versi\u00F3n 2.0");
        EXPECT_TRUE(label("Label4").startsWith("Programado por"));
    });
    EXPECT_TRUE(about.isHidden());
}

TEST_F(AboutTest, NoLanguageKeepsThePlaceholders)
{
    state.LanguageCode = 2;
    openAndPressEnter();
    EXPECT_EQ(label("Label1"), "Label1");
    EXPECT_EQ(label("Label4"), "Label4");
}

}  // namespace
}  // namespace tessaron
