#include "app/command_line.h"
#include "ui/board/form1.h"
#include "ui/dialog/browser_lists.h"
#include "ui/dialog/dialog.h"
#include "ui/platform/message_box.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>
#include <tuple>

namespace tessaron {
namespace {

struct StartupTest : ::testing::Test {
    QTemporaryDir folder;
    QString previousFolder = QDir::currentPath();
    ScreenMetrics metrics;  // 15 twips per pixel
    std::unique_ptr<Form1> form;
    QStringList errors;
    // Start-up's modal windows, each answered once as it appears, by its object name.
    std::map<QString, std::function<void(QWidget*)>> handlers;
    QStringList seen;
    QTimer watcher;
    QPointer<QWidget> last;

    void SetUp() override
    {
        QDir::setCurrent(folder.path());
        watcher.callOnTimeout([this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || modal == last)
                return;
            seen << (last = modal)->objectName();
            if (auto handler = handlers.find(modal->objectName()); handler != handlers.end())
                handler->second(modal);
        });
        watcher.start(5);
        metrics.available = QRect(0, 0, 1600, 1000);
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
    // A start of the program: a fresh state and main window.
    void run(const QString& picture = {})
    {
        form.reset();
        seen.clear();
        errors.clear();
        form = std::make_unique<Form1>(metrics);
        form->startUp(picture);
    }

