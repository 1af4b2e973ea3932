#include "language/form_idioma.h"

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

TEST_F(FormIdiomaTest, LayoutAsDesigned)
{
    const struct {
        const char* name;
        QRect geometry;
        const char* text;
    } cases[] = {
        {"Label1", QRect(24, 24, 449, 25), "Welcome to Tessaron.   Please select your language."},
        {"Label2", QRect(24, 56, 425, 25), "Bienvenido a Tessaron. Por favor selecciona tu idioma."},
        {"Option0", QRect(192, 104, 145, 25), "English"},
        {"Option1", QRect(192, 136, 145, 33), "Espa\u00F1ol"},
        {"OKButton", QRect(192, 192, 81, 25), "Aceptar"},
    };
    for (const auto& c : cases) {
        QWidget* widget = control<QWidget>(c.name);
        ASSERT_NE(widget, nullptr) << c.name;
        EXPECT_EQ(widget->geometry(), c.geometry) << c.name;
        const QString text = widget->property("text").toString();
        EXPECT_EQ(text, QString::fromUtf8(c.text));
        if (qobject_cast<QPushButton*>(widget))
            continue;
        EXPECT_EQ(widget->palette().color(QPalette::WindowText), QColor(0, 0, 255)) << c.name;
    }
    for (const char* label : {"Label1", "Label2"})
        EXPECT_EQ(control<QLabel>(label)->font().pointSize(), 12);
    EXPECT_EQ(form.objectName(), "FormIdioma");
    EXPECT_EQ(form.windowTitle(), "Tessaron");
    EXPECT_EQ(form.size(), QSize(463, 235));
    EXPECT_TRUE(control<QRadioButton>("Option0")->isChecked());
    EXPECT_FALSE(control<QRadioButton>("Option1")->isChecked());
    EXPECT_EQ(control<QWidget>("OKButton")->nextInFocusChain(), control<QWidget>("Option0"));
    EXPECT_EQ(control<QWidget>("Option0")->nextInFocusChain(), control<QWidget>("Option1"));
}

TEST_F(FormIdiomaTest, EnterAtOnceAcceptsEnglish)
{
    state.LanguageCode = 5;  // proves the choice is stored, not left as it was
    runModal([this] {
        EXPECT_EQ(QApplication::focusWidget(), control<QWidget>("OKButton"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(state.LanguageCode, 0);
    EXPECT_TRUE(form.isHidden());
}

TEST_F(FormIdiomaTest, EspanolThenOkGivesSpanish)
{
    runModal([this] {
        chooseEspanol();
        EXPECT_FALSE(control<QRadioButton>("Option0")->isChecked());
        QTest::mouseClick(control<QPushButton>("OKButton"), Qt::LeftButton);
    });
    EXPECT_EQ(state.LanguageCode, 1);
    EXPECT_TRUE(form.isHidden());
}

TEST_F(FormIdiomaTest, CloseBoxLeavesTheCodeAlone)
{
    runModal([this] {
        chooseEspanol();
        EXPECT_TRUE(control<QRadioButton>("Option1")->isChecked());
        form.close();
    });
    EXPECT_EQ(state.LanguageCode, 0);
    EXPECT_TRUE(form.isHidden());
}

}  // namespace
}  // namespace tessaron
