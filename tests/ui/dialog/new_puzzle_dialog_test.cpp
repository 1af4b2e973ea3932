#include "ui/dialog/browser_lists.h"
#include "ui/dialog/new_puzzle_dialog.h"
#include "ui/dialog/preview_queue.h"
#include "ui/dialog/remembered_choice.h"
#include "core/dialog/remembered_choice.h"
#include "ui/language/apply_texts.h"
#include "ui/platform/native_names.h"
#include "ui/platform/picture_loader.h"
#include "core/language/texts.h"
#include "support/window_test_support.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QThread>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <filesystem>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <tuple>

namespace tessaron {
namespace {

constexpr QRgb kSea = 0xff1e78c8;
constexpr QRgb kSand = 0xffe0b050;

// The loader, holding each decode until the test lets it go, and noting which files it
// was asked for, how many decodes ran at once and whether any ran on the window thread.
struct HeldLoader {
    std::mutex mutex;
    std::condition_variable changed;
    QStringList asked;
    int allowed = 0, running = 0, mostAtOnce = 0;
    bool onWindowThread = false;

    QImage operator()(const QString& path, QSize box, const PictureOptions& options)
    {
        {
            std::unique_lock lock(mutex);
            const qsizetype turn = asked.size();
            asked << QFileInfo(path).fileName();
            mostAtOnce = std::max(mostAtOnce, ++running);
            onWindowThread = onWindowThread || QThread::currentThread() == qApp->thread();
            // Bounded, so that a decode made to wait on the window thread fails the test
            // instead of hanging it.
            changed.wait_for(lock, std::chrono::seconds(10), [&] { return allowed > turn; });
            --running;
        }
        return loadPreview(path, box, options);
    }
    void letGo(int decodes = 1)
    {
        const std::lock_guard lock(mutex);
        allowed += decodes;
        changed.notify_all();
    }
    QStringList seen()
    {
        const std::lock_guard lock(mutex);
        return asked;
    }
};

struct DialogTest : ::testing::Test {
    test::BoxRecorder boxes;
    Language language = Language::English;
    std::optional<NewPuzzleDialog> dialog{std::in_place, language, screenMetrics()};
    QTemporaryDir pictures;

    void SetUp() override
    {
        ASSERT_TRUE(pictures.isValid());
        savePicture("sea.jpg", 64, 48, kSea);
        savePicture("Beach.JPG", 30, 90, kSand);
        savePicture("holiday.jpe", 20, 20, kSand);
        QFile notes(pictures.filePath("notes.txt"));
        ASSERT_TRUE(notes.open(QIODevice::WriteOnly) && notes.write("not a picture\n") > 0);
    }

    void savePicture(const QString& name, int width, int height, QRgb colour)
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(colour);
        ASSERT_TRUE(image.save(pictures.filePath(name), "JPG")) << name.toStdString();
    }

    template <typename T = QWidget>
    T* control(const char* name) { return dialog->findChild<T*>(QString::fromLatin1(name)); }
    FileList* files() { return control<FileList>("File1"); }
    FolderList* folders() { return control<FolderList>("Dir1"); }
    QString text(const char* label) { return control<QLabel>(label)->text(); }

    PreviewQueue* previews() { return dialog->findChild<PreviewQueue*>(); }
    // Lets the window thread run until the newest preview has arrived, or the last
    // decode has ended.
    bool previewed() { return QTest::qWaitFor([this] { return !previews()->waiting(); }); }
    bool decodesEnded() { return QTest::qWaitFor([this] { return !previews()->busy(); }); }
    // The dialog's decodes wait for the test from here on.
    std::shared_ptr<HeldLoader> held = std::make_shared<HeldLoader>();
    void holdDecodes(NewPuzzleDialog& which)
    {
        which.findChild<PreviewQueue*>()->setLoader(
            [loader = held](const QString& path, QSize box, const PictureOptions& options) {
                return (*loader)(path, box, options);
            });
    }

