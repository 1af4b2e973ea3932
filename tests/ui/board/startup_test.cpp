#include "app/command_line.h"
#include "ui/dialog/browser_lists.h"
#include "ui/dialog/preview_queue.h"
#include "support/window_test_support.h"

#include <QAction>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>

#include <cstdio>
#include <tuple>

namespace tessaron {
namespace {

struct StartupTest : test::BoardWindowTest {
    // A start of the program: a fresh main window, and nothing seen or said yet.
    void run(const QString& picture = {})
    {
        seen.clear();
        boxes.take();
        makeForm(QRect(0, 0, 1600, 1000)).startUp(picture);
    }
    // A picture of the folder chosen, then OK; or Cancel.
    std::function<void(QWidget*)> choose(const char* picture, std::function<void()> beforeOk = {})
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

    // What the dialog shows of its picture, once any preview on its way has come: the
    // folder listed, the name above the preview and whether there is a preview.
    static QStringList shownBy(QWidget* dialog)
    {
        EXPECT_TRUE(QTest::qWaitFor([dialog] { return !dialog->findChild<PreviewQueue*>()->waiting(); }));
        return {dialog->findChild<FolderList*>("Dir1")->path(), dialog->findChild<QLabel*>("LabArchivo")->text(),
            dialog->findChild<QLabel*>("Image1")->pixmap().isNull() ? "no preview" : "preview"};
    }
};

// A first run in Spanish speaks it from the first moment, even where the choice cannot
// be written down (even root may not create files in /sys): that costs only the memory
// of it, the error, then the game. Where it can, it is written at once (see the close
// box's case below).
TEST_F(StartupTest, FirstRunInSpanishGivesSpanishTextsFromTheFirstMoment)
{
    answers["FormIdioma"] = [](QWidget* w) {
        // Español, on the round mark: an option button takes clicks only on its mark and its text.
        QWidget* option = w->findChild<QWidget*>("Option1");
        QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(8, option->height() / 2));
        QTest::mouseClick(w->findChild<QWidget*>("OKButton"), Qt::LeftButton);
    };
    QString dialogFrame;
    answers["Dialog"] = [&](QWidget* w) {
        dialogFrame = w->findChild<QWidget*>("Frame1")->property("title").toString();
        choose(nullptr)(w);
    };
    QDir::setCurrent("/sys");
    run();
    EXPECT_EQ(seen, QStringList({"FormIdioma", "Dialog"}));
    EXPECT_EQ(settings("/sys"), QByteArray("(none)"));
    const QStringList errors = boxes.take();
    EXPECT_TRUE(errors.size() == 1 && errors[0].startsWith("Error: ")) << errors.join('|').toStdString();
    EXPECT_EQ(QStringList({dialogFrame, label(), form->menu().openAction->text()}),
        QStringList({"Selecciona una imagen", "No hay ninguna imagen abierta", "Abrir"}));
    // Cancel at start-up: the window with its notice.
    EXPECT_TRUE(form->isVisible() && form->findChild<QLabel*>("Label1")->isVisible());
}

TEST_F(StartupTest, ClosingTheLanguageWindowMeansEnglishAndALaterStartAsksNoMore)
{
    answers["FormIdioma"] = [](QWidget* w) { w->close(); };
    answers["Dialog"] = choose(nullptr);
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
    writeFile("data.puz", " 0 \r\n");
    for (const bool breaks : {true, false}) {
        SCOPED_TRACE(breaks ? "broken" : "good");
        picture(120, 80, "start.bmp");
        bool visibleDuringShuffle = true;
        answers["Dialog"] = [&](QWidget* w) {
            choose("start.bmp", [&] {
                if (breaks)
                    writeFile("start.bmp", "BM broken");
            })(w);
            visibleDuringShuffle = form->isVisible();
        };
        run();
        EXPECT_EQ(boxes.take(), breaks ? QStringList{"Error: 481.  Invalid picture"} : QStringList{});
        EXPECT_FALSE(visibleDuringShuffle);
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(form->windowTitle(), breaks ? "Tessaron" : "Tessaron  -  start.bmp");
        EXPECT_EQ(form->menu().showImageAction->isEnabled(), !breaks);
    }
}

// `tessaron PICTURE`: a path (here relative to where the game starts) or a file:// address
// (escaped, or with the bytes of a name that is not UTF-8 as they are) opens the dialog
// on the picture's folder with it chosen and previewed, after the language window at a
// first run; OK plays it. A picture whose name the picture patterns miss is found among
// all files (a hidden one is the dialog's test). The picture named wins over the
// one played last time, which the dialog would otherwise open on; a missing file is
// reported and the dialog opens on that one.
// Later arguments are ignored.
TEST_F(StartupTest, OpenedOnAPictureTheDialogShowsItChosen)
{
    const QString sea = picture(120, 80, "sea view.bmp");
    for (const char* copy : {"sea view.pic", "latin1.bmp"})
        QFile::copy(sea, folder.filePath(copy));
    const QByteArray latin1 = QFile::encodeName(folder.path()) + "/caf\xE9.bmp";
    ASSERT_EQ(std::rename(QFile::encodeName(folder.filePath("latin1.bmp")).constData(), latin1.constData()), 0);
    const auto full = [&](const char* name) { return QFile::encodeName(folder.filePath(name)); };
    const std::tuple<QByteArray, bool, QString, QStringList> cases[] = {
        // The argument, whether it is a first run, the name chosen and what is reported.
        {"sea view.bmp", true, "sea view.bmp", {}},
        {QUrl::fromLocalFile(folder.filePath("sea view.bmp")).toEncoded(), false, "sea view.bmp", {}},
        {"file://" + latin1, false, "caf\uFFFD.bmp", {}},
        {full("sea view.pic"), false, "sea view.pic", {}},
        {full("gone.bmp"), false, "", {"Error: 53.  File not found"}},
    };
    answers["FormIdioma"] = [](QWidget* w) { w->findChild<QPushButton*>("OKButton")->click(); };
    QStringList shown;
    answers["Dialog"] = [&](QWidget* w) {
        shown = shownBy(w);
        w->findChild<QPushButton*>(boxes.boxes.isEmpty() ? "OKButton" : "CancelButton")->click();
    };
    for (auto [argument, firstRun, chosen, reported] : cases) {
        SCOPED_TRACE(argument.toStdString());
        QFile::remove(folder.filePath("data.puz"));
        if (!firstRun)
            writeFile("data.puz", " 0 \r\n");
        char program[] = "tessaron", extra[] = "--fullscreen";
        char* argv[] = {program, argument.data(), extra};
        run(pictureArgument(3, argv));
        EXPECT_EQ(seen, firstRun ? QStringList({"FormIdioma", "Dialog"}) : QStringList{"Dialog"});
        EXPECT_EQ(boxes.take(), reported);
        EXPECT_EQ(shown, QStringList({folder.path(), chosen.isEmpty() ? "sea view.pic" : chosen, "preview"}));
        EXPECT_EQ(form->windowTitle(), chosen.isEmpty() ? "Tessaron" : "Tessaron  -  " + chosen);
    }
}

// A picture file dropped on the window opens the dialog on it, as a copy, never a move;
// anything else is refused at once, and so is any drop while the dialog is open.
TEST_F(StartupTest, DroppingAPictureFileOpensTheDialogOnIt)
{
    writeFile("data.puz", " 0 \r\n");
    const QUrl dropped = QUrl::fromLocalFile(picture(60, 40, "Drop.BMP"));
    answers["Dialog"] = choose(nullptr);
    run();
    const QList<QUrl> cases[] = {{dropped}, {QUrl::fromLocalFile(folder.filePath("data.puz"))}, {dropped, dropped},
        {QUrl("https://example.org/Drop.BMP")}, {/* the picture's address as plain text */}};
    for (const QList<QUrl>& urls : cases) {
        SCOPED_TRACE(urls.isEmpty() ? "text" : urls[0].toString().toStdString() + " x" + std::to_string(urls.size()));
        const bool taken = urls == QList<QUrl>{dropped};
        QMimeData data;
        data.setUrls(urls);
        if (urls.isEmpty())
            data.setText(dropped.toString());
        const auto dragIn = [&] {
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(form.get(), &enter);
            return enter.isAccepted() ? enter.dropAction() : Qt::IgnoreAction;
        };
        QStringList shown;
        Qt::DropAction whileOpen = Qt::IgnoreAction;
        answers["Dialog"] = [&](QWidget* w) {
            shown = shownBy(w);
            whileOpen = dragIn();
            choose(nullptr)(w);
        };
        EXPECT_EQ(dragIn(), taken ? Qt::CopyAction : Qt::IgnoreAction);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(form.get(), &drop);
        EXPECT_EQ(QTest::qWaitFor([&] { return !shown.isEmpty(); }, taken ? 5000 : 200), taken);
        EXPECT_EQ(shown, taken ? QStringList({folder.path(), "Drop.BMP", "preview"}) : QStringList{});
        EXPECT_EQ(whileOpen, Qt::IgnoreAction);
    }
}

}  // namespace
}  // namespace tessaron
