#include "board/form1.h"
#include "dialog/browser_lists.h"
#include "dialog/dialog.h"
#include "platform/message_box.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>

namespace tessaron {
namespace {

// Answers the modal windows of start-up as they appear, each by its object name.
class ModalDriver : public QObject {
public:
    std::map<QString, std::function<void(QWidget*)>> handlers;
    QStringList seen;

    ModalDriver()
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || modal == last_)
                return;
            last_ = modal;
            seen << modal->objectName();
            if (auto handler = handlers.find(modal->objectName()); handler != handlers.end())
                handler->second(modal);
        });
        timer_.start();
    }

private:
    QTimer timer_;
    QPointer<QWidget> last_;
};

struct StartupTest : ::testing::Test {
    QTemporaryDir folder;
    QString previousFolder = QDir::currentPath();
    GameState state;
    ScreenMetrics metrics = [] {
        ScreenMetrics m;
        m.available = QRect(0, 0, 1600, 1000);
        return m;
    }();
    std::unique_ptr<Form1> form;
    ModalDriver driver;
    QStringList errors;

    void SetUp() override
    {
        QDir::setCurrent(folder.path());
        form = std::make_unique<Form1>(state, metrics);
        form->setShuffleSeed(3);
        setBoxAnswerer([this](const BoxRequest& request) {
            errors << request.text;
            return BoxAnswer::Ok;
        });
    }
    void TearDown() override
    {
        setBoxAnswerer({});
        form.reset();
        QDir::setCurrent(previousFolder);
    }