    void openFolder(const QString& folder) { emit folders()->folderOpened(folder); }
    // A click on a file, and its preview.
    void choose(const QString& name)
    {
        files()->selectFile(name);
        EXPECT_TRUE(previewed()) << name.toStdString();
    }
    // Clicked as the player would, so picking the item already selected counts too.
    void pick(const char* list, const char* item)
    {
        auto* widget = control<QListWidget>(list);
        QListWidgetItem* found = widget->findItems(item, Qt::MatchExactly).front();
        widget->scrollToItem(found);
        QTest::mouseClick(widget->viewport(), Qt::LeftButton, {}, widget->visualItemRect(found).center());
    }
    // Picks a volume in the drive list's pop-up with Enter.
    void chooseDrive(const QString& path)
    {
        auto* drive = control<DriveList>("Drive1");
        drive->showPopup();
        for (std::size_t i = 0; i < drive->volumes().size(); ++i)
            if (QFile::decodeName(drive->volumes()[i].path.c_str()) == path)
                drive->view()->setCurrentIndex(drive->model()->index(static_cast<int>(i), 0));
        QTest::keyClick(drive->view(), Qt::Key_Return);
    }
    // Shows the dialog as the game does, acts on it, and says what it handed back: the
    // picture's path below the pictures folder, its shown name, the grid, the style and
    // whether it is fitted to the screen.
    // A dialog the act left open is cancelled, so that a fault cannot hang the test.
    std::optional<PuzzleChoice> choice;
    QString run(std::function<void()> act)
    {
        QTimer::singleShot(0, &*dialog, [this, act] {
            act();
            if (dialog->isVisible())
                dialog->reject();
        });
        choice = dialog->choose();
        if (!choice)
            return "nothing";
        return QString("%1 as %2 %3x%4%5%6").arg(QDir(pictures.path()).relativeFilePath(nameFromNative(choice->path)), shownName(nameFromNative(choice->name)))
            .arg(choice->columns).arg(choice->rows).arg(choice->style == PuzzleStyle::Difficult ? " difficult" : "")
            .arg(choice->fitToScreen ? " fit" : "");
    }
    QString pressOk() { return run([this] { control<QPushButton>("OKButton")->click(); }); }
    bool previewShown() { return !control<QLabel>("Image1")->pixmap().isNull(); }
    // The folder the folder list and the file list show, then the file named above the
    // preview and the one selected in the list.
    QStringList lists()
    {
        return {folders()->path(), files()->path(), text("LabArchivo"), files()->currentIndex().data().toString()};
    }
    // The game started again: a new dialog, which reads what the last OK kept, given the
    // language's texts as the game gives them.
    void nextStart()
    {
        dialog.reset();
        dialog.emplace(language, screenMetrics());
        applyWindowTexts(&*dialog, GameWindow::NewPuzzle, language);
    }
    // What the dialog shows when it opens, once the preview on its way has come: the
    // folder below the pictures folder ("own" for the program's), the file chosen, the
    // grid, the style and the two boxes, and whether a preview shows. The lines below
    // the grid tell the grid and the style shown.
    QString opening()
    {
        dialog->show();
        EXPECT_TRUE(previewed());
        const QString folder = folders()->path(), grid = control<QListWidget>("ListX")->currentItem()->text() + "x"
            + control<QListWidget>("ListY")->currentItem()->text();
        EXPECT_EQ(files()->path(), folder);
        const bool difficult = control<QRadioButton>("Option2")->isChecked();
        EXPECT_TRUE(text("Label2").endsWith("(" + grid + ")"));
        EXPECT_EQ(text("Label3").startsWith("You can only move"), difficult);
        QString shown = QString("%1 '%2' %3").arg(folder == QCoreApplication::applicationDirPath() ? "own"
                : folder == pictures.path() ? "." : folder.mid(pictures.path().size() + 1), text("LabArchivo"), grid);
        for (const auto& [on, word] : {std::pair{difficult, " difficult"},
                 {!control<QCheckBox>("Check1")->isChecked(), " unticked"},
                 {control<QCheckBox>("CheckFit")->isChecked(), " fit"}, {previewShown(), " previewed"}})
            if (on)
                shown += word;
        dialog->hide();
        return shown;
    }
    // The grid, the style and the boxes, set as the player would leave them.
    void setOptions(const char* columns, const char* rows, bool difficult, bool preview, bool fit)
    {
        pick("ListX", columns);
        pick("ListY", rows);
        control<QRadioButton>(difficult ? "Option2" : "Option1")->click();
        control<QCheckBox>("Check1")->setChecked(preview);
        control<QCheckBox>("CheckFit")->setChecked(fit);
    }
    // Blue alone tells the sea from the sand, within what JPEG keeps.
    bool previewLooksLike(QRgb colour)
    {
        const QImage image = control<QLabel>("Image1")->pixmap().toImage();
        return !image.isNull() && std::abs(qBlue(image.pixel(image.rect().center())) - qBlue(colour)) < 12;
    }
};

// Label2 follows the lists and Label3 the style, and OK without a picture asks for one,
// all in the dialog's language; a code with no texts leaves both lines as they were and
// asks nothing.
TEST_F(DialogTest, PieceCountStyleAndMissingPictureInEachLanguage)
{
    const QStringList english{"To create the puzzle you shall chose an image\r\nfrom your computer"};
    const QStringList spanish{"Para crear el puzzle debes escoger una imagen\r\nque tengas guardada en tu ordenador"};
    // The language, the columns and rows picked, the style ticked, and the lines shown.
    const std::tuple<Language, const char*, const char*, bool, const char*, const char*, QStringList> cases[] = {
        {Language::English, "75", "75", true, "5625 pieces puzzle (75x75)",
            "You can only move a piece if it has an empty place by its side.", english},
        {Language::Spanish, "75", "75", false, "Puzzle de 5625 piezas (75x75)",
            "Puedes mover cualquier pieza a cualquier posici\u00F3n.", spanish},
        {Language::Spanish, "5", "2", true, "Puzzle de 10 piezas (5x2)",
            "Solo puedes mover una pieza si tiene un lugar vac\u00EDo a su lado.", spanish},
        {Language::None, "7", "3", false, "Puzzle de 10 piezas (5x2)",
            "Solo puedes mover una pieza si tiene un lugar vac\u00EDo a su lado.", {}},
    };
    dialog->show();
    for (const auto& [code, columns, rows, difficult, count, style, asked] : cases) {
        SCOPED_TRACE(count);
        dialog->setLanguage(code);
        setOptions(columns, rows, difficult, true, false);
        EXPECT_EQ(QStringList({text("Label2"), text("Label3")}), QStringList({count, style}));
        control<QPushButton>("OKButton")->click();
        EXPECT_TRUE(boxes.boxes.isEmpty() || boxes.boxes[0].kind == BoxKind::Ok);
        EXPECT_EQ(boxes.take(), asked);
        EXPECT_TRUE(dialog->isVisible());
    }
}

// OK hands the choice back; Cancel, the close box and any other dismissal hand back
// nothing. All of them only hide the dialog, and every choice stays for next time.
TEST_F(DialogTest, OkAndCancelHandOverAndChoicesPersistBetweenShowings)
{
    openFolder(pictures.path());
    choose("sea.jpg");
    EXPECT_EQ(pressOk(), "sea.jpg as sea.jpg 4x4");

    setOptions("5", "2", true, true, true);
    const std::function<void()> dismissals[] = {
        [this] { pick("ListX", "9"); control<QPushButton>("CancelButton")->click(); },
        [this] { dialog->close(); }, [this] { dialog->reject(); }};
    for (const auto& dismiss : dismissals)
        EXPECT_EQ(run(dismiss), "nothing");
    EXPECT_TRUE(text("LabArchivo") == "sea.jpg" && previewShown());
    EXPECT_EQ(pressOk(), "sea.jpg as sea.jpg 9x2 difficult fit");
}

// Tab visits the controls in the design's order, the fit box right after the preview's.
// Enter in the folder list opens the folder and forgets the choice, though a file of
// the same name is there too; on a button it presses that button, and anywhere else it
// is OK. Escape is Cancel everywhere. None of them ticks a box or picks an option.
TEST_F(DialogTest, TabOrderAndEnterAndEscapeInEachControl)
{
    ASSERT_TRUE(QDir(pictures.path()).mkdir("Other"));
    savePicture("Other/sea.jpg", 10, 10, kSea);
    enum Outcome { OpensFolder, Accepts, Cancels };
    const std::pair<const char*, Outcome> enter[] = {{"OKButton", Accepts}, {"CancelButton", Cancels},
        {"ListX", Accepts}, {"ListY", Accepts}, {"Drive1", Accepts}, {"File1", Accepts}, {"Dir1", OpensFolder},
        {"Check1", Accepts}, {"CheckFit", Accepts}, {"Option1", Accepts}, {"Option2", Accepts}, {"Combo1", Accepts}};
    QStringList order, visited;
    run([&] {
        control("OKButton")->setFocus();
        for (const auto& [name, onEnter] : enter) {
            visited << dialog->focusWidget()->objectName();
            order << name;
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Tab);
        }
    });
    EXPECT_EQ(visited, order);
    for (const auto& [name, onEnter] : enter) {
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            SCOPED_TRACE(name + (" " + QKeySequence(key).toString().toStdString()));
            const Outcome expected = key == Qt::Key_Escape ? Cancels : onEnter;
            const QString handed = run([&] {
                openFolder(pictures.path());
                choose("sea.jpg");
                folders()->setCurrentItem(folders()->findItems("Other", Qt::MatchExactly).front());
                control(name)->setFocus();
                QTest::keyClick(control(name), key);
                EXPECT_EQ(dialog->isVisible(), expected == OpensFolder);
            });
            EXPECT_EQ(handed, expected == Accepts ? "sea.jpg as sea.jpg 4x4" : "nothing");
            const QString other = pictures.filePath("Other"), here = pictures.path();
            EXPECT_EQ(lists(), expected == OpensFolder ? QStringList({other, other, "", ""})
                                                       : QStringList({here, here, "sea.jpg", "sea.jpg"}));
            EXPECT_TRUE(control<QCheckBox>("Check1")->isChecked() && !control<QCheckBox>("CheckFit")->isChecked()
                && !control<QRadioButton>("Option2")->isChecked());
            EXPECT_TRUE(boxes.take().isEmpty());
        }
    }
}

