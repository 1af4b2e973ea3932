#include "ui/dialog/dialog.h"

#include "ui/dialog/browser_lists.h"
#include "core/dialog/puzzle_options.h"
#include "core/language/texts.h"
#include "ui/platform/message_box.h"
#include "ui/platform/native_names.h"
#include "ui/platform/picture_loader.h"
#include "core/platform/runtime_error.h"
#include "core/platform/vb_math.h"
#include "ui/shell/accessibility.h"
#include "ui/shell/declared_controls.h"
#include "ui/shell/window_frames.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <new>

namespace tessaron {
namespace {

constexpr char kAllFiles[] = "*.*";

std::string listText(const QListWidget* list)
{
    const QListWidgetItem* item = list->currentItem();
    return item ? item->text().toStdString() : std::string();
}

void selectByText(QListWidget* list, const QString& wanted)
{
    const QList<QListWidgetItem*> found = list->findItems(wanted, Qt::MatchExactly);
    if (!found.isEmpty())
        list->setCurrentItem(found.front());
}

}  // namespace

Dialog::Dialog(std::int16_t language, const ScreenMetrics& metrics, QWidget* parent)
    : QDialog(parent), language_(language), metrics_(metrics)
{
    applySecondaryFrame(this, GameWindow::Dialog, metrics_);
    buildControls();
    setKeyboardOrder();
    Form_Load();
    setAccessibleNames(this, GameWindow::Dialog, language_);
}

void Dialog::setLanguage(std::int16_t code) { language_ = code; }

bool Dialog::difficultSelected() const { return Option2->isChecked(); }

// Controls as the window's table declares them; the language switch translates them
// later from the same table. ListX and ListY belong to the dialog but lie over Frame2, so
// they are made after it to stay on top.
void Dialog::buildControls()
{
    const ControlTable table{GameWindow::Dialog, metrics_};
    OKButton = table.make(new QPushButton(this), "OKButton");
    CancelButton = table.make(new QPushButton(this), "CancelButton");

    Frame1 = table.make(new QGroupBox(this), "Frame1");
    Drive1 = table.make(new DriveList(Frame1), "Drive1");
    Dir1 = table.make(new FolderList(Frame1), "Dir1");
    File1 = table.make(new FileList(Frame1), "File1");
    Combo1 = table.make(new QComboBox(Frame1), "Combo1");
    Combo1->setEditable(false);

    LabArchivo = table.make(new QLabel(this), "LabArchivo");
    LabArchivo->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Image1 = table.make(new QLabel(this), "Image1");
    Image1->setScaledContents(true);
    Check1 = table.make(new QCheckBox(this), "Check1");
    CheckFit = table.make(new QCheckBox(this), "CheckFit");

    Frame2 = table.make(new QGroupBox(this), "Frame2");
    Label1 = table.make(new QLabel(Frame2), "Label1");
    Label2 = table.make(new QLabel(Frame2), "Label2");
    Label2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Option1 = table.make(new QRadioButton(Frame2), "Option1");
    Option2 = table.make(new QRadioButton(Frame2), "Option2");
    Label3 = table.make(new QLabel(Frame2), "Label3");
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label3->setWordWrap(true);

    ListX = table.make(new QListWidget(this), "ListX");
    ListY = table.make(new QListWidget(this), "ListY");
    for (QListWidget* list : {ListX, ListY})
        list->setSelectionMode(QAbstractItemView::SingleSelection);

    // A label reads text that merely looks like markup as markup; LabArchivo shows file
    // names, which may look like anything, and no caption here is meant as markup.
    for (QLabel* label : {LabArchivo, Image1, Label1, Label2, Label3}) {
        label->setFocusPolicy(Qt::NoFocus);
        label->setTextFormat(Qt::PlainText);
    }

    connect(Drive1, &DriveList::driveChosen, this, &Dialog::Drive1_Change);
    connect(Dir1, &FolderList::folderOpened, this, &Dialog::openFolder);
    connect(File1, &FileList::fileClicked, this, &Dialog::File1_Click);
    connect(Combo1, &QComboBox::currentIndexChanged, this, &Dialog::Combo1_Click);
    connect(Check1, &QCheckBox::toggled, this, &Dialog::Check1_Click);
    connect(ListX, &QListWidget::currentRowChanged, this, &Dialog::ListX_Click);
    connect(ListY, &QListWidget::currentRowChanged, this, &Dialog::ListY_Click);
    // A click on the item already selected is a click all the same.
    connect(ListX, &QListWidget::itemClicked, this, &Dialog::ListX_Click);
    connect(ListY, &QListWidget::itemClicked, this, &Dialog::ListY_Click);
    connect(Option1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option1_Click();
    });
    connect(Option2, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option2_Click();
    });
    connect(OKButton, &QPushButton::clicked, this, &Dialog::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &Dialog::CancelButton_Click);
}

