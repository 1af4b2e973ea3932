#include "ui/language/form_idioma.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace tessaron {
namespace {

struct FormIdiomaTest : ::testing::Test {
    GameState state;
    ScreenMetrics metrics;  // 15 twips per pixel
    FormIdioma form{state, metrics};

    template <typename Control>
    Control* control(const char* name) { return form.findChild<Control*>(name); }

    // On the round mark: an option button takes clicks only on its mark and its text.
    void chooseEspanol()
    {
        QWidget* option = control<QRadioButton>("Option1");
        QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(8, option->height() / 2));
    }

    // Runs the window modally as start-up does, acting on it once it is up.
    int runModal(std::function<void()> act)
    {
        QTimer::singleShot(0, &form, [this, act] {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
            act();
        });
        return form.exec();
    }
};

TEST_F(FormIdiomaTest, BlueCaptionsWithEnglishChosen)
{
    for (const char* name : {"Label1", "Label2", "Option0", "Option1"})
        EXPECT_EQ(control<QWidget>(name)->palette().color(QPalette::WindowText), QColor(0, 0, 255)) << name;
    for (const char* label : {"Label1", "Label2"})
        EXPECT_EQ(control<QLabel>(label)->font().pointSize(), 12);
    EXPECT_TRUE(control<QRadioButton>("Option0")->isChecked());
}

TEST_F(FormIdiomaTest, EnterMeansEnglishEspanolThenOkSpanishAndTheCloseBoxNeither)
{
    state.LanguageCode = 5;  // proves the choice is stored, not left as it was
    runModal([this] {
        EXPECT_EQ(QApplication::focusWidget(), control<QWidget>("OKButton"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(state.LanguageCode, 0);
    EXPECT_TRUE(form.isHidden());

    runModal([this] {
        chooseEspanol();
        EXPECT_FALSE(control<QRadioButton>("Option0")->isChecked());
        QTest::mouseClick(control<QPushButton>("OKButton"), Qt::LeftButton);
    });
    EXPECT_EQ(state.LanguageCode, 1);
    EXPECT_TRUE(form.isHidden());

    state.LanguageCode = 5;
    runModal([this] {
        EXPECT_TRUE(control<QRadioButton>("Option1")->isChecked());
        form.close();
    });
    EXPECT_EQ(state.LanguageCode, 5);
    EXPECT_TRUE(form.isHidden());
}

}  // namespace
}  // namespace tessaron
