#include "ui/dialog/browser_lists.h"
#include "ui/dialog/dialog.h"
#include "ui/platform/message_box.h"
#include "ui/platform/picture_loader.h"
#include "core/language/texts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <tuple>

// Failures show the text, not the bytes.
void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace tessaron {
namespace {

struct DialogTest : ::testing::Test {
    ScreenMetrics metrics = screenMetrics();
    Dialog dialog{kEnglish, metrics};
    QTemporaryDir pictures;
    std::vector<BoxRequest> boxes;

    void SetUp() override
    {
        ASSERT_TRUE(pictures.isValid());
        setBoxAnswerer([this](const BoxRequest& request) {
            boxes.push_back(request);
            return BoxAnswer::Ok;
        });
        savePicture("sea.jpg", 64, 48, kSea);
        savePicture("Beach.JPG", 30, 90, kSand);
        savePicture("holiday.jpe", 20, 20, kSand);
        QFile notes(pictures.filePath("notes.txt"));
        ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
        notes.write("not a picture\n");
    }
    void TearDown() override { setBoxAnswerer({}); }

    static constexpr QRgb kSea = 0xff1e78c8;
    static constexpr QRgb kSand = 0xffe0b050;

    void savePicture(const QString& name, int width, int height, QRgb colour, const QString& folder = {})
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = (folder.isEmpty() ? pictures.path() : folder) + "/" + name;
        ASSERT_TRUE(image.save(path, "JPG")) << path.toStdString();
    }

    template <typename T>
    T* control(const char* name)
    {
        T* found = dialog.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QLabel* label(const char* name) { return control<QLabel>(name); }
    FileList* files() { return control<FileList>("File1"); }

    void openFolder(const QString& folder) { emit control<FolderList>("Dir1")->folderOpened(folder); }
    void choose(const QString& name) { files()->selectFile(name); }
    void pick(const char* list, const char* text)
    {
        // Clicked as the player would, so picking the item already selected counts too.
        auto* widget = control<QListWidget>(list);
        QListWidgetItem* item = widget->findItems(text, Qt::MatchExactly).front();
        widget->scrollToItem(item);
        QTest::mouseClick(widget->viewport(), Qt::LeftButton, {}, widget->visualItemRect(item).center());
        ASSERT_EQ(widget->currentItem(), item);
    }
    // Picks a volume in the drive list's pop-up with Enter, as the player would.
    void chooseDrive(const QString& path)
    {
        auto* drive = control<DriveList>("Drive1");
        drive->showPopup();
        const auto& volumes = drive->volumes();
        const auto found = std::find_if(volumes.begin(), volumes.end(),
            [&path](const Volume& volume) { return QFile::decodeName(volume.path.c_str()) == path; });
        ASSERT_NE(found, volumes.end()) << path.toStdString();
        drive->view()->setCurrentIndex(drive->model()->index(static_cast<int>(found - volumes.begin()), 0));
        QTest::keyClick(drive->view(), Qt::Key_Return);
    }
    // Shows the dialog modally, as the game does, acts on it once it is up, and gives what
    // it handed back.
    std::optional<PuzzleChoice> runModal(const std::function<void()>& act)
    {
        QTimer::singleShot(0, &dialog, act);
        return dialog.choose();
    }
    std::optional<PuzzleChoice> pressOk()
    {
        return runModal([this] { control<QPushButton>("OKButton")->click(); });
    }
    bool previewShown() { return !label("Image1")->pixmap().isNull(); }
    // The preview's colour at its centre; JPEG keeps it within a few levels.
    bool previewLooksLike(QRgb colour)
    {
        const QImage image = label("Image1")->pixmap().toImage();
        if (image.isNull())
            return false;
        const QRgb seen = image.pixel(image.width() / 2, image.height() / 2);
        return std::abs(qRed(seen) - qRed(colour)) < 12 && std::abs(qGreen(seen) - qGreen(colour)) < 12
            && std::abs(qBlue(seen) - qBlue(colour)) < 12;
    }
};

TEST_F(DialogTest, StateAfterSetUp)
{
    EXPECT_TRUE(control<QCheckBox>("Check1")->isChecked());
    EXPECT_FALSE(label("Image1")->isHidden());
    EXPECT_FALSE(previewShown());
    EXPECT_TRUE(label("LabArchivo")->text().isEmpty());
    const QString own = QCoreApplication::applicationDirPath();
    EXPECT_EQ(control<FolderList>("Dir1")->path(), own);
    EXPECT_EQ(files()->path(), own);
    auto* combo = control<QComboBox>("Combo1");
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(0), "*.jpg;*.jpeg;*.gif;*.bmp;*.dib;*.wmf;*.emf");
    EXPECT_EQ(combo->itemText(1), "*.*");
    EXPECT_EQ(files()->pattern(), combo->itemText(combo->currentIndex()));
    EXPECT_EQ(combo->currentIndex(), 0);
    for (const char* name : {"ListX", "ListY"}) {
        auto* list = control<QListWidget>(name);
        ASSERT_EQ(list->count(), 75);
        EXPECT_EQ(QStringList({list->item(0)->text(), list->item(74)->text(), list->currentItem()->text()}),
            QStringList({"1", "75", "4"}));
    }
    EXPECT_TRUE(control<QRadioButton>("Option1")->isChecked());
    EXPECT_FALSE(dialog.difficultSelected());
    EXPECT_EQ(label("Label2")->text(), "16 pieces puzzle (4x4)");
    EXPECT_EQ(label("Label3")->text(), "Any piece can be moved to any place");
    EXPECT_TRUE(boxes.empty());
    // Keyboard order as the design numbers it, over the controls that take focus.
    QStringList order;
    QWidget* at = control<QWidget>("OKButton");
    for (int i = 0; i < 11; ++i, at = at->nextInFocusChain()) {
        while (at->focusPolicy() == Qt::NoFocus || !at->isEnabled() || at->objectName().isEmpty())
            at = at->nextInFocusChain();
        order << at->objectName();
    }
    EXPECT_EQ(order, QStringList({"OKButton", "CancelButton", "ListX", "ListY", "Drive1", "File1",
                         "Dir1", "Check1", "Option1", "Option2", "Combo1"}));
}

// Label2 follows the lists, Label3 the style; a code with no texts leaves both alone.
TEST_F(DialogTest, PieceCountAndStyleLines)
{
    struct Case {
        std::int16_t language;
        const char* columns;
        const char* rows;
        const char* expected;
    };
    for (const Case& c : {Case{0, "4", "4", "16 pieces puzzle (4x4)"},
             Case{1, "4", "4", "Puzzle de 16 piezas (4x4)"}, Case{0, "75", "75", "5625 pieces puzzle (75x75)"},
             Case{0, "1", "1", "1 pieces puzzle (1x1)"}, Case{1, "5", "2", "Puzzle de 10 piezas (5x2)"},
             Case{0, "5", "2", "10 pieces puzzle (5x2)"}}) {
        dialog.setLanguage(c.language);
        pick("ListX", c.columns);
        pick("ListY", c.rows);
        EXPECT_EQ(label("Label2")->text(), c.expected);
    }
    control<QRadioButton>("Option2")->click();
    EXPECT_TRUE(dialog.difficultSelected());
    EXPECT_EQ(label("Label3")->text(), "You can only move a piece if it has an empty place by its side.");
    control<QRadioButton>("Option1")->click();
    EXPECT_FALSE(dialog.difficultSelected());
    EXPECT_EQ(label("Label3")->text(), "Any piece can be moved to any place");

    dialog.setLanguage(2);
    pick("ListX", "7");
    control<QRadioButton>("Option2")->click();
    EXPECT_EQ(label("Label2")->text(), "10 pieces puzzle (5x2)");
    EXPECT_EQ(label("Label3")->text(), "Any piece can be moved to any place");
}

TEST_F(DialogTest, OkWithoutAPictureAsksForOneAndStaysOpen)
{
    for (const std::int16_t language : {std::int16_t{0}, std::int16_t{1}}) {
        dialog.setLanguage(language);
        boxes.clear();
        dialog.show();
        control<QPushButton>("OKButton")->click();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].kind, BoxKind::Ok);
        EXPECT_EQ(boxes[0].text, language == 0
                ? "To create the puzzle you shall chose an image\r\nfrom your computer"
                : "Para crear el puzzle debes escoger una imagen\r\nque tengas guardada en tu ordenador");
        EXPECT_TRUE(dialog.isVisible());
    }
    // A language with no texts: nothing at all happens.
    dialog.setLanguage(5);
    boxes.clear();
    dialog.OKButton_Click();
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(DialogTest, OkAndCancelHandOverAndChoicesPersistBetweenShowings)
{
    openFolder(pictures.path());
    choose("sea.jpg");
    pick("ListX", "5");
    pick("ListY", "2");
    control<QRadioButton>("Option2")->click();
    // The choice comes back as a value.
    std::optional<PuzzleChoice> choice = pressOk();
    ASSERT_TRUE(choice);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(choice->path, pictures.path() + "/sea.jpg");
    EXPECT_EQ(choice->name, "sea.jpg");
    EXPECT_EQ(std::tuple(choice->columns, choice->rows, choice->difficult), std::tuple(5, 2, true));

    // Cancel hands back nothing, and so do the close box and any other dismissal; all
    // only hide, and every choice stays for next time.
    using Dismissal = std::function<void()>;
    for (const Dismissal& dismiss : {Dismissal([this] {
                                         pick("ListX", "9");
                                         control<QPushButton>("CancelButton")->click();
                                     }),
             Dismissal([this] { dialog.close(); }), Dismissal([this] { dialog.reject(); })}) {
        EXPECT_FALSE(runModal(dismiss));
        EXPECT_FALSE(dialog.isVisible());
    }

    // Shown again, OK at once starts the puzzle as the dialog was left.
    choice = runModal([this] {
        EXPECT_EQ(label("LabArchivo")->text(), "sea.jpg");
        EXPECT_TRUE(previewShown());
        control<QPushButton>("OKButton")->click();
    });
    ASSERT_TRUE(choice);
    EXPECT_EQ(std::tuple(choice->columns, choice->rows), std::tuple(9, 2));
    EXPECT_EQ(choice->path, pictures.path() + "/sea.jpg");
    EXPECT_EQ(files()->path(), pictures.path());
}

