#include "board/form1.h"
#include "platform/message_box.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace tessaron {
namespace {

struct MainWindowTest : ::testing::Test {
    GameState state;
    ScreenMetrics metrics = screenMetrics();
    Form1 form{state, metrics};
    int endings = 0;

    void SetUp() override
    {
        form.setEndProgram([this] { ++endings; });
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }
    void TearDown() override { setBoxAnswerer({}); }
};

QStringList captions(const QList<QAction*>& actions)
{
    QStringList texts;
    for (QAction* action : actions)
        texts << action->objectName() + "=" + action->text();
    return texts;
}

TEST_F(MainWindowTest, MenuTreeInOrderWithDesignCaptionsAndStates)
{
    EXPECT_EQ(captions(form.menuBar()->actions()),
        QStringList({"Archivo=Archivo", "language=Idioma", "Montado=Verlo Montado", "MWeb=Web",
            "AcercaDe=A cerca de "}));
    EXPECT_EQ(captions(form.findChild<QMenu*>("Archivo")->actions()),
        QStringList({"Abrir=Abrir", "Salir=Salir"}));
    EXPECT_EQ(captions(form.findChild<QMenu*>("language")->actions()),
        QStringList({"MLanguageIngles=English", QString::fromUtf8("MLanguageEspañol=Español"),
            "MLanguageGallego=Galego"}));
    EXPECT_EQ(captions(form.findChild<QMenu*>("MWeb")->actions()),
        QStringList({QString::fromUtf8("MWebTessaron=Página de Tessaron"),
            QString::fromUtf8("MWebAutor=Página del Autor"), "MWebRodanto=Rodanto Carreras"}));

    const MenuTree& m = form.menu();
    EXPECT_TRUE(m.MLanguageIngles->isChecked());
    EXPECT_FALSE(m.MLanguageEspanol->isChecked());
    EXPECT_FALSE(m.MLanguageGallego->isVisible());
    EXPECT_FALSE(m.MLanguageGallego->isEnabled());
    EXPECT_EQ(m.Montado->menu(), nullptr);
    EXPECT_EQ(m.AcercaDe->menu(), nullptr);
    for (QAction* action : form.findChildren<QAction*>()) {
        EXPECT_TRUE(action->shortcut().isEmpty()) << action->objectName().toStdString();
        EXPECT_FALSE(action->text().contains('&')) << action->objectName().toStdString();
    }
}

TEST_F(MainWindowTest, FrameAndClientAreaAsDesigned)
{
    ASSERT_FLOAT_EQ(metrics.twipsPerPixelX, 15.0f);  // the offscreen screen is 96 DPI
    EXPECT_EQ(form.clientSize(), QSize(591, 362));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_EQ(form.windowTitle(), "Tessaron");
    const Qt::WindowFlags flags = form.windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(form.windowIcon().isNull());

    auto* label = form.findChild<QLabel*>("Label1");
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->isVisible());
    EXPECT_EQ(label->geometry(), QRect(16, 152, 553, 49));
    EXPECT_EQ(label->font().pointSize(), 18);
    EXPECT_TRUE(label->alignment() & Qt::AlignHCenter);
    EXPECT_FALSE(form.findChild<QWidget*>("Pic")->isVisible());
    EXPECT_FALSE(form.findChild<QWidget*>("Pic2")->isVisible());
    auto* timer = form.findChild<QTimer*>("Timer1");
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 1000);
    EXPECT_TRUE(timer->isActive());
}

// Runs `answer` against the exit question once it is on the screen.
void whenQuestionShows(std::function<void(QMessageBox*)> answer)
{
    QTimer::singleShot(0, qApp, [answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        answer(box);
    });
}

TEST_F(MainWindowTest, ExitQuestionAnswersNoOnEnterIgnoresEscapeAndEndsOnYes)
{
    QString seen;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    whenQuestionShows([&](QMessageBox* box) {
        seen = box->windowTitle() + "|" + box->text();
        icon = box->icon();
        QTest::keyClick(box, Qt::Key_Escape);
        EXPECT_TRUE(box->isVisible()) << "Escape must not dismiss the question";
        box->close();
        EXPECT_TRUE(box->isVisible()) << "nor must the close box";
        QTest::keyClick(box, Qt::Key_Return);
    });
    form.menu().Salir->trigger();
    EXPECT_EQ(seen, "Tessaron|Do you want to close the program?");
    EXPECT_EQ(icon, QMessageBox::Information);
    EXPECT_EQ(endings, 0);
    EXPECT_TRUE(form.isVisible());

    whenQuestionShows([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
    form.menu().Salir->trigger();
    EXPECT_EQ(endings, 1);
}

TEST_F(MainWindowTest, EveryCloseRequestAsksAndNoLeavesEverythingAsItWas)
{
    QList<BoxRequest> asked;
    BoxAnswer answer = BoxAnswer::No;
    setBoxAnswerer([&](const BoxRequest& request) {
        asked << request;
        return answer;
    });
    form.setWindowTitle("Tessaron  -  foto.jpg");
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.windowTitle(), "Tessaron  -  foto.jpg");
    EXPECT_TRUE(form.menu().Montado->isEnabled());
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0].kind, BoxKind::YesNoInformation);
    EXPECT_EQ(endings, 0);

    answer = BoxAnswer::Yes;
    EXPECT_TRUE(form.close());
    EXPECT_EQ(endings, 1);
}

TEST_F(MainWindowTest, ExitQuestionFollowsTheLanguageCode)
{
    const struct {
        std::int16_t code;
        const char* text;
    } cases[] = {{0, "Do you want to close the program?"},
        {1, "\u00BFDesea abandonar el programa?"}, {2, ""}, {-1, ""}};
    for (const auto& c : cases) {
        QString text = "not asked";
        setBoxAnswerer([&](const BoxRequest& request) {
            text = request.text;
            return BoxAnswer::No;
        });
        state.LanguageCode = c.code;
        form.Salir_Click();
        EXPECT_EQ(text, QString::fromUtf8(c.text)) << c.code;
    }
}

TEST_F(MainWindowTest, LanguageItemsMoveTheCheckMark)
{
    form.menu().MLanguageEspanol->trigger();
    EXPECT_EQ(state.LanguageCode, 1);
    EXPECT_TRUE(form.menu().MLanguageEspanol->isChecked());
    EXPECT_FALSE(form.menu().MLanguageIngles->isChecked());
    form.menu().MLanguageIngles->trigger();
    form.menu().MLanguageIngles->trigger();  // choosing it again keeps it checked
    EXPECT_EQ(state.LanguageCode, 0);
    EXPECT_TRUE(form.menu().MLanguageIngles->isChecked());
    EXPECT_FALSE(form.menu().MLanguageEspanol->isChecked());
}

}  // namespace
}  // namespace tessaron