// The keyboard order of the design; frames and labels take no focus, so they drop out.
void Dialog::setKeyboardOrder()
{
    QWidget* const order[] = {OKButton, CancelButton, ListX, ListY, Drive1, File1, Dir1, Check1,
        CheckFit, Option1, Option2, Combo1};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    // Enter accepts the choice, as in any desktop dialog; only the folder list keeps it,
    // to open a folder.
    OKButton->setDefault(true);
    OKButton->setFocus();
}

// The one-time set-up. The language's texts come first in the design, but the language
// switch applies them to this dialog from outside once it exists, by object name.
void Dialog::Form_Load()
{
    for (int i = 1; i <= 75; ++i) {
        ListX->addItem(QString::number(i));
        ListY->addItem(QString::number(i));
    }
    Check1->setChecked(true);
    CheckFit->setChecked(false);
    selectByText(ListX, QStringLiteral("4"));
    selectByText(ListY, QStringLiteral("4"));
    Option1->setChecked(true);

    // The drive list shows the volume of the current directory, as the platform's
    // current drive; the folder list starts at the program's own folder.
    Drive1->selectVolumeOf(QDir::currentPath());
    const QString ownFolder = QCoreApplication::applicationDirPath();
    // A folder that is not there skips only that step. Any other failure is reported
    // and set-up goes on: an unreadable program folder is no reason to end the game.
    auto step = [this](auto&& operation) {
        try {
            operation();
        } catch (const RuntimeError& error) {
            if (error.number() != err::PathNotFound)
                showError(this, error);
        }
    };
    step([&] { setDirPath(ownFolder); });
    step([&] { File1->setPath(Dir1->path()); });

    {
        const QSignalBlocker quiet(Combo1);
        Combo1->addItem(QString::fromLatin1(kPicturePatterns));
        Combo1->addItem(QString::fromLatin1(kAllFiles));
        Combo1->setCurrentIndex(-1);
    }
    Combo1->setCurrentIndex(0);  // runs Combo1_Click, which applies the pattern
}

// ---- the picture browser ------------------------------------------------------------

void Dialog::setDirPath(const QString& folder)
{
    Dir1->setPath(folder, nameFromNative(Drive1->volume().path));
    Dir1_Change();
}

void Dialog::Drive1_Change()
{
    const Volume chosen = Drive1->volume();
    try {
        probeVolume(chosen.path, probeTimeout_);
        setDirPath(nameFromNative(chosen.path));
        return;
    } catch (const RuntimeError& error) {
        if (error.number() == err::DeviceUnavailable) {
            if (const auto message = messageText(Message::UnitNotReady, language_))
                showMessage(this, fromUtf8(*message));
            // Back to the root volume, which runs this change again; a root that does not
            // answer either stops here instead of asking forever.
            if (chosen.kind != VolumeKind::Root) {
                Drive1->selectVolume(0);
                Drive1_Change();
                return;
            }
        } else {
            // Reported, and the game goes on: losing a puzzle in progress to a volume
            // that may not be read would be far worse than the error itself.
            showError(this, error);
        }
    }
    // The drive list goes back to the volume of the folder the other lists show, wherever
    // the failure left them; the choice stands unless they moved.
    Drive1->selectVolumeOf(Dir1->path());
}

// The choice goes first: when the new folder cannot be read the file list has moved
// all the same, and a name kept from the old folder would no longer be in it.
void Dialog::Dir1_Change()
{
    forgetChoice();
    File1->setPath(Dir1->path());
}

// Opening an entry of the folder list. A folder that cannot be opened is reported, and
// the lists and the choice stay as they were.
void Dialog::openFolder(const QString& folder)
{
    try {
        setDirPath(folder);
    } catch (const RuntimeError& error) {
        showError(this, error);
    }
}

void Dialog::Combo1_Click()
{
    try {
        File1->setPattern(Combo1->currentText());
    } catch (const RuntimeError& error) {
        showError(this, error);
    }
}