// Enter opens a folder and does nothing more; elsewhere Enter is OK, and Escape is
// Cancel wherever the focus is. Neither ticks a box nor picks an option on the way.
TEST_F(DialogTest, EnterAndEscapeInEachControl)
{
    QDir(pictures.path()).mkdir("Other");
    enum class Outcome { OpensFolder, Accepts, Cancels };
    const struct {
        const char* control;
        Qt::Key key;
        Outcome outcome;
    } cases[] = {
        {"Dir1", Qt::Key_Return, Outcome::OpensFolder}, {"Dir1", Qt::Key_Enter, Outcome::OpensFolder},
        {"File1", Qt::Key_Return, Outcome::Accepts}, {"Drive1", Qt::Key_Return, Outcome::Accepts},
        {"Check1", Qt::Key_Return, Outcome::Accepts}, {"Option2", Qt::Key_Enter, Outcome::Accepts},
        {"ListX", Qt::Key_Return, Outcome::Accepts}, {"Combo1", Qt::Key_Return, Outcome::Accepts},
        {"Dir1", Qt::Key_Escape, Outcome::Cancels}, {"File1", Qt::Key_Escape, Outcome::Cancels},
        {"Option2", Qt::Key_Escape, Outcome::Cancels},
    };
    auto* dir = control<FolderList>("Dir1");
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.control) + " " + QKeySequence(c.key).toString().toStdString());
        bool stillOpen = false;
        const std::optional<PuzzleChoice> choice = runModal([&] {
            openFolder(pictures.path());
            choose("sea.jpg");
            dir->setCurrentItem(dir->findItems("Other", Qt::MatchExactly).front());
            boxes.clear();
            QTest::keyClick(control<QWidget>(c.control), c.key);
            stillOpen = dialog.isVisible();
            if (stillOpen)
                dialog.reject();
        });
        EXPECT_TRUE(boxes.empty());
        EXPECT_EQ(stillOpen, c.outcome == Outcome::OpensFolder);
        EXPECT_EQ(dir->path(), c.outcome == Outcome::OpensFolder ? pictures.filePath("Other") : pictures.path());
        EXPECT_EQ(files()->path(), dir->path());
        EXPECT_EQ(choice.has_value(), c.outcome == Outcome::Accepts);
        if (choice) {
            EXPECT_EQ(choice->path, pictures.filePath("sea.jpg"));
        }
        EXPECT_TRUE(control<QCheckBox>("Check1")->isChecked());
        EXPECT_FALSE(dialog.difficultSelected());
    }
}

