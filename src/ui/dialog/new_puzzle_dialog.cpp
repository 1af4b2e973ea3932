#include "ui/dialog/new_puzzle_dialog.h"

#include "ui/dialog/browser_lists.h"
#include "ui/dialog/preview_queue.h"
#include "ui/dialog/remembered_choice.h"
#include "core/dialog/puzzle_options.h"
#include "core/dialog/remembered_choice.h"
#include "core/language/texts.h"
#include "ui/platform/message_box.h"
#include "ui/platform/native_names.h"
#include "ui/platform/picture_loader.h"
#include "core/platform/runtime_error.h"
#include "core/platform/arithmetic.h"
#include "ui/shell/accessibility.h"
#include "ui/shell/declared_controls.h"
#include "ui/shell/window_frames.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHideEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <filesystem>
#include <new>
#include <system_error>
#include <utility>

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

NewPuzzleDialog::NewPuzzleDialog(const std::int16_t& language, const ScreenMetrics& metrics, QWidget* parent)
    : QDialog(parent), language_(language), metrics_(metrics), previews_(new PreviewQueue(this))
{
    applySecondaryFrame(this, GameWindow::NewPuzzle, metrics_);
    buildControls();
    setKeyboardOrder();
    load();
    setAccessibleNames(this, GameWindow::NewPuzzle, language_);
}


// Controls as the window's table declares them; the language switch translates them
// later from the same table. ListX and ListY belong to the dialog but lie over Frame2, so
// they are made after it to stay on top.
void NewPuzzleDialog::buildControls()
{
    const ControlTable table{GameWindow::NewPuzzle, metrics_};
    ok_ = table.make(new QPushButton(this), "OKButton");
    cancel_ = table.make(new QPushButton(this), "CancelButton");

    pictureFrame_ = table.make(new QGroupBox(this), "Frame1");
    drives_ = table.make(new DriveList(pictureFrame_), "Drive1");
    folders_ = table.make(new FolderList(pictureFrame_), "Dir1");
    files_ = table.make(new FileList(pictureFrame_), "File1");
    filter_ = table.make(new QComboBox(pictureFrame_), "Combo1");
    filter_->setEditable(false);

    fileName_ = table.make(new QLabel(this), "LabArchivo");
    fileName_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    preview_ = table.make(new QLabel(this), "Image1");
    preview_->setScaledContents(true);
    showPreview_ = table.make(new QCheckBox(this), "Check1");
    fitToScreen_ = table.make(new QCheckBox(this), "CheckFit");

    styleFrame_ = table.make(new QGroupBox(this), "Frame2");
    times_ = table.make(new QLabel(styleFrame_), "Label1");
    pieceCount_ = table.make(new QLabel(styleFrame_), "Label2");
    pieceCount_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    normal_ = table.make(new QRadioButton(styleFrame_), "Option1");
    difficult_ = table.make(new QRadioButton(styleFrame_), "Option2");
    styleText_ = table.make(new QLabel(styleFrame_), "Label3");
    styleText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    styleText_->setWordWrap(true);

    columns_ = table.make(new QListWidget(this), "ListX");
    rows_ = table.make(new QListWidget(this), "ListY");
    for (QListWidget* list : {columns_, rows_})
        list->setSelectionMode(QAbstractItemView::SingleSelection);

    // A label reads text that merely looks like markup as markup; LabArchivo shows file
    // names, which may look like anything, and no caption here is meant as markup.
    for (QLabel* label : {fileName_, preview_, times_, pieceCount_, styleText_}) {
        label->setFocusPolicy(Qt::NoFocus);
        label->setTextFormat(Qt::PlainText);
    }

    connect(drives_, &DriveList::driveChosen, this, &NewPuzzleDialog::driveChanged);
    connect(folders_, &FolderList::folderOpened, this, &NewPuzzleDialog::openFolder);
    connect(files_, &FileList::fileClicked, this, &NewPuzzleDialog::pictureClicked);
    connect(filter_, &QComboBox::currentIndexChanged, this, &NewPuzzleDialog::filterChanged);
    connect(showPreview_, &QCheckBox::toggled, this, &NewPuzzleDialog::previewToggled);
    connect(columns_, &QListWidget::currentRowChanged, this, &NewPuzzleDialog::pieceCountChanged);
    connect(rows_, &QListWidget::currentRowChanged, this, &NewPuzzleDialog::pieceCountChanged);
    // A click on the item already selected is a click all the same.
    connect(columns_, &QListWidget::itemClicked, this, &NewPuzzleDialog::pieceCountChanged);
    connect(rows_, &QListWidget::itemClicked, this, &NewPuzzleDialog::pieceCountChanged);
    connect(normal_, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            normalChosen();
    });
    connect(difficult_, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            difficultChosen();
    });
    connect(ok_, &QPushButton::clicked, this, &NewPuzzleDialog::acceptChoice);
    connect(cancel_, &QPushButton::clicked, this, &NewPuzzleDialog::cancel);
    connect(previews_, &PreviewQueue::previewed, this, &NewPuzzleDialog::previewArrived);
    connect(previews_, &PreviewQueue::failed, this, &NewPuzzleDialog::previewFailed);
}