// The chosen file's path, its bytes kept whatever they are, so that it opens.
QString Dialog::chosenPath() const
{
    return nameFromNative(joinPath(nativeFromName(File1->path()), nativeFromName(File1->fileName())));
}

PictureOptions Dialog::previewOptions() const
{
    PictureOptions options;
    options.twipsX = metrics_.twipsPerPixelX;
    options.twipsY = metrics_.twipsPerPixelY;
    options.background = Image1->palette().color(Image1->backgroundRole());
    return options;
}

void Dialog::File1_Click()
{
    LabArchivo->setText(shownName(File1->fileName()));
    try {
        Image1->setPixmap(QPixmap::fromImage(loadPreview(chosenPath(), Image1->size(), previewOptions())));
    } catch (const RuntimeError& error) {
        // Not a picture: no picture counts as chosen. Anything else (a file that may not
        // be read, one deleted since it was listed) is reported the same way and the
        // dialog goes on.
        if (error.number() == err::InvalidPicture) {
            clearPreview();
            LabArchivo->clear();
            return;
        }
        reportAndForget(error);
    } catch (const std::bad_alloc&) {
        reportAndForget(RuntimeError(err::OutOfMemory));
    }
}

void Dialog::choosePicture(const QString& path)
{
    // Tried first, so that a file that is not there, or no picture, is told as such and
    // moves nothing; the click below previews it again, as any click does.
    loadPreview(path, Image1->size(), previewOptions());
    const std::string native = nativeFromName(path);
    const std::size_t slash = native.rfind('/');
    const QString folder = nameFromNative(slash == 0 ? std::string("/") : native.substr(0, slash));
    const QString name = nameFromNative(native.substr(slash + 1));
    Drive1->selectVolumeOf(folder);
    try {
        setDirPath(folder);
    } catch (const RuntimeError&) {
        Drive1->selectVolumeOf(Dir1->path());
        throw;
    }
    File1->selectFile(name);
    // A picture the picture patterns miss (a JPEG named ".jpe") is among all files, where
    // the player would have looked for it.
    if (File1->fileName() != name) {
        Combo1->setCurrentIndex(1);
        File1->selectFile(name);
    }
}

void Dialog::Check1_Click() { Image1->setVisible(Check1->isChecked()); }

void Dialog::clearPreview() { Image1->setPixmap(QPixmap()); }

void Dialog::forgetChoice()
{
    LabArchivo->clear();
    clearPreview();
}

void Dialog::reportAndForget(const RuntimeError& error)
{
    showError(this, error);
    clearPreview();
    LabArchivo->clear();
}

// ---- the options and the hand-over ---------------------------------------------------

void Dialog::ListX_Click() { pieceCountChanged(); }

void Dialog::ListY_Click() { pieceCountChanged(); }

void Dialog::pieceCountChanged()
{
    const std::string columns = listText(ListX);
    const std::string rows = listText(ListY);
    if (const auto line = pieceCountText(pieceCount(columns, rows), columns, rows, language_))
        Label2->setText(QString::fromStdString(*line));
}

void Dialog::Option1_Click()
{
    if (const auto description = messageText(Message::NormalStyle, language_))
        Label3->setText(fromUtf8(*description));
}

void Dialog::Option2_Click()
{
    if (const auto description = messageText(Message::DifficultStyle, language_))
        Label3->setText(fromUtf8(*description));
}

void Dialog::OKButton_Click()
{
    if (LabArchivo->text().isEmpty()) {
        if (const auto message = messageText(Message::NoPictureChosen, language_))
            showMessage(this, fromUtf8(*message));
        return;
    }
    chosen_ = PuzzleChoice{.path = chosenPath(), .name = shownName(File1->fileName()),
        .columns = toInt16(leadingNumber(listText(ListX))), .rows = toInt16(leadingNumber(listText(ListY))),
        .difficult = difficultSelected(), .fitToScreen = CheckFit->isChecked()};
    done(QDialog::Accepted);
}

void Dialog::CancelButton_Click()
{
    chosen_.reset();
    done(QDialog::Rejected);
}

// Escape and the close box both come here, and are Cancel: a dismissal that kept an
// earlier OK's choice would have the caller start a puzzle.
void Dialog::reject() { CancelButton_Click(); }

std::optional<PuzzleChoice> Dialog::choose()
{
    chosen_.reset();
    exec();
    return chosen_;
}

}  // namespace tessaron