    QByteArray settings(const QString& where = {})
    {
        QFile file(QDir(where.isEmpty() ? folder.path() : where).filePath("data.puz"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
    }
    void writeSettings(const QByteArray& content)
    {
        QFile file(folder.filePath("data.puz"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    void savePicture(const char* name, int width, int height)
    {
        QImage picture(width, height, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        ASSERT_TRUE(picture.save(folder.filePath(name)));
    }

    // A picture of the folder chosen, then OK; or Cancel.
    std::function<void(QWidget*)> dialogAnswer(const char* picture, std::function<void()> beforeOk = {})
    {
        return [this, picture, beforeOk](QWidget* window) {
            if (picture) {
                emit window->findChild<FolderList*>("Dir1")->folderOpened(folder.path());
                window->findChild<FileList*>("File1")->selectFile(picture);
                if (beforeOk)
                    beforeOk();
            }
            window->findChild<QPushButton*>(picture ? "OKButton" : "CancelButton")->click();
        };
    }
    QString label() { return form->findChild<QLabel*>("Label1")->text(); }

    // What the dialog shows of its picture: the folder listed, the name above the preview
    // and the colour in the preview's middle.
    static QStringList shownBy(QWidget* dialog)
    {
        const QImage preview = dialog->findChild<QLabel*>("Image1")->pixmap().toImage();
        return {dialog->findChild<FolderList*>("Dir1")->path(), dialog->findChild<QLabel*>("LabArchivo")->text(),
            preview.isNull() ? "none" : preview.pixelColor(preview.rect().center()).name()};
    }
};

// The choice is written down at once, and a folder that cannot be written (even root may
// not create files in /sys) costs only the memory of it: the error, then the game.
TEST_F(StartupTest, FirstRunInSpanishGivesSpanishTextsFromTheFirstMoment)
{
    handlers["FormIdioma"] = [](QWidget* w) {
        w->findChild<QRadioButton*>("Option1")->setChecked(true);  // Español
        w->findChild<QPushButton*>("OKButton")->click();
    };
    QString dialogFrame;
    handlers["Dialog"] = [&](QWidget* w) {
        dialogFrame = w->findChild<QWidget*>("Frame1")->property("title").toString();
        dialogAnswer(nullptr)(w);
    };
    for (const QString& where : {folder.path(), QStringLiteral("/sys")}) {
        SCOPED_TRACE(where.toStdString());
        const bool writable = where != "/sys";
        QDir::setCurrent(where);
        dialogFrame.clear();
        run();
        EXPECT_EQ(seen, QStringList({"FormIdioma", "Dialog"}));
        EXPECT_EQ(settings(where), writable ? QByteArray(" 1 \r\n") : QByteArray("(none)"));
        ASSERT_EQ(errors.size(), writable ? 0 : 1);
        EXPECT_TRUE(writable || errors[0].startsWith("Error: ")) << errors.join("").toStdString();
        EXPECT_EQ(dialogFrame, "Selecciona una imagen");
        EXPECT_EQ(label(), "No hay ninguna imagen abierta");
        EXPECT_EQ(form->menu().Abrir->text(), "Abrir");
        EXPECT_TRUE(form->menu().MLanguageEspanol->isChecked());
        // Cancel at start-up: the notice, the design title, nothing to show.
        EXPECT_TRUE(form->isVisible() && form->findChild<QLabel*>("Label1")->isVisible());
        EXPECT_EQ(form->windowTitle(), "Tessaron");
        EXPECT_FALSE(form->menu().Montado->isEnabled());
    }
}

TEST_F(StartupTest, ClosingTheLanguageWindowMeansEnglishAndALaterStartAsksNoMore)
{
    handlers["FormIdioma"] = [](QWidget* w) { w->close(); };
    handlers["Dialog"] = dialogAnswer(nullptr);
    run();
    EXPECT_EQ(settings(), QByteArray(" 0 \r\n"));
    EXPECT_EQ(label(), "There is not any loaded image");
    run();
    EXPECT_EQ(seen, QStringList{"Dialog"});
}

// OK shows the window only once shuffled; a picture that breaks between the choice and
// OK (as if another program wrote it) is reported and the window still appears.
TEST_F(StartupTest, OkAtStartUpShowsTheWindowOnlyOnceShuffledOrReportsThePicture)
{
    writeSettings(" 0 \r\n");
    for (const bool breaks : {false, true}) {
        SCOPED_TRACE(breaks ? "broken" : "good");
        savePicture("start.bmp", 120, 80);
        bool visibleDuringShuffle = true;
        handlers["Dialog"] = [&](QWidget* w) {
            dialogAnswer("start.bmp", [&] {
                QFile file(folder.filePath("start.bmp"));
                if (breaks && file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                    file.write("BM broken");
            })(w);
            visibleDuringShuffle = form->isVisible();
        };
        run();
        EXPECT_EQ(errors, breaks ? QStringList{"Error: 481.  Invalid picture"} : QStringList{});
        EXPECT_FALSE(visibleDuringShuffle);
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(form->windowTitle(), breaks ? "Tessaron" : "Tessaron  -  start.bmp");
        EXPECT_EQ(form->session().puzzle().exchangeCount(), breaks ? 0 : 80);
        EXPECT_EQ(form->session().puzzle().board().columns(), breaks ? 0 : 4);
        EXPECT_EQ(form->menu().Montado->isEnabled(), !breaks);
        if (breaks)
            continue;
        // File > Open lays the same picture out exactly as start-up did, framed alike.
        const auto placed = [this] {
            const QWidget* pic = form->findChild<QWidget*>("Pic");
            const Layout& layout = form->session().puzzle().layout();
            return std::tuple{form->clientSize(), form->frameGeometry().size(), pic->geometry(),
                layout.BoardTop, layout.MarginTop};
        };
        const auto atStartUp = placed();
        handlers["Dialog"] = dialogAnswer("start.bmp");
        last = nullptr;
        form->openNewPuzzle();
        EXPECT_TRUE(placed() == atStartUp);
    }
}

// A code with no texts keeps the design captions and the file; the language items then
// move the check mark, and choosing English twice keeps it on English.
TEST_F(StartupTest, UnknownLanguageCodeKeepsTheDesignCaptionsAndTheFile)
{
    writeSettings(" 2 \r\n");
    handlers["Dialog"] = dialogAnswer(nullptr);
    run();
    EXPECT_EQ(form->menu().Montado->text(), "Verlo Montado");
    EXPECT_EQ(label(), "No hay ninguna imagen abierta");
    EXPECT_EQ(settings(), QByteArray(" 2 \r\n"));

    form->menu().MLanguageIngles->trigger();
    form->menu().MLanguageIngles->trigger();
    EXPECT_EQ(form->menu().Montado->text(), "Show image");
    EXPECT_TRUE(form->menu().MLanguageIngles->isChecked());
    EXPECT_FALSE(form->menu().MLanguageEspanol->isChecked());
    EXPECT_EQ(settings(), QByteArray(" 0 \r\n"));
}

TEST_F(StartupTest, SwitchingLanguageOnAFinishedBoardChangesOnlyCaptions)
{
    writeSettings(" 0 \r\n");
    savePicture("one.bmp", 60, 40);
    handlers["Dialog"] = [&](QWidget* w) {
        w->findChild<QListWidget*>("ListX")->setCurrentRow(0);
        w->findChild<QListWidget*>("ListY")->setCurrentRow(0);
        dialogAnswer("one.bmp")(w);
    };
    run();
    const auto x = static_cast<float>(form->session().puzzle().layout().BoardLeft + 30);
    const auto y = static_cast<float>(form->session().puzzle().layout().BoardTop + 30);
    form->pressAt(x, y);
    form->releaseAt(x, y);
    ASSERT_EQ(errors, QStringList{"You've got it!"});
    const QString title = form->windowTitle();

    form->menu().MLanguageEspanol->trigger();
    EXPECT_TRUE(form->menu().MLanguageEspanol->isChecked());
    EXPECT_FALSE(form->menu().MLanguageIngles->isChecked());
    EXPECT_EQ(form->menu().Montado->text(), "Verlo montado");
    EXPECT_FALSE(form->menu().Montado->isEnabled());
    EXPECT_EQ(form->windowTitle(), title);
    EXPECT_TRUE(form->findChild<QWidget*>("Pic2")->isVisible());
    EXPECT_EQ(settings(), QByteArray(" 1 \r\n"));
    // The dialog, reopened, shows the 4 x 4 texts of the new language.
    EXPECT_EQ(form->findChild<Dialog*>()->findChild<QLabel*>("Label2")->text(), "Puzzle de 16 piezas (4x4)");
}

// `tessaron PICTURE`: a path (here relative to where the game starts) or a file:// address
// opens the dialog on the picture's folder with it chosen and previewed, after the
// language window at a first run; OK plays it. A picture whose name the picture patterns
// miss is found among all files. A missing file, or one that is no picture (the settings
// file), is reported and the dialog opens as it always does. Later arguments are ignored.
TEST_F(StartupTest, OpenedOnAPictureTheDialogShowsItChosen)
{
    savePicture("sea view.bmp", 120, 80);
    ASSERT_TRUE(QFile::copy(folder.filePath("sea view.bmp"), folder.filePath("sea view.pic")));
    const struct {
        const char* name;
        QByteArray argument;
        bool firstRun;
        QString picture;  // the name the dialog shows chosen
        QStringList errors;
    } cases[] = {
        {"path", "sea view.bmp", true, "sea view.bmp", {}},
        {"address", QUrl::fromLocalFile(folder.filePath("sea view.bmp")).toEncoded(), false, "sea view.bmp", {}},
        {"unusual name", QFile::encodeName(folder.filePath("sea view.pic")), false, "sea view.pic", {}},
        {"missing", QFile::encodeName(folder.filePath("gone.bmp")), false, "", {"Error: 53.  File not found"}},
        {"text file", QFile::encodeName(folder.filePath("data.puz")), false, "", {"Error: 481.  Invalid picture"}},
    };
    handlers["FormIdioma"] = [](QWidget* w) { w->findChild<QPushButton*>("OKButton")->click(); };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bool good = !c.picture.isEmpty();
        QFile::remove(folder.filePath("data.puz"));
        if (!c.firstRun)
            writeSettings(" 0 \r\n");
        QStringList shown;
        handlers["Dialog"] = [&](QWidget* w) {
            shown = shownBy(w);
            w->findChild<QPushButton*>(shown[1].isEmpty() ? "CancelButton" : "OKButton")->click();
        };
        QByteArray argument = c.argument;
        char program[] = "tessaron", extra[] = "--fullscreen";
        char* argv[] = {program, argument.data(), extra};
        run(pictureArgument(3, argv));
        EXPECT_EQ(seen, c.firstRun ? QStringList({"FormIdioma", "Dialog"}) : QStringList{"Dialog"});
        EXPECT_EQ(errors, c.errors);
        EXPECT_EQ(shown, good ? QStringList({folder.path(), c.picture, "#008080"})
                              : QStringList({QCoreApplication::applicationDirPath(), "", "none"}));
        EXPECT_EQ(form->windowTitle(), good ? "Tessaron  -  " + c.picture : "Tessaron");
    }
}

// A picture file dropped on the window opens the dialog on it, as a copy, never a move;
// anything else is refused at once, and so is any drop while the dialog is open.
TEST_F(StartupTest, DroppingAPictureFileOpensTheDialogOnIt)
{
    writeSettings(" 0 \r\n");
    savePicture("Drop.BMP", 60, 40);
    handlers["Dialog"] = dialogAnswer(nullptr);
    run();
    const QUrl picture = QUrl::fromLocalFile(folder.filePath("Drop.BMP"));
    const struct {
        const char* name;
        QList<QUrl> urls;  // none: the picture's address as plain text
    } cases[] = {
        {"picture", {picture}},
        {"text file", {QUrl::fromLocalFile(folder.filePath("data.puz"))}},
        {"two pictures", {picture, picture}},
        {"web address", {QUrl("https://example.org/Drop.BMP")}},
        {"text", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bool taken = c.urls == QList<QUrl>{picture};
        QMimeData data;
        data.setUrls(c.urls);
        if (c.urls.isEmpty())
            data.setText(picture.toString());
        const auto dragIn = [&] {
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(form.get(), &enter);
            return enter.isAccepted() ? enter.dropAction() : Qt::IgnoreAction;
        };
        QStringList shown;
        Qt::DropAction whileOpen = Qt::IgnoreAction;
        handlers["Dialog"] = [&](QWidget* w) {
            shown = shownBy(w);
            whileOpen = dragIn();
            dialogAnswer(nullptr)(w);
        };
        seen.clear();
        last = nullptr;
        EXPECT_EQ(dragIn(), taken ? Qt::CopyAction : Qt::IgnoreAction);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(form.get(), &drop);
        EXPECT_EQ(QTest::qWaitFor([&] { return !seen.isEmpty(); }, taken ? 5000 : 200), taken);
        EXPECT_EQ(shown, taken ? QStringList({folder.path(), "Drop.BMP", "#008080"}) : QStringList{});
        EXPECT_EQ(whileOpen, Qt::IgnoreAction);
    }
}

}  // namespace
}  // namespace tessaron