// The keyboard order of the design; frames and labels take no focus, so they drop out.
void NewPuzzleDialog::setKeyboardOrder()
{
    QWidget* const order[] = {ok_, cancel_, columns_, rows_, drives_, files_, folders_, showPreview_,
        fitToScreen_, normal_, difficult_, filter_};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    // Enter accepts the choice, as in any desktop dialog; only the folder list keeps it,
    // to open a folder.
    ok_->setDefault(true);
    ok_->setFocus();
}

// The one-time set-up. The language's texts come first in the design, but the language
// switch applies them to this dialog from outside once it exists, by object name. The
// player's last accepted choice, where one is kept, takes the place of the defaults.
void NewPuzzleDialog::load()
{
    const RememberedChoice kept = RememberedChoice::load(rememberedChoiceFile());
    for (int i = 1; i <= 75; ++i) {
        columns_->addItem(QString::number(i));
        rows_->addItem(QString::number(i));
    }
    showPreview_->setChecked(kept.preview.value_or(true));
    fitToScreen_->setChecked(kept.fitToScreen.value_or(false));
    selectByText(columns_, QStringLiteral("4"));
    selectByText(rows_, QStringLiteral("4"));
    // A number the lists do not hold selects nothing, and the 4 stays.
    for (const auto& [list, count] : {std::pair(columns_, kept.columns), std::pair(rows_, kept.rows)})
        if (count)
            selectByText(list, QString::number(*count));
    (kept.difficult.value_or(false) ? difficult_ : normal_)->setChecked(true);
    // The language's texts, applied after this, speak of 4 x 4 Normal; the first showing
    // tells what the lists and the options hold instead.
    keptTextsDue_ = kept.columns || kept.rows || kept.difficult;

    // The drive list shows the volume of the current directory, as the platform's
    // current drive; the folder list starts at the program's own folder, or at the
    // folder kept, unless that has gone.
    if (!kept.folder.empty() && openKeptFolder(nameFromNative(kept.folder))) {
        setFilter();
        chooseKeptPicture(nameFromNative(kept.picture));
        return;
    }
    drives_->selectVolumeOf(QDir::currentPath());
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
    step([&] { files_->setPath(folders_->path()); });
    setFilter();
}

void NewPuzzleDialog::setFilter()
{
    {
        const QSignalBlocker quiet(filter_);
        filter_->addItem(QString::fromLatin1(kPicturePatterns));
        filter_->addItem(QString::fromLatin1(kAllFiles));
        filter_->setCurrentIndex(-1);
    }
    filter_->setCurrentIndex(0);  // the change applies the pattern to the file list
}

// A kept folder that has gone, or cannot be read any more, is simply not opened.
bool NewPuzzleDialog::openKeptFolder(const QString& folder)
{
    drives_->selectVolumeOf(folder);
    try {
        setDirPath(folder);
        return true;
    } catch (const RuntimeError&) {
        return false;
    }
}

// The kept picture is chosen as a click would choose it, and previewed the same way; one
// that has gone, or is no picture any more, is simply not chosen.
void NewPuzzleDialog::chooseKeptPicture(const QString& name)
{
    std::error_code error;
    if (name.isEmpty()
        || !std::filesystem::is_regular_file(joinPath(nativeFromName(files_->path()), nativeFromName(name)), error))
        return;
    try {
        if (!selectNamed(name))
            return;
    } catch (const RuntimeError&) {
        return;
    }
    pictureClicked();
    keptUnseen_ = true;
}