    QByteArray settings()
    {
        QFile file(folder.filePath("data.puz"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
    }
    void writeSettings(const QByteArray& content)
    {
        QFile file(folder.filePath("data.puz"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    static void chooseLanguage(QWidget* window, const char* option)
    {
        window->findChild<QRadioButton*>(option)->setChecked(true);
        window->findChild<QPushButton*>("OKButton")->click();
    }
    // OK on a picture of the folder, or Cancel.
    std::function<void(QWidget*)> dialogAnswer(const QString& picture)
    {
        return [this, picture](QWidget* window) {
            if (!picture.isEmpty()) {
                emit window->findChild<FolderList*>("Dir1")->folderOpened(folder.path());
                window->findChild<FileList*>("File1")->selectFile(picture);
                window->findChild<QPushButton*>("OKButton")->click();
            } else {
                window->findChild<QPushButton*>("CancelButton")->click();
            }
        };
    }
    QString label() { return form->findChild<QLabel*>("Label1")->text(); }
};

TEST_F(StartupTest, FirstRunInSpanishGivesSpanishTextsFromTheFirstMoment)
{
    driver.handlers["FormIdioma"] = [](QWidget* w) { chooseLanguage(w, "Option1"); };
    QString dialogFrame;
    driver.handlers["Dialog"] = [&](QWidget* w) {
        dialogFrame = w->findChild<QWidget*>("Frame1")->property("title").toString();
        dialogAnswer({})(w);
    };
    form->Form_Load();
    EXPECT_EQ(driver.seen, QStringList({"FormIdioma", "Dialog"}));
    EXPECT_EQ(settings(), QByteArray(" 1 \r\n"));
    EXPECT_EQ(dialogFrame, "Selecciona una imagen");
    EXPECT_EQ(label(), "No hay ninguna imagen abierta");
    EXPECT_EQ(form->menu().Abrir->text(), "Abrir");
    EXPECT_TRUE(form->menu().MLanguageEspanol->isChecked());
    // Cancel at start-up: the notice, the design title, nothing to show.
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), "Tessaron");
    EXPECT_FALSE(form->menu().Montado->isEnabled());
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(StartupTest, ClosingTheLanguageWindowMeansEnglishAndALaterStartAsksNoMore)
{
    driver.handlers["FormIdioma"] = [](QWidget* w) { w->close(); };
    driver.handlers["Dialog"] = dialogAnswer({});
    form->Form_Load();
    EXPECT_EQ(settings(), QByteArray(" 0 \r\n"));
    EXPECT_EQ(label(), "There is not any loaded image");

    GameState again;
    Form1 second(again, metrics);
    driver.seen.clear();
    second.Form_Load();
    EXPECT_EQ(driver.seen, QStringList{"Dialog"});
}

TEST_F(StartupTest, AFolderThatCannotBeWrittenCostsOnlyTheMemoryOfTheChoice)
{
    // Even root may not create files in /sys.
    QDir::setCurrent("/sys");
    driver.handlers["FormIdioma"] = [](QWidget* w) { chooseLanguage(w, "Option1"); };
    driver.handlers["Dialog"] = dialogAnswer({});
    form->Form_Load();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith("Error: ")) << errors[0].toStdString();
    EXPECT_EQ(driver.seen, QStringList({"FormIdioma", "Dialog"}));
    EXPECT_EQ(label(), "No hay ninguna imagen abierta");
    EXPECT_FALSE(QFile::exists("/sys/data.puz"));
}

TEST_F(StartupTest, OkAtStartUpShowsTheWindowOnlyOnceShuffled)
{
    writeSettings(" 0 \r\n");
    QImage picture(120, 80, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    picture.save(folder.filePath("start.bmp"));
    bool visibleDuringShuffle = true;
    driver.handlers["Dialog"] = [&](QWidget* w) {
        dialogAnswer("start.bmp")(w);
        visibleDuringShuffle = form->isVisible();
    };
    form->Form_Load();
    EXPECT_FALSE(visibleDuringShuffle);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), "Tessaron  -  start.bmp");
    EXPECT_EQ(form->game().exchangeCount(), 80);
    EXPECT_TRUE(form->menu().Montado->isEnabled());
}

TEST_F(StartupTest, APictureThatFailsIsReportedAndTheWindowStillAppears)
{
    writeSettings("1");
    QImage picture(50, 50, QImage::Format_RGB32);
    picture.fill(Qt::red);
    picture.save(folder.filePath("changed.bmp"));
    driver.handlers["Dialog"] = [&](QWidget* w) {
        emit w->findChild<FolderList*>("Dir1")->folderOpened(folder.path());
        w->findChild<FileList*>("File1")->selectFile("changed.bmp");
        // The file breaks between the choice and OK, as if another program wrote it.
        QFile file(folder.filePath("changed.bmp"));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write("BM broken");
        file.close();
        w->findChild<QPushButton*>("OKButton")->click();
    };
    form->Form_Load();
    EXPECT_EQ(errors, QStringList{"Error: 481.  Invalid picture"});
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(state.Board.exists());
    EXPECT_EQ(state.PiecesX, 0);
    EXPECT_FALSE(form->menu().Montado->isEnabled());
}

TEST_F(StartupTest, SettingsFilesThatCannotBeReadAreReportedAndStopStartUp)
{
    const struct {
        QByteArray content;
        const char* error;
    } cases[] = {
        {"", "Error: 62.  Input past end of file"},
        {"40000", "Error: 6.  Overflow"},
        {"hola", "Error: 13.  Type mismatch"},
    };
    for (const auto& c : cases) {
        writeSettings(c.content);
        errors.clear();
        driver.seen.clear();
        GameState fresh;
        Form1 window(fresh, metrics);
        window.Form_Load();
        EXPECT_EQ(errors, QStringList{c.error});
        EXPECT_TRUE(driver.seen.isEmpty()) << "no language window, no dialog";
        EXPECT_TRUE(window.isVisible());
    }
}

TEST_F(StartupTest, UnknownLanguageCodeKeepsTheDesignCaptionsAndTheFile)
{
    writeSettings(" 2 \r\n");
    driver.handlers["Dialog"] = dialogAnswer({});
    form->Form_Load();
    EXPECT_EQ(state.LanguageCode, 2);
    EXPECT_EQ(form->menu().Montado->text(), "Verlo Montado");
    EXPECT_EQ(form->menu().AcercaDe->text(), "A cerca de ");
    EXPECT_EQ(label(), "No hay ninguna imagen abierta");
    EXPECT_EQ(settings(), QByteArray(" 2 \r\n"));

    form->menu().MLanguageIngles->trigger();
    EXPECT_EQ(form->menu().Montado->text(), "Show image");
    EXPECT_EQ(settings(), QByteArray(" 0 \r\n"));
}

TEST_F(StartupTest, SwitchingLanguageOnAFinishedBoardChangesOnlyCaptions)
{
    writeSettings(" 0 \r\n");
    QImage picture(60, 40, QImage::Format_RGB32);
    picture.fill(Qt::yellow);
    picture.save(folder.filePath("one.bmp"));
    driver.handlers["Dialog"] = [&](QWidget* w) {
        auto* columns = w->findChild<QListWidget*>("ListX");
        auto* rows = w->findChild<QListWidget*>("ListY");
        columns->setCurrentRow(0);
        rows->setCurrentRow(0);
        dialogAnswer("one.bmp")(w);
    };
    form->Form_Load();
    const auto x = static_cast<float>(form->fields().BoardLeft + 30);
    const auto y = static_cast<float>(form->fields().BoardTop + 30);
    form->Form_MouseDown(1, 0, x, y);
    form->Form_MouseUp(1, 0, x, y);
    ASSERT_EQ(errors, QStringList{"You've got it!"});
    const QImage finished = form->grab().toImage();
    const QString title = form->windowTitle();

    form->menu().MLanguageEspanol->trigger();
    EXPECT_EQ(form->menu().Montado->text(), "Verlo montado");
    EXPECT_FALSE(form->menu().Montado->isEnabled());
    EXPECT_EQ(form->windowTitle(), title);
    EXPECT_TRUE(form->findChild<QWidget*>("Pic2")->isVisible());
    EXPECT_EQ(settings(), QByteArray(" 1 \r\n"));
    // The dialog, reopened, shows the 4 x 4 texts of the new language.
    EXPECT_EQ(form->newPuzzleDialog().findChild<QLabel*>("Label2")->text(), "Puzzle de 16 piezas (4x4)");
}

}  // namespace
}  // namespace tessaron
