#include "language/apply_texts.h"
#include "shell/menu_tree.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <memory>

namespace tessaron {
namespace {

template <typename Control>
Control* named(QWidget* parent, const char* name, const char* text)
{
    auto* control = new Control(QString::fromUtf8(text), parent);
    control->setObjectName(QString::fromUtf8(name));
    return control;
}

// The main window's named controls, with the captions it is created with.
struct MainWindow : QMainWindow {
    MenuTree menu;
    QLabel* Label1;
    QDialog* parentedDialog;  // another window below this one, with a Label1 of its own
    MainWindow()
    {
        menu = buildMenuTree(menuBar());
        Label1 = named<QLabel>(this, "Label1", "No hay ninguna imagen abierta");
        parentedDialog = new QDialog(this);
        named<QLabel>(parentedDialog, "Label1", "X");
    }
    QString text(const char* name) const
    {
        if (auto* submenu = findChild<QMenu*>(name))
            return submenu->title();
        return findChild<QAction*>(name)->text();
    }
};

struct PuzzleDialog : QDialog {
    PuzzleDialog()
    {
        named<QGroupBox>(this, "Frame1", "Selecciona una imagen");
        named<QCheckBox>(this, "Check1", "Mostrar imagen");
        auto* frame2 = named<QGroupBox>(this, "Frame2", "Tipo de puzzle");
        named<QLabel>(frame2, "Label1", "X");
        named<QLabel>(frame2, "Label2", "Puzzle de 30 piezas (5x6)");  // as after a change
        named<QRadioButton>(frame2, "Option1", "Normal");
        named<QRadioButton>(frame2, "Option2", "Dificil");
        named<QLabel>(frame2, "Label3", "Solo puedes mover una pieza al hueco.");
    }
};

struct AboutBox : QDialog {
    AboutBox()
    {
        for (const char* name : {"Label1", "Label2", "Label3", "Label4"})
            named<QLabel>(this, name, name);
    }
};

QString labelText(QWidget* window, const char* name)
{
    return window->findChild<QLabel*>(name)->text();
}

TEST(ApplyWindowTexts, MainWindowCaptionsByLanguage)
{
    const struct {
        std::int16_t code;
        const char* file;
        const char* montado;
        const char* autor;
        const char* acercaDe;
        const char* label1;
    } cases[] = {
        {0, "File", "Show image", "Author page", "About", "There is not any loaded image"},
        {1, "Archivo", "Verlo montado", "P\u00E1gina del autor", "A cerca de",
            "No hay ninguna imagen abierta"},
        {2, "Archivo", "Verlo Montado", "P\u00E1gina del Autor", "A cerca de ",
            "No hay ninguna imagen abierta"},  // the design captions stay
    };
    for (const auto& c : cases) {
        MainWindow window;
        applyWindowTexts(&window, TextWindow::Form1, c.code);
        EXPECT_EQ(window.text("Archivo"), QString::fromUtf8(c.file)) << c.code;
        EXPECT_EQ(window.menu.Archivo->menuAction()->text(), QString::fromUtf8(c.file));
        EXPECT_EQ(window.text("Montado"), QString::fromUtf8(c.montado)) << c.code;
        EXPECT_EQ(window.text("MWebAutor"), QString::fromUtf8(c.autor)) << c.code;
        EXPECT_EQ(window.text("AcercaDe"), QString::fromUtf8(c.acercaDe)) << c.code;
        EXPECT_EQ(window.Label1->text(), QString::fromUtf8(c.label1)) << c.code;
        EXPECT_EQ(window.text("MLanguageIngles"), "English");
        EXPECT_EQ(window.text("MWeb"), "Web");
        EXPECT_EQ(labelText(window.parentedDialog, "Label1"), "X");
    }
}

TEST(ApplyWindowTexts, DialogGoesBackToTheFourByFourNormalTexts)
{
    PuzzleDialog dialog;
    applyWindowTexts(&dialog, TextWindow::Dialog, kEnglish);
    EXPECT_EQ(dialog.findChild<QGroupBox*>("Frame1")->title(), "Select an image");
    EXPECT_EQ(dialog.findChild<QCheckBox*>("Check1")->text(), "Preview image");
    EXPECT_EQ(dialog.findChild<QGroupBox*>("Frame2")->title(), "Puzzle style");
    EXPECT_EQ(dialog.findChild<QRadioButton*>("Option2")->text(), "Difficult");
    EXPECT_EQ(labelText(&dialog, "Label2"), "16 pieces puzzle (4x4)");
    EXPECT_EQ(labelText(&dialog, "Label3"), "Any piece can be moved to any place.");
    EXPECT_EQ(labelText(&dialog, "Label1"), "X");

    applyWindowTexts(&dialog, TextWindow::Dialog, kSpanish);
    EXPECT_EQ(labelText(&dialog, "Label2"), "Puzzle de 16 piezas (4x4)");
    EXPECT_EQ(dialog.findChild<QRadioButton*>("Option2")->text(), "Dificil");
}

struct ApplyLanguageTextsTest : ::testing::Test {
    GameState state;
    MainWindow form1;
    std::unique_ptr<PuzzleDialog> dialog;
    std::unique_ptr<AboutBox> about;
    int dialogsCreated = 0;
    int aboutsCreated = 0;