// ---- the picture browser ------------------------------------------------------------

void NewPuzzleDialog::setDirPath(const QString& folder)
{
    folders_->setPath(folder, nameFromNative(drives_->volume().path));
    folderChanged();
}

void NewPuzzleDialog::driveChanged()
{
    const Volume chosen = drives_->volume();
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
                drives_->selectVolume(0);
                driveChanged();
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
    drives_->selectVolumeOf(folders_->path());
}

// The choice goes first: when the new folder cannot be read the file list has moved
// all the same, and a name kept from the old folder would no longer be in it.
void NewPuzzleDialog::folderChanged()
{
    forgetChoice();
    files_->setPath(folders_->path());
}

// Opening an entry of the folder list. A folder that cannot be opened is reported, and
// the lists and the choice stay as they were.
void NewPuzzleDialog::openFolder(const QString& folder)
{
    try {
        setDirPath(folder);
    } catch (const RuntimeError& error) {
        showError(this, error);
    }
}

void NewPuzzleDialog::filterChanged()
{
    try {
        files_->setPattern(filter_->currentText());
    } catch (const RuntimeError& error) {
        showError(this, error);
    }
}

// The chosen file's path, its bytes kept whatever they are, so that it opens.
QString NewPuzzleDialog::chosenPath() const
{
    return nameFromNative(joinPath(nativeFromName(files_->path()), nativeFromName(files_->fileName())));
}

PictureOptions NewPuzzleDialog::previewOptions() const
{
    PictureOptions options;
    options.twipsX = metrics_.twipsPerPixelX;
    options.twipsY = metrics_.twipsPerPixelY;
    options.background = preview_->palette().color(preview_->backgroundRole());
    return options;
}

// The name shows at once; the preview follows when it is decoded, and until then the box
// is empty rather than showing the picture clicked before.
void NewPuzzleDialog::pictureClicked()
{
    keptUnseen_ = false;
    fileName_->setText(shownName(files_->fileName()));
    clearPreview();
    requestPreview(chosenPath());
}

void NewPuzzleDialog::requestPreview(const QString& path)
{
    outside_.clear();
    previews_->request(path, preview_->size(), previewOptions());
}

// A chosen file whose preview was dropped when the dialog was hidden gets it now.
void NewPuzzleDialog::previewChoiceIfMissing()
{
    if (outside_.isEmpty() && !previews_->waiting() && !fileName_->text().isEmpty() && preview_->pixmap().isNull())
        requestPreview(chosenPath());
}

void NewPuzzleDialog::previewArrived(const QImage& picture)
{
    if (!outside_.isEmpty()) {
        placeOutsidePicture(std::exchange(outside_, QString()), picture);
        return;
    }
    keptUnseen_ = false;
    try {
        preview_->setPixmap(QPixmap::fromImage(picture));
    } catch (const std::bad_alloc&) {
        reportAndForget(RuntimeError(err::OutOfMemory));
    }
}

void NewPuzzleDialog::previewFailed(const RuntimeError& error)
{
    // A picture from outside that cannot be previewed is told as such, whatever the
    // reason, and the browser keeps what it showed.
    if (!outside_.isEmpty()) {
        outside_.clear();
        showError(this, error);
        previewChoiceIfMissing();
        return;
    }
    // Not a picture: no picture counts as chosen. Anything else (a file that may not be
    // read, one deleted since it was listed) is reported the same way and the dialog
    // goes on; but a kept picture the player has not seen since is only forgotten.
    if (std::exchange(keptUnseen_, false) || error.number() == err::InvalidPicture) {
        clearPreview();
        fileName_->clear();
        return;
    }
    reportAndForget(error);
}

void NewPuzzleDialog::choosePicture(const QString& path)
{
    requestPreview(path);
    outside_ = path;
}

// The picture from outside has been previewed: the browser moves to it and chooses it,
// and the preview already decoded is the one shown, not decoded again.
void NewPuzzleDialog::placeOutsidePicture(const QString& path, const QImage& picture)
{
    const std::string native = nativeFromName(path);
    const std::size_t slash = native.rfind('/');
    const QString folder = nameFromNative(slash == 0 ? std::string("/") : native.substr(0, slash));
    const QString name = nameFromNative(native.substr(slash + 1));
    drives_->selectVolumeOf(folder);
    try {
        setDirPath(folder);
    } catch (const RuntimeError& error) {
        drives_->selectVolumeOf(folders_->path());
        showError(this, error);
        return;
    }
    try {
        if (!selectNamed(name))
            return;
    } catch (const RuntimeError& error) {
        showError(this, error);
        return;
    }
    fileName_->setText(shownName(name));
    previewArrived(picture);
}

