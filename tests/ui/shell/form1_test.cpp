#include "ui/board/form1.h"
#include "ui/shell/about.h"
#include "ui/platform/message_box.h"
#include "ui/shell/window_frames.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace tessaron {
namespace {

struct MainWindowTest : ::testing::Test {
    QTemporaryDir folder;  // where a language choice writes its settings file
    QString previousFolder = QDir::currentPath();
    ScreenMetrics metrics = screenMetrics();
    Form1 form{metrics};
    int endings = 0;

    void SetUp() override
    {
        QDir::setCurrent(folder.path());
        QObject::connect(&form, &Form1::programEnded, [this] { ++endings; });
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }
    void TearDown() override
    {
        setBoxAnswerer({});
        QDir::setCurrent(previousFolder);
    }
};

// The name of each item, a submenu's items in brackets after it.
QString tree(const QList<QAction*>& actions)
{
    QStringList items;
    for (QAction* action : actions)
        items << action->objectName() + (action->menu() ? "[" + tree(action->menu()->actions()) + "]" : "");
    return items.join(",");
}

TEST_F(MainWindowTest, MenuTreeInOrderWithItsStates)
{
    EXPECT_EQ(tree(form.menuBar()->actions()),
        QString::fromUtf8("Archivo[Abrir,Salir],language[MLanguageIngles,MLanguageEspañol,MLanguageGallego],"
                          "Montado,MWeb[MWebTessaron,MWebAutor,MWebRodanto],AcercaDe"));
    const MenuTree& m = form.menu();
    EXPECT_TRUE(m.MLanguageIngles->isChecked());
    EXPECT_FALSE(m.MLanguageEspanol->isChecked());
    EXPECT_FALSE(m.MLanguageGallego->isVisible() || m.MLanguageGallego->isEnabled());
    for (QAction* action : form.findChildren<QAction*>()) {
        EXPECT_TRUE(action->shortcut().isEmpty()) << action->objectName().toStdString();
        EXPECT_FALSE(action->text().contains('&')) << action->objectName().toStdString();
    }
}

// Every window has a fixed size, the program's title and icon, and a close box but no
// minimise or maximise box.
TEST_F(MainWindowTest, FramesAndTheClientAreaAsDesigned)
{
    ASSERT_FLOAT_EQ(metrics.twipsPerPixelX, 15.0f);  // the offscreen screen is 96 DPI
    EXPECT_EQ(form.clientSize(), QSize(591, 362));
    // The client area, below the menu bar, starts at (1275, 1485) twips.
    EXPECT_EQ(form.findChild<QWidget*>("Form1Client")->mapToGlobal(QPoint(0, 0)), QPoint(85, 99));
    EXPECT_TRUE(form.findChild<QLabel*>("Label1")->isVisible());
    EXPECT_FALSE(form.findChild<QWidget*>("Pic")->isVisible() || form.findChild<QWidget*>("Pic2")->isVisible());
    auto* timer = form.findChild<QTimer*>("Timer1");
    EXPECT_TRUE(timer && timer->isActive() && timer->interval() == 1000);

    ScreenMetrics small;  // 15 twips per pixel
    small.available = QRect(0, 0, 1000, 800);
    QDialog dialog, idioma, about;
    applySecondaryFrame(&dialog, GameWindow::Dialog, small);
    applySecondaryFrame(&idioma, GameWindow::FormIdioma, small);
    applySecondaryFrame(&about, GameWindow::About, small);
    EXPECT_EQ(dialog.geometry().center(), small.available.center());
    const struct {
        QWidget* window;
        const char* name;
        Qt::WindowType type;
    } cases[] = {
        {&form, "Form1", Qt::Window},
        {&dialog, "Dialog", Qt::Dialog},
        {&idioma, "FormIdioma", Qt::Dialog},
        {&about, "About", Qt::Dialog},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.window->objectName(), c.name);
        EXPECT_EQ(c.window->minimumSize(), c.window->maximumSize());
        EXPECT_EQ(c.window->windowTitle(), "Tessaron");
        EXPECT_FALSE(c.window->windowIcon().isNull());
        const Qt::WindowFlags flags = c.window->windowFlags();
        EXPECT_EQ(flags & Qt::WindowType_Mask, c.type);
        EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
        EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    }
}

// OK hides the About box and the next use shows the same one; its close box destroys it
// and the next use makes a new one.
TEST_F(MainWindowTest, AboutBoxIsHiddenByOkAndDestroyedByItsCloseBox)
{
    QPointer<About> shown;
    const auto showAnd = [&](const std::function<void(About*)>& answer) {
        QTimer::singleShot(0, &form, [&] {
            shown = qobject_cast<About*>(QApplication::activeModalWidget());
            ASSERT_TRUE(shown);
            answer(shown);
        });
        form.menu().AcercaDe->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    showAnd([](About* about) { about->findChild<QPushButton*>("OKButton")->click(); });
    const QPointer<About> first = shown;
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->isHidden());
    showAnd([&](About* about) {
        EXPECT_EQ(about, first.data());  // the same box again
        about->close();
    });
    EXPECT_FALSE(first);
    showAnd([](About* about) { about->findChild<QPushButton*>("OKButton")->click(); });
    EXPECT_TRUE(shown);  // a new one
}

// The question as the player meets it: Escape and its close box do nothing, Enter answers
// No; then every close request asks in the window's language, and No leaves everything.
TEST_F(MainWindowTest, ExitQuestionAnswersNoOnEnterAndEveryCloseRequestAsksInTheLanguage)
{
    QString seen;
    QTimer::singleShot(0, qApp, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = box->windowTitle() + "|" + box->text() + "|" + QString::number(box->icon());
        QTest::keyClick(box, Qt::Key_Escape);
        box->close();
        EXPECT_TRUE(box->isVisible()) << "neither Escape nor the close box may dismiss the question";
        QTest::keyClick(box, Qt::Key_Return);
    });
    form.menu().Salir->trigger();
    EXPECT_EQ(seen, "Tessaron|Do you want to close the program?|" + QString::number(QMessageBox::Information));
    EXPECT_EQ(endings, 0);

    QList<BoxRequest> asked;
    BoxAnswer answer = BoxAnswer::No;
    setBoxAnswerer([&](const BoxRequest& request) {
        asked << request;
        return answer;
    });
    form.setWindowTitle("Tessaron  -  foto.jpg");
    const struct {
        std::int16_t code;
        const char* text;
    } cases[] = {{0, "Do you want to close the program?"}, {1, "\u00BFDesea abandonar el programa?"}, {2, ""}};
    for (const auto& c : cases) {
        form.chooseLanguage(c.code);
        asked.clear();
        EXPECT_FALSE(form.close()) << c.code;
        ASSERT_EQ(asked.size(), 1) << c.code;
        EXPECT_EQ(asked[0].kind, BoxKind::YesNoInformation);
        EXPECT_EQ(asked[0].text, QString::fromUtf8(c.text)) << c.code;
    }
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.windowTitle(), "Tessaron  -  foto.jpg");
    EXPECT_EQ(endings, 0);

    answer = BoxAnswer::Yes;
    EXPECT_TRUE(form.close());
    EXPECT_EQ(endings, 1);
    EXPECT_TRUE(form.isHidden());
}

}  // namespace
}  // namespace tessaron