    // Creating the dialog runs its load, which applies the texts once more and so asks
    // for the dialog again while it is being created.
    QWidget* dialogWindow()
    {
        if (!dialog) {
            ++dialogsCreated;
            dialog = std::make_unique<PuzzleDialog>();
            apply();
        }
        return dialog.get();
    }
    QWidget* aboutWindow()
    {
        if (!about) {
            ++aboutsCreated;
            about = std::make_unique<AboutBox>();
        }
        return about.get();
    }
    void apply()
    {
        ApplyLanguageTexts(state, &form1, [this] { return dialogWindow(); },
            [this] { return aboutWindow(); });
    }
};

TEST_F(ApplyLanguageTextsTest, CreatesMissingWindowsHiddenOnceAndNeverTwice)
{
    state.LanguageCode = kSpanish;
    apply();
    apply();
    EXPECT_EQ(dialogsCreated, 1);
    EXPECT_EQ(aboutsCreated, 1);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(about->isVisible());
    EXPECT_EQ(labelText(dialog.get(), "Label2"), "Puzzle de 16 piezas (4x4)");
    EXPECT_EQ(labelText(about.get(), "Label1"), "Tessaron versi\u00F3n 2.0");
    EXPECT_TRUE(labelText(about.get(), "Label4").endsWith("\"Tessaron versi\u00F3n 2.0\""));
    EXPECT_EQ(form1.text("language"), "Idioma");
}

TEST_F(ApplyLanguageTextsTest, CheckMarksFollowTheLanguageAndOtherCodesChangeNothing)
{
    const struct {
        std::int16_t code;
        bool ingles;
        bool espanol;
    } cases[] = {{1, false, true}, {0, true, false}, {2, true, false}, {-7, true, false}};
    for (const auto& c : cases) {
        state.LanguageCode = c.code;
        apply();
        EXPECT_EQ(form1.menu.MLanguageIngles->isChecked(), c.ingles) << c.code;
        EXPECT_EQ(form1.menu.MLanguageEspanol->isChecked(), c.espanol) << c.code;
    }
    // Still English from the 0 before: codes other than 0 and 1 left everything alone.
    EXPECT_EQ(form1.text("Archivo"), "File");
}

TEST_F(ApplyLanguageTextsTest, NoLanguageCreatesNothingAndKeepsDesignCaptions)
{
    state.LanguageCode = 2;
    apply();
    EXPECT_EQ(dialogsCreated, 0);
    EXPECT_EQ(aboutsCreated, 0);
    EXPECT_EQ(form1.text("AcercaDe"), "A cerca de ");
    EXPECT_TRUE(form1.menu.MLanguageIngles->isChecked());
}

}  // namespace
}  // namespace tessaron
