#include "ui/shell/window_frames.h"
#include "support/window_test_support.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QAbstractButton>

#include <map>

namespace tessaron {
namespace {

struct MainWindowTest : test::BoardWindowTest {
    void SetUp() override
    {
        BoardWindowTest::SetUp();
        makeForm().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
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
    EXPECT_EQ(tree(form->menuBar()->actions()),
        QString::fromUtf8("Archivo[Abrir,Salir],language[MLanguageIngles,MLanguageEspañol,MLanguageGallego],"
                          "Montado,MWeb[MWebTessaron,MWebAutor,MWebRodanto],AcercaDe,"
                          "GameMenu[Undo,Redo,Restart,Hint,HowToPlay]"));
    const MenuTree& m = form->menu();
    EXPECT_TRUE(m.englishAction->isChecked() && !m.spanishAction->isChecked());
    EXPECT_FALSE(m.galicianAction->isVisible() || m.galicianAction->isEnabled());
    // Only the Game menu's items have keys, those other games use; no item has an access key.
    const std::map<QString, QString> keys{{"Undo", "Ctrl+Z"}, {"Redo", "Ctrl+Shift+Z; Ctrl+Y"}, {"Hint", "H"}};
    for (QAction* action : form->findChildren<QAction*>()) {
        const auto key = keys.find(action->objectName());
        EXPECT_EQ(QKeySequence::listToString(action->shortcuts()), key == keys.end() ? QString() : key->second)
            << action->objectName().toStdString();
        EXPECT_FALSE(action->text().contains('&')) << action->objectName().toStdString();
    }
}

// Every window has a fixed size, the program's title and icon, and a close box but no
// minimise or maximise box.
TEST_F(MainWindowTest, FramesAndTheClientAreaAsDesigned)
{
    EXPECT_EQ(form->clientSize(), QSize(591, 362));
    // The client area, below the menu bar, starts at (1275, 1485) twips.
    EXPECT_EQ(board()->mapToGlobal(QPoint(0, 0)), QPoint(85, 99));
    auto* timer = form->findChild<QTimer*>("Timer1");
    EXPECT_TRUE(timer && timer->isActive() && timer->interval() == 1000);

    ScreenMetrics small;  // 15 twips per pixel
    small.available = QRect(0, 0, 1000, 800);
    QDialog dialog, language, about;
    applySecondaryFrame(&dialog, GameWindow::NewPuzzle, small);
    applySecondaryFrame(&language, GameWindow::Language, small);
    applySecondaryFrame(&about, GameWindow::About, small);
    EXPECT_EQ(dialog.geometry().center(), small.available.center());
    QStringList names;
    for (QWidget* window : std::initializer_list<QWidget*>{form.get(), &dialog, &language, &about}) {
        SCOPED_TRACE((names << window->objectName()).last().toStdString());
        EXPECT_EQ(window->minimumSize(), window->maximumSize());
        EXPECT_EQ(window->windowTitle(), "Tessaron");
        EXPECT_FALSE(window->windowIcon().isNull());
        const Qt::WindowFlags flags = window->windowFlags();
        EXPECT_EQ(flags & Qt::WindowType_Mask, window == form.get() ? Qt::Window : Qt::Dialog);
        EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
        EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    }
    EXPECT_EQ(names, QStringList({"Form1", "Dialog", "FormIdioma", "About"}));
}

// Every close request asks in the window's language, and No leaves everything. The
// question as the player meets it: Escape and its close box do nothing, Enter answers No.
TEST_F(MainWindowTest, ExitQuestionAnswersNoOnEnterAndEveryCloseRequestAsksInTheLanguage)
{
    boxes.answer = BoxAnswer::No;
    form->setWindowTitle("Tessaron  -  foto.jpg");
    const std::pair<Language, const char*> cases[] = {
        {Language::None, ""}, {Language::Spanish, "\u00BFDesea abandonar el programa?"}, {Language::English, "Do you want to close the program?"}};
    for (const auto& [code, text] : cases) {
        form->chooseLanguage(code);
        EXPECT_FALSE(form->close()) << codeOf(code);
        EXPECT_TRUE(boxes.boxes.size() == 1 && boxes.boxes[0].kind == BoxKind::YesNoInformation) << code;
        EXPECT_EQ(boxes.take(), QStringList{QString::fromUtf8(text)});
    }
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), "Tessaron  -  foto.jpg");

    setBoxAnswerer({});
    QString asked;
    answers["QuestionBox"] = [&](QWidget* window) {
        auto* box = static_cast<QMessageBox*>(window);
        asked = box->windowTitle() + "|" + box->text() + "|" + QString::number(box->icon());
        QTest::keyClick(box, Qt::Key_Escape);
        box->close();
        EXPECT_TRUE(box->isVisible()) << "neither Escape nor the close box may dismiss the question";
        QTest::keyClick(box, Qt::Key_Return);
    };
    form->menu().exitAction->trigger();
    EXPECT_EQ(asked, "Tessaron|Do you want to close the program?|" + QString::number(QMessageBox::Information));
    EXPECT_TRUE(form->isVisible());

    // Qt's own buttons speak the game's language, and follow the language menu at once;
    // every box leaves its title room to show whole.
    const auto buttons = [&](Language code, const QString& box) {
        form->chooseLanguage(code);
        QString texts;
        answers[box] = [&](QWidget* window) {
            auto* shown = static_cast<QMessageBox*>(window);
            for (QAbstractButton* button : shown->buttons())
                texts += button->text() + ",";
            EXPECT_GE(shown->width(), shown->fontMetrics().horizontalAdvance(shown->windowTitle()) + 150);
            shown->defaultButton()->click();
        };
        if (box == "QuestionBox")
            form->menu().exitAction->trigger();
        else
            showMessage(form.get(), "!");  // as short as a message comes
        return texts;
    };
    EXPECT_EQ(buttons(Language::Spanish, "QuestionBox"), QString::fromUtf8("&S\u00ED,&No,"));
    EXPECT_EQ(buttons(Language::Spanish, "MessageBox"), "Aceptar,");
    EXPECT_EQ(buttons(Language::English, "QuestionBox"), "&Yes,&No,");
}

}  // namespace
}  // namespace tessaron
