#include "ui/dialog/new_puzzle_dialog.h"

#include "ui/dialog/browser_lists.h"
#include "ui/dialog/preview_queue.h"
#include "ui/dialog/remembered_choice.h"
#include "core/dialog/puzzle_options.h"
#include "core/dialog/remembered_choice.h"
#include "core/language/texts.h"
#include "ui/platform/guarded.h"
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

#include <new>
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

NewPuzzleDialog::NewPuzzleDialog(Language language, const ScreenMetrics& metrics, QWidget* parent)
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

    connect(drives_, &DriveList::driveChosen, this, guarded(this, &NewPuzzleDialog::driveChanged));
    connect(folders_, &FolderList::folderOpened, this, guarded(this, &NewPuzzleDialog::openFolder));
    connect(files_, &FileList::fileClicked, this, guarded(this, &NewPuzzleDialog::pictureClicked));
    connect(filter_, &QComboBox::currentIndexChanged, this, guarded(this, &NewPuzzleDialog::filterChanged));
    connect(showPreview_, &QCheckBox::toggled, this, guarded(this, &NewPuzzleDialog::previewToggled));
    connect(columns_, &QListWidget::currentRowChanged, this, guarded(this, &NewPuzzleDialog::pieceCountChanged));
    connect(rows_, &QListWidget::currentRowChanged, this, guarded(this, &NewPuzzleDialog::pieceCountChanged));
    // A click on the item already selected is a click all the same.
    connect(columns_, &QListWidget::itemClicked, this, guarded(this, &NewPuzzleDialog::pieceCountChanged));
    connect(rows_, &QListWidget::itemClicked, this, guarded(this, &NewPuzzleDialog::pieceCountChanged));
    for (QRadioButton* option : {normal_, difficult_})
        connect(option, &QRadioButton::toggled, this, guarded(this, [this, option](bool on) {
            if (on)
                styleChosen(option == difficult_ ? PuzzleStyle::Difficult : PuzzleStyle::Normal);
        }));
    connect(ok_, &QPushButton::clicked, this, guarded(this, &NewPuzzleDialog::acceptChoice));
    connect(cancel_, &QPushButton::clicked, this, guarded(this, &NewPuzzleDialog::cancel));
    connect(previews_, &PreviewQueue::previewed, this, guarded(this, &NewPuzzleDialog::previewArrived));
    connect(previews_, &PreviewQueue::failed, this,
        guarded(this, [this](const RuntimeError& error) { apply(model_.previewFailed(error)); }));
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
    model_.remember(RememberedChoice::load(rememberedChoiceFile()));
    const RememberedChoice& kept = model_.kept();
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
    (kept.style == PuzzleStyle::Difficult ? difficult_ : normal_)->setChecked(true);
    // The language's texts, applied after this, speak of 4 x 4 Normal; the first showing
    // tells what the lists and the options hold instead.
    keptTextsDue_ = kept.columns || kept.rows || kept.style;

    // The drive list shows the volume of the current directory, as the platform's
    // current drive; the folder list starts at the program's own folder, or at the
    // folder kept, unless that has gone.
    if (!kept.folder.empty() && openKeptFolder(nameFromNative(kept.folder))) {
        setFilter();
        // The kept picture is chosen as a click would choose it, and previewed the same
        // way; one that has gone, or cannot be selected any more, is simply not chosen.
        try {
            if (const auto picture = model_.keptPicture(); picture && selectNamed(nameFromNative(*picture)))
                apply(model_.chooseKept());
        } catch (const RuntimeError&) {
        }
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
            if (NewPuzzleModel::reportedAtSetUp(error))
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

// ---- the picture browser ------------------------------------------------------------

// The choice goes before the file list is read: when the new folder cannot be read the
// file list has moved all the same, and a name kept from the old folder would no longer
// be in it. The folder already open is read afresh, its selection kept.
void NewPuzzleDialog::setDirPath(const QString& folder)
{
    folders_->setPath(folder, nameFromNative(drives_->volume().path));
    const std::string listed = nativeFromName(folders_->path());
    const bool moved = listed != model_.folder();
    apply(model_.folderListed(listed));
    if (moved)
        files_->setPath(folders_->path());
    else
        files_->reread();
}

void NewPuzzleDialog::driveChanged()
{
    const Volume chosen = drives_->volume();
    try {
        probeVolume(chosen.path, probeTimeout_);
        setDirPath(nameFromNative(chosen.path));
        return;
    } catch (const RuntimeError& error) {
        const ChoiceStep step = NewPuzzleModel::volumeFailed(error, chosen.kind);
        apply(step);
        if (step.toRootVolume) {  // which runs this change again
            drives_->selectVolume(0);
            driveChanged();
            return;
        }
    }
    // The drive list goes back to the volume of the folder the other lists show, wherever
    // the failure left them; the choice stands unless they moved.
    drives_->selectVolumeOf(folders_->path());
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

PictureOptions NewPuzzleDialog::previewOptions() const
{
    PictureOptions options;
    options.twipsX = metrics_.twipsPerPixelX;
    options.twipsY = metrics_.twipsPerPixelY;
    options.background = preview_->palette().color(preview_->backgroundRole());
    return options;
}

void NewPuzzleDialog::pictureClicked() { apply(model_.pictureClicked(nativeFromName(files_->fileName()))); }

void NewPuzzleDialog::apply(const ChoiceStep& step)
{
    if (step.dropPreviews)
        previews_->cancel();
    fileName_->setText(shownName(nameFromNative(model_.picture())));
    if (!model_.previewShown())
        preview_->setPixmap(QPixmap());
    if (step.error)
        showError(this, *step.error);
    if (step.message)
        tell(*step.message);
    if (step.preview)
        previews_->request(nameFromNative(*step.preview), preview_->size(), previewOptions());
}

void NewPuzzleDialog::tell(Message message)
{
    if (const auto text = messageText(message, language_))
        showMessage(this, fromUtf8(*text));
}

void NewPuzzleDialog::previewArrived(const QImage& picture)
{
    const ChoiceStep step = model_.previewArrived();
    if (step.place)
        placeOutsidePicture(nameFromNative(*step.place), picture);
    else
        showPreview(step, picture);
}

void NewPuzzleDialog::showPreview(const ChoiceStep& step, const QImage& picture)
{
    apply(step);
    if (!step.showPreview)
        return;
    try {
        preview_->setPixmap(QPixmap::fromImage(picture));
    } catch (const std::bad_alloc&) {
        apply(model_.forget(RuntimeError(err::OutOfMemory)));
    }
}

void NewPuzzleDialog::choosePicture(const QString& path) { apply(model_.pictureNamed(nativeFromName(path))); }

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
    showPreview(model_.outsidePlaced(nativeFromName(name)), picture);
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

// ---- the options and the hand-over ---------------------------------------------------

void NewPuzzleDialog::pieceCountChanged()
{
    const std::string columns = listText(columns_);
    const std::string rows = listText(rows_);
    if (const auto line = pieceCountText(pieceCount(columns, rows), columns, rows, language_))
        pieceCount_->setText(QString::fromStdString(*line));
}

void NewPuzzleDialog::styleChosen(PuzzleStyle style)
{
    if (const auto description = messageText(
            style == PuzzleStyle::Difficult ? Message::DifficultStyle : Message::NormalStyle, language_))
        styleText_->setText(fromUtf8(*description));
}

void NewPuzzleDialog::acceptChoice()
{
    apply(model_.accept({.columns = listText(columns_), .rows = listText(rows_),
        .style = difficult_->isChecked() ? PuzzleStyle::Difficult : PuzzleStyle::Normal,
        .preview = showPreview_->isChecked(), .fitToScreen = fitToScreen_->isChecked()}));
    if (!model_.handedOver())
        return;
    model_.kept().save(rememberedChoiceFile());
    done(QDialog::Accepted);
}

void NewPuzzleDialog::cancel()
{
    model_.withdraw();
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
            styleChosen(PuzzleStyle::Difficult);
    }
    apply(model_.shown());
}

// Hidden (OK, Cancel), the dialog drops the preview on its way, so nothing turns up
// while it is away; the chosen file's is decoded again when it shows. A hiding by the
// window system (the game minimized) is no such end.
void NewPuzzleDialog::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        apply(model_.hidden());
}

std::optional<PuzzleChoice> NewPuzzleDialog::choose()
{
    model_.withdraw();
    exec();
    return model_.handedOver();
}

}  // namespace tessaron