// Enter or a double click on the folder already open lists it afresh, a picture added
// since included, and keeps the chosen picture and its preview.
TEST_F(DialogTest, OpeningTheOpenFolderAgainKeepsTheChoice)
{
    openFolder(pictures.path());
    dialog->show();
    choose("sea.jpg");
    for (const bool click : {false, true}) {
        const QString added = click ? "clicked.jpg" : "entered.jpg";
        savePicture(added, 8, 8, kSand);
        QListWidgetItem* open = folders()->item(folders()->currentRow());
        folders()->setCurrentItem(open);
        const QPoint at = folders()->visualItemRect(open).center();
        if (click) {  // a double click is a click, then the second press
            QTest::mouseClick(folders()->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(folders()->viewport(), Qt::LeftButton, {}, at);
        } else {
            QTest::keyClick(folders(), Qt::Key_Return);
        }
        EXPECT_TRUE(files()->fileNames().contains(added));
        EXPECT_EQ(lists(), QStringList({pictures.path(), pictures.path(), "sea.jpg", "sea.jpg"}));
        EXPECT_TRUE(previewLooksLike(kSea));
    }
    EXPECT_EQ(pressOk(), "sea.jpg as sea.jpg 4x4");
}

// Under "*.*" a picture outside the picture patterns can be chosen, and it stays chosen
// while the picture filter hides it. A name that looks like markup shows as plain text,
// tags and all; unticked, the preview hides but still follows the choice.
TEST_F(DialogTest, FilterSwitchKeepsTheChoiceAndNamesShowAsTheyAre)
{
    savePicture("<b>bold<br>x.jpg", 8, 8, kSand);
    openFolder(pictures.path());
    auto* combo = control<QComboBox>("Combo1");
    combo->setCurrentIndex(1);
    choose("holiday.jpe");
    combo->setCurrentIndex(0);
    EXPECT_FALSE(files()->fileNames().contains("holiday.jpe"));
    EXPECT_EQ(pressOk(), "holiday.jpe as holiday.jpe 4x4");
    combo->setCurrentIndex(1);
    EXPECT_EQ(files()->currentIndex().data().toString(), "holiday.jpe");

    auto* check = control<QCheckBox>("Check1");
    check->click();
    choose("<b>bold<br>x.jpg");
    auto* name = control<QLabel>("LabArchivo");
    EXPECT_EQ(name->text(), "<b>bold<br>x.jpg");
    EXPECT_GE(name->sizeHint().width(), name->fontMetrics().horizontalAdvance(name->text()));
    EXPECT_TRUE(control<QLabel>("Image1")->isHidden() && previewLooksLike(kSand));
    check->click();
    EXPECT_FALSE(control<QLabel>("Image1")->isHidden());
}

// A click answers at once and its preview follows, decoded off the window thread, one
// decode at a time, while the player goes on. A click replaced by a newer one before its
// decode starts is never decoded, and a preview that comes after a newer click is never
// shown. OK while a preview is on its way hands over the choice as it stands; hidden,
// the dialog drops that preview (nothing of it turns up, not even its error) and decodes
// it anew when it shows.
TEST_F(DialogTest, PreviewsComeLaterOneAtATimeAndOnlyTheNewestShows)
{
    openFolder(pictures.path());
    control<QComboBox>("Combo1")->setCurrentIndex(1);
    dialog->show();
    holdDecodes(*dialog);
    files()->selectFile("sea.jpg");
    EXPECT_TRUE(text("LabArchivo") == "sea.jpg" && !previewShown());
    pick("ListX", "5");
    EXPECT_EQ(text("Label2"), "20 pieces puzzle (5x4)");
    files()->selectFile("notes.txt");
    files()->selectFile("Beach.JPG");
    held->letGo(2);
    EXPECT_TRUE(previewed() && text("LabArchivo") == "Beach.JPG" && previewLooksLike(kSand));
    // Back on the file being decoded, the decode under way is the one taken.
    for (const char* name : {"sea.jpg", "Beach.JPG", "sea.jpg"})
        files()->selectFile(name);
    held->letGo();
    EXPECT_TRUE(previewed() && text("LabArchivo") == "sea.jpg" && previewLooksLike(kSea));

    EXPECT_EQ(run([&] {
        files()->selectFile("Beach.JPG");
        QFile::remove(pictures.filePath("Beach.JPG"));
        control<QPushButton>("OKButton")->click();
    }), "Beach.JPG as Beach.JPG 5x4");
    held->letGo();
    EXPECT_TRUE(decodesEnded() && boxes.take().isEmpty() && text("LabArchivo") == "Beach.JPG" && !previewShown());
    dialog->show();
    held->letGo();
    EXPECT_TRUE(previewed() && text("LabArchivo").isEmpty());
    EXPECT_EQ(boxes.take(), QStringList{"Error: 53.  File not found"});
    EXPECT_EQ(held->seen(), QStringList({"sea.jpg", "Beach.JPG", "sea.jpg", "Beach.JPG", "Beach.JPG"}));
    // Every decode ran off the window thread, and one at a time.
    EXPECT_TRUE(!held->onWindowThread && held->mostAtOnce == 1);
}

// A picture from outside is decoded once, in the background: the browser moves to it
// only when its preview has come, and chooses it even where the list hides its name.
// One that cannot be previewed (here no picture) is told as such and moves nothing.
TEST_F(DialogTest, PictureFromOutsideIsDecodedOnceAndMovesTheBrowserOnlyWhenPreviewed)
{
    ASSERT_TRUE(QDir(pictures.path()).mkdir("Other"));
    savePicture("Other/.hidden.jpg", 10, 10, kSea);
    const QString here = pictures.path(), other = pictures.filePath("Other");
    openFolder(here);
    choose("Beach.JPG");
    dialog->show();
    holdDecodes(*dialog);
    dialog->choosePicture(pictures.filePath("Other/.hidden.jpg"));
    EXPECT_EQ(lists(), QStringList({here, here, "Beach.JPG", "Beach.JPG"}));
    held->letGo();
    EXPECT_TRUE(previewed() && previewLooksLike(kSea));
    const QStringList chosen{other, other, ".hidden.jpg", ".hidden.jpg"};
    EXPECT_EQ(lists(), chosen);
    dialog->choosePicture(pictures.filePath("notes.txt"));
    held->letGo();
    EXPECT_TRUE(previewed());
    EXPECT_EQ(boxes.take(), QStringList{"Error: 481.  Invalid picture"});
    EXPECT_TRUE(lists() == chosen && previewLooksLike(kSea));
    EXPECT_EQ(held->seen(), QStringList({".hidden.jpg", "notes.txt"}));
}

// OK keeps the folder, the picture, the grid, the style and both boxes in the player's
// configuration folder, and the next start opens on them with the picture chosen and
// previewed, whatever its name's bytes (the folder entered from the list), and among all files when the picture patterns
// miss it; its texts tell the grid and the style kept, not the language's 4 x 4 Normal.
// Cancel keeps nothing.
TEST_F(DialogTest, TheAcceptedChoiceComesBackAtTheNextStartAndCancelKeepsNothing)
{
    const std::string base = QFile::encodeName(pictures.path()).toStdString();
    ASSERT_EQ(::mkdir((base + "/fotos\xE9").c_str(), 0755), 0);
    ASSERT_TRUE(QFile::copy(pictures.filePath("sea.jpg"), pictures.filePath("latin1.jpg")));
    ASSERT_EQ(std::rename((base + "/latin1.jpg").c_str(), (base + "/fotos\xE9/mar\xE9.jpg").c_str()), 0);
    const QString latin1 = nameFromNative(base + "/fotos\xE9");
    // What the player chooses before OK, what the next start opens on, what its OK hands
    // over and the filter it shows.
    const std::tuple<std::function<void()>, QString, QString, int> cases[] = {
        {[&] { openFolder(pictures.path()); choose("sea.jpg"); setOptions("9", "2", true, false, true); },
            ". 'sea.jpg' 9x2 difficult unticked fit previewed", "sea.jpg as sea.jpg 9x2 difficult fit", 0},
        {[&] { control<QComboBox>("Combo1")->setCurrentIndex(1); choose("holiday.jpe"); setOptions("4", "4", false, true, false); },
            ". 'holiday.jpe' 4x4 previewed", "holiday.jpe as holiday.jpe 4x4", 1},
        {[&] {
             openFolder(pictures.path());
             folders()->setCurrentItem(folders()->findItems("fotos\uFFFD", Qt::MatchExactly).value(0));
             QTest::keyClick(folders(), Qt::Key_Return);
             choose(nameFromNative("mar\xE9.jpg"));
             setOptions("75", "1", false, true, true);
         },
            latin1.mid(pictures.path().size() + 1) + " 'mar\uFFFD.jpg' 75x1 fit previewed",
            nameFromNative("fotos\xE9/mar\xE9.jpg") + " as mar\uFFFD.jpg 75x1 fit", 0},
    };
    for (const auto& [act, opens, handed, filter] : cases) {
        SCOPED_TRACE(handed.toStdString());
        act();
        ASSERT_EQ(pressOk(), handed);
        EXPECT_EQ(run([&] {
            choose("Beach.JPG");
            setOptions("5", "5", false, true, false);
            control<QPushButton>("CancelButton")->click();
        }), "nothing");
        nextStart();
        EXPECT_EQ(opening(), opens);
        EXPECT_EQ(control<QComboBox>("Combo1")->currentIndex(), filter);
        EXPECT_TRUE(previewLooksLike(filter == 1 ? kSand : kSea));
        EXPECT_EQ(pressOk(), handed);
    }
    EXPECT_TRUE(QFile::exists(qEnvironmentVariable("XDG_CONFIG_HOME") + "/tessaron/tessaron.conf"));
    EXPECT_TRUE(boxes.take().isEmpty());
    // The temporary folder cannot remove what it cannot name.
    std::remove((base + "/fotos\xE9/mar\xE9.jpg").c_str());
    ::rmdir((base + "/fotos\xE9").c_str());
}

// A choice kept by an earlier version, through QSettings, reads the same here, and one
// kept now reads the same there, whatever bytes its names hold.
TEST(RememberedChoiceFile, ReadsAsQSettingsWroteItAndBack)
{
    const RememberedChoice choice{"/fotos\xE9/a\\x41\"b;c,d e\x01" "ab\x7F", " x\t\xC3\xA9\xFF.jpg ", 75, 1, PuzzleStyle::Difficult, false, true};
    const auto path = rememberedChoiceFile();
    choice.save(path);
    {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "tessaron", "tessaron");
        EXPECT_EQ(settings.value("newPuzzle/folder").toByteArray().toStdString(), choice.folder);
        EXPECT_EQ(settings.value("newPuzzle/picture").toByteArray().toStdString(), choice.picture);
        EXPECT_EQ(settings.value("newPuzzle/columns").toInt(), 75);
        EXPECT_EQ(settings.value("newPuzzle/difficult").toBool(), true);
        settings.setValue("newPuzzle/rows", 2);
    }
    EXPECT_EQ(RememberedChoice::load(path), (RememberedChoice{choice.folder, choice.picture, 75, 2, PuzzleStyle::Difficult, false, true}));
}