// Selects a file of the folder listed that was named from outside the list, without
// counting as a click, and says whether it is selected. It is listed even when the
// folder's listing hides it (a dot name): the player named it. A picture the picture
// patterns miss (a JPEG named ".jpe") is among all files, where the player would have
// looked for it.
bool NewPuzzleDialog::selectNamed(const QString& name)
{
    const QSignalBlocker quiet(files_);
    files_->revealFile(name);
    files_->selectFile(name);
    if (files_->fileName() != name) {
        filter_->setCurrentIndex(1);
        files_->selectFile(name);
    }
    return files_->fileName() == name;
}

void NewPuzzleDialog::previewToggled() { preview_->setVisible(showPreview_->isChecked()); }

void NewPuzzleDialog::clearPreview() { preview_->setPixmap(QPixmap()); }

// Whatever preview was on its way, for the choice or for a picture from outside, is
// dropped with the choice.
void NewPuzzleDialog::forgetChoice()
{
    keptUnseen_ = false;
    previews_->cancel();
    outside_.clear();
    fileName_->clear();
    clearPreview();
}

void NewPuzzleDialog::reportAndForget(const RuntimeError& error)
{
    showError(this, error);
    clearPreview();
    fileName_->clear();
}

// ---- the options and the hand-over ---------------------------------------------------

void NewPuzzleDialog::pieceCountChanged()
{
    const std::string columns = listText(columns_);
    const std::string rows = listText(rows_);
    if (const auto line = pieceCountText(pieceCount(columns, rows), columns, rows, language_))
        pieceCount_->setText(QString::fromStdString(*line));
}

void NewPuzzleDialog::normalChosen()
{
    if (const auto description = messageText(Message::NormalStyle, language_))
        styleText_->setText(fromUtf8(*description));
}

void NewPuzzleDialog::difficultChosen()
{
    if (const auto description = messageText(Message::DifficultStyle, language_))
        styleText_->setText(fromUtf8(*description));
}

void NewPuzzleDialog::acceptChoice()
{
    if (fileName_->text().isEmpty()) {
        if (const auto message = messageText(Message::NoPictureChosen, language_))
            showMessage(this, fromUtf8(*message));
        return;
    }
    chosen_ = PuzzleChoice{.path = nativeFromName(chosenPath()), .name = nativeFromName(files_->fileName()),
        .columns = toInt16(leadingNumber(listText(columns_))), .rows = toInt16(leadingNumber(listText(rows_))),
        .style = difficult_->isChecked() ? PuzzleStyle::Difficult : PuzzleStyle::Normal, .fitToScreen = fitToScreen_->isChecked()};
    RememberedChoice{.folder = nativeFromName(files_->path()), .picture = nativeFromName(files_->fileName()),
        .columns = chosen_->columns, .rows = chosen_->rows, .difficult = chosen_->style == PuzzleStyle::Difficult,
        .preview = showPreview_->isChecked(), .fitToScreen = chosen_->fitToScreen}
        .save(rememberedChoiceFile());
    done(QDialog::Accepted);
}

void NewPuzzleDialog::cancel()
{
    chosen_.reset();
    done(QDialog::Rejected);
}

// Escape and the close box both come here, and are Cancel: a dismissal that kept an
// earlier OK's choice would have the caller start a puzzle.
void NewPuzzleDialog::reject() { cancel(); }

void NewPuzzleDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (std::exchange(keptTextsDue_, false)) {
        pieceCountChanged();
        if (difficult_->isChecked())
            difficultChosen();
    }
    previewChoiceIfMissing();
}

// Hidden (OK, Cancel), the dialog drops the preview on its way, so nothing turns up
// while it is away; the chosen file's is decoded again when it shows. A hiding by the
// window system (the game minimized) is no such end.
void NewPuzzleDialog::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (event->spontaneous())
        return;
    previews_->cancel();
    outside_.clear();
}

std::optional<PuzzleChoice> NewPuzzleDialog::choose()
{
    chosen_.reset();
    exec();
    return chosen_;
}

}  // namespace tessaron
