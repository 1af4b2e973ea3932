#include "ui/language/form_idioma.h"
#include "core/language/texts.h"

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
    ScreenMetrics metrics;  // 15 twips per pixel
    FormIdioma form{metrics};

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
    runModal([this] {
        EXPECT_EQ(QApplication::focusWidget(), control<QWidget>("OKButton"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(form.chosen(), kEnglish);
    EXPECT_TRUE(form.isHidden());

    runModal([this] {
        chooseEspanol();
        EXPECT_FALSE(control<QRadioButton>("Option0")->isChecked());
        QTest::mouseClick(control<QPushButton>("OKButton"), Qt::LeftButton);
    });
    EXPECT_EQ(form.chosen(), kSpanish);
    EXPECT_TRUE(form.isHidden());

    FormIdioma closed{metrics};
    QTimer::singleShot(0, &closed, [&] { closed.close(); });
    closed.exec();
    EXPECT_EQ(closed.chosen(), std::nullopt);
    EXPECT_TRUE(closed.isHidden());
}

}  // namespace
}  // namespace tessaron