// Whatever stands at the choice file's name that is not a plain file (here a pipe) holds
// neither the start nor OK and is left as it is: the choice is simply not kept. A folder
// where QSettings kept its lock holds nothing either. A kept folder that has gone opens
// the program's own, and a number the lists do not hold selects nothing; the rest still
// counts. (The other things that may stand there are the file layer's own test.)
TEST_F(DialogTest, WhatStandsAtTheChoiceFileIsLeftAsItIs)
{
    namespace fs = std::filesystem;
    const fs::path file = rememberedChoiceFile();
    const struct { const char* name; std::function<void()> make; const char* opens; bool kept; } cases[] = {
        {"pipe", [&] { ::mkfifo(file.c_str(), 0666); }, "own '' 4x4", false},
        {"lock folder", [&] { fs::create_directory(file.string() + ".lock"); }, "own '' 4x4", true},
        {"gone", [&] { std::ofstream(file) << "[newPuzzle]\nfolder=/gone\npicture=a.jpg\ncolumns=76\nrows=2\ndifficult=true\n"; },
            "own '' 4x2 difficult", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(file.parent_path());
        fs::create_directories(file.parent_path());
        c.make();
        const auto kinds = [&] { return std::pair(fs::symlink_status(file).type(), fs::status(file).type()); };
        const auto before = kinds();
        nextStart();
        EXPECT_EQ(opening(), c.opens);
        openFolder(pictures.path());
        choose("sea.jpg");
        setOptions("9", "2", true, false, true);
        EXPECT_EQ(pressOk(), "sea.jpg as sea.jpg 9x2 difficult fit");
        EXPECT_EQ(kinds(), c.kept ? std::pair(fs::file_type::regular, fs::file_type::regular) : before);
        nextStart();
        EXPECT_EQ(opening(), c.kept ? ". 'sea.jpg' 9x2 difficult unticked fit previewed" : "own '' 4x4");
        EXPECT_TRUE(boxes.take().isEmpty());
    }
    fs::remove_all(file.parent_path());
}

// Volumes that stop answering or vanish: the drive, folder and file lists always show the
// same place, and the choice goes only when they have moved; the player is told in the
// game's language.
TEST_F(DialogTest, VolumesThatVanishKeepTheListsAndTheChoiceTogether)
{
    QTemporaryDir volumes;
    const QString root = volumes.filePath("root"), home = pictures.path(), stick = volumes.filePath("stick");
    const std::vector<Volume> all{{root.toStdString(), "ext4", VolumeKind::Root},
        {home.toStdString(), "ext4", VolumeKind::Home}, {stick.toStdString(), "vfat", VolumeKind::Removable}};
    const auto mounted = std::make_shared<std::vector<Volume>>();
    auto* drive = control<DriveList>("Drive1");
    drive->setVolumeSource([mounted] { return *mounted; });
    dialog->show();

    const std::function<void()> chooseStick = [&] { chooseDrive(stick); };
    dialog->setLanguage(Language::Spanish);
    const QString notReady = "La unidad escogida no est\u00E1 lista";
    // The volumes that no longer answer, what the player does, where all three lists end
    // up, whether the choice is still there and what the player is told.
    const std::tuple<QStringList, std::function<void()>, QString, bool, QStringList> cases[] = {
        {{}, chooseStick, stick, false, {}},
        {{stick}, chooseStick, root, false, {notReady}},
        {{stick, root}, chooseStick, home, true, {notReady, notReady}},
        {{}, [&] { mounted->erase(mounted->begin() + 1); drive->showPopup(); drive->hidePopup(); }, root, false, {}},
        {{}, [&] { openFolder(pictures.filePath("Gone")); }, home, true, {"Error: 76.  Path not found"}},
    };
    for (const auto& [gone, act, where, choiceKept, messages] : cases) {
        SCOPED_TRACE(where.toStdString() + " " + messages.join(", ").toStdString());
        ASSERT_TRUE(QDir().mkpath(root) && QDir().mkpath(stick));
        *mounted = all;
        chooseDrive(root);
        chooseDrive(home);
        choose("sea.jpg");
        boxes.take();
        for (const QString& volume : gone)
            QDir(volume).removeRecursively();
        act();
        EXPECT_EQ(boxes.take(), messages);
        EXPECT_EQ(QFile::decodeName(drive->volume().path.c_str()), where);
        const QString kept = choiceKept ? "sea.jpg" : "";
        EXPECT_EQ(lists(), QStringList({where, where, kept, kept}));
        EXPECT_EQ(previewShown(), choiceKept);
    }
}

}  // namespace
}  // namespace tessaron