TEST_F(DialogTest, FilterSwitchKeepsTheChoice)
{
    openFolder(pictures.path());
    EXPECT_EQ(files()->fileNames(), QStringList({"Beach.JPG", "sea.jpg"}));
    auto* combo = control<QComboBox>("Combo1");
    combo->setCurrentIndex(1);
    EXPECT_EQ(files()->fileNames(), QStringList({"Beach.JPG", "holiday.jpe", "notes.txt", "sea.jpg"}));

    // A picture outside the picture patterns, chosen under "*.*", stays chosen when the
    // filter hides it: OK still hands over that file.
    choose("holiday.jpe");
    ASSERT_TRUE(previewShown());
    combo->setCurrentIndex(0);
    EXPECT_EQ(label("LabArchivo")->text(), "holiday.jpe");
    EXPECT_TRUE(previewShown());
    const std::optional<PuzzleChoice> choice = pressOk();
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->path, pictures.path() + "/holiday.jpe");
    combo->setCurrentIndex(1);
    EXPECT_EQ(files()->currentIndex().data().toString(), "holiday.jpe");
}

TEST_F(DialogTest, FolderChangeForgetsTheChoice)
{
    QDir(pictures.path()).mkdir("Other");
    const QString other = pictures.filePath("Other");
    savePicture("sea.jpg", 10, 10, kSea, other);
    openFolder(pictures.path());
    choose("sea.jpg");

    openFolder(other);  // holds a file of the same name
    EXPECT_TRUE(label("LabArchivo")->text().isEmpty());
    EXPECT_FALSE(previewShown());
    EXPECT_FALSE(files()->currentIndex().isValid());
    // The folder list shows the way down to the new folder, then its subfolders.
    auto* dir = control<FolderList>("Dir1");
    EXPECT_EQ(dir->path(), other);
    EXPECT_EQ(dir->currentItem()->text(), "Other");
}

TEST_F(DialogTest, FilesThatDoNotLoadClearTheChoice)
{
    openFolder(pictures.path());
    control<QComboBox>("Combo1")->setCurrentIndex(1);

    // Not a picture (481 from the loader): cleared without a word, so OK asks for one.
    choose("sea.jpg");
    ASSERT_TRUE(previewShown());
    choose("notes.txt");
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(label("LabArchivo")->text().isEmpty());
    EXPECT_FALSE(previewShown());

    // A file deleted after it was listed is reported and the dialog goes on.
    choose("sea.jpg");
    ASSERT_TRUE(QFile::remove(pictures.filePath("Beach.JPG")));
    choose("Beach.JPG");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Error: 53.  File not found");
    EXPECT_TRUE(label("LabArchivo")->text().isEmpty());
    EXPECT_FALSE(previewShown());
}

// Names that are not UTF-8 (here Latin-1, a folder and a file) show a replacement
// character, and their bytes go unchanged from the lists to the loader: the picture
// previews, and the path handed over opens.
TEST_F(DialogTest, NamesThatAreNotUtf8ShowAReplacementAndStillOpen)
{
    const std::string base = QFile::encodeName(pictures.path()).toStdString();
    const std::string folder = base + "/fotos\xE9";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    ASSERT_EQ(std::rename((base + "/sea.jpg").c_str(), (folder + "/mar\xE9.jpg").c_str()), 0);
    openFolder(pictures.path());
    auto* dir = control<FolderList>("Dir1");
    const QList<QListWidgetItem*> shown = dir->findItems(QString::fromUtf8("fotos\uFFFD"), Qt::MatchExactly);
    ASSERT_EQ(shown.size(), 1);
    dir->setCurrentItem(shown.front());
    QTest::keyClick(dir, Qt::Key_Return);
    ASSERT_EQ(files()->model()->rowCount(), 1);
    files()->setCurrentIndex(files()->model()->index(0, 0));
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(label("LabArchivo")->text(), QString::fromUtf8("mar\uFFFD.jpg"));
    EXPECT_TRUE(previewLooksLike(kSea));
    const std::optional<PuzzleChoice> choice = pressOk();
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->name, QString::fromUtf8("mar\uFFFD.jpg"));
    EXPECT_EQ(loadPicture(choice->path).size(), QSize(64, 48));
}

// Volumes that stop answering or vanish: the drive, folder and file lists always show the
// same place, and the choice goes only when they have moved.
TEST_F(DialogTest, VolumesThatVanishKeepTheListsAndTheChoiceTogether)
{
    QTemporaryDir volumes;
    const QString root = volumes.filePath("root");
    const QString home = pictures.path();
    const QString stick = volumes.filePath("stick");
    const auto homeMounted = std::make_shared<bool>(true);
    auto* drive = control<DriveList>("Drive1");
    drive->setVolumeSource([=] {
        std::vector<Volume> list{{root.toStdString(), "ext4", VolumeKind::Root}};
        if (*homeMounted)
            list.push_back({home.toStdString(), "ext4", VolumeKind::Home});
        list.push_back({stick.toStdString(), "vfat", VolumeKind::Removable});
        return list;
    });
    dialog.show();

    enum class Act { ChooseStick, UnmountHomeAndOpenTheList, OpenAFolderThatIsGone };
    const QString notReady = "The selected unit is not ready";
    const struct {
        const char* what;
        bool rootAnswers;
        bool stickAnswers;
        Act act;
        QString volume;  // shown by the drive list
        QString folder;  // shown by the folder and file lists
        bool choiceKept;
        QStringList messages;
    } cases[] = {
        {"stick answers", true, true, Act::ChooseStick, stick, stick, false, {}},
        {"stick not ready", true, false, Act::ChooseStick, root, root, false, {notReady}},
        {"neither stick nor root ready", false, false, Act::ChooseStick, home, home, true, {notReady, notReady}},
        {"home unmounted", true, true, Act::UnmountHomeAndOpenTheList, root, root, false, {}},
        {"folder gone", true, true, Act::OpenAFolderThatIsGone, home, home, true, {"Error: 76.  Path not found"}},
    };
    auto* dir = control<FolderList>("Dir1");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(QDir().mkpath(root) && QDir().mkpath(stick));
        *homeMounted = true;
        chooseDrive(root);
        chooseDrive(home);
        choose("sea.jpg");
        ASSERT_EQ(dir->path(), home);
        boxes.clear();
        if (!c.rootAnswers)
            QDir(root).removeRecursively();
        if (!c.stickAnswers)
            QDir(stick).removeRecursively();

        switch (c.act) {
        case Act::ChooseStick:
            chooseDrive(stick);
            break;
        case Act::UnmountHomeAndOpenTheList:
            *homeMounted = false;
            drive->showPopup();
            drive->hidePopup();
            break;
        case Act::OpenAFolderThatIsGone:
            emit dir->folderOpened(pictures.filePath("Gone"));
            break;
        }
        QStringList messages;
        for (const BoxRequest& box : boxes)
            messages << box.text;
        EXPECT_EQ(messages, c.messages);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(QFile::decodeName(drive->volume().path.c_str()), c.volume);
        EXPECT_EQ(dir->path(), c.folder);
        EXPECT_EQ(files()->path(), c.folder);
        const QString kept = c.choiceKept ? "sea.jpg" : "";
        EXPECT_EQ(label("LabArchivo")->text(), kept);
        EXPECT_EQ(files()->currentIndex().data().toString(), kept);
        EXPECT_EQ(previewShown(), c.choiceKept);
    }
}

TEST_F(DialogTest, PreviewToggle)
{
    openFolder(pictures.path());
    choose("sea.jpg");
    auto* check = control<QCheckBox>("Check1");
    check->click();
    EXPECT_TRUE(label("Image1")->isHidden());
    EXPECT_TRUE(previewShown());  // the picture stays while hidden

    EXPECT_TRUE(previewLooksLike(kSea));
    choose("Beach.JPG");  // still loaded while unticked
    EXPECT_EQ(label("LabArchivo")->text(), "Beach.JPG");
    EXPECT_TRUE(previewLooksLike(kSand));
    check->click();
    EXPECT_FALSE(label("Image1")->isHidden());
    EXPECT_TRUE(previewShown());

    // A name that looks like markup is shown as it is, tags and all.
    savePicture("<b>bold<br>x.jpg", 8, 8, kSea);
    openFolder(pictures.path());
    choose("<b>bold<br>x.jpg");
    QLabel* name = label("LabArchivo");
    EXPECT_EQ(name->text(), "<b>bold<br>x.jpg");
    EXPECT_GE(name->sizeHint().width(), name->fontMetrics().horizontalAdvance(name->text()));
}

}  // namespace
}  // namespace tessaron
