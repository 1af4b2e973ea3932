#include "ui/dialog/browser_lists.h"

#include "ui/platform/guarded.h"
#include "ui/platform/native_names.h"

#include <QFile>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>

namespace tessaron {
namespace {

constexpr int kFolderRole = Qt::UserRole;
constexpr int kLevelRole = Qt::UserRole + 1;
constexpr int kIndentPixels = 10;

constexpr int kNameRole = Qt::UserRole;

std::string nativePath(const QString& path) { return nativeFromName(path); }

QString displayName(const std::string& name) { return nameFromNative(name); }

QString childPath(const QString& folder, const QString& name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

QIcon volumeIcon(const QStyle* style, VolumeKind kind)
{
    switch (kind) {
    case VolumeKind::Home:
        return style->standardIcon(QStyle::SP_DirHomeIcon);
    case VolumeKind::Removable:
        return style->standardIcon(QStyle::SP_DriveFDIcon);
    default:
        return style->standardIcon(QStyle::SP_DriveHDIcon);
    }
}

// Indents each folder entry by its depth, as the classic folder list draws its tree.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
        const QModelIndex& index) const override
    {
        QStyleOptionViewItem indented(option);
        indented.rect.setLeft(option.rect.left() + index.data(kLevelRole).toInt() * kIndentPixels);
        QStyledItemDelegate::paint(painter, indented, index);
    }
};

}  // namespace

// ---- DriveList ------------------------------------------------------------------------

DriveList::DriveList(QWidget* parent) : QComboBox(parent)
{
    volumes_ = source_();
    fill();
    connect(this, &QComboBox::activated, this, guarded(this, [this](int index) {
        if (index == shown_)
            return;
        shown_ = index;
        emit driveChosen();
    }));
}

void DriveList::fill()
{
    const QSignalBlocker blocker(this);
    clear();
    for (const Volume& volume : volumes_)
        addItem(volumeIcon(style(), volume.kind), shownName(displayName(volume.path)));
}

void DriveList::refresh()
{
    const std::string selected = volumes_.empty() ? std::string("/") : volume().path;
    volumes_ = source_();
    fill();
    const auto again = std::find_if(volumes_.begin(), volumes_.end(),
        [&selected](const Volume& volume) { return volume.path == selected; });
    if (again != volumes_.end()) {
        selectVolume(static_cast<std::size_t>(again - volumes_.begin()));
        return;
    }
    // The volume shown was unmounted: the list moves to the volume that now holds its
    // place, and the other lists must follow, as after any change of drive.
    selectVolume(volumeIndexOf(volumes_, selected));
    emit driveChosen();
}

void DriveList::setVolumeSource(VolumeSource source)
{
    source_ = std::move(source);
    refresh();
}

const Volume& DriveList::volume() const
{
    static const Volume root{"/", {}, VolumeKind::Root};
    const int index = currentIndex();
    if (index < 0 || static_cast<std::size_t>(index) >= volumes_.size())
        return root;
    return volumes_[static_cast<std::size_t>(index)];
}

void DriveList::selectVolume(std::size_t index)
{
    const QSignalBlocker blocker(this);
    shown_ = static_cast<int>(index);
    setCurrentIndex(shown_);
}

void DriveList::selectVolumeOf(const QString& path)
{
    selectVolume(volumeIndexOf(volumes_, nativePath(path)));
}

void DriveList::showPopup()
{
    refresh();
    QComboBox::showPopup();
}

// ---- FolderList -----------------------------------------------------------------------

FolderList::FolderList(QWidget* parent) : QListWidget(parent)
{
    setItemDelegate(new IndentDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemActivated, this, guarded(this, [this](QListWidgetItem* item) {
        emit folderOpened(item->data(kFolderRole).toString());
    }));
}

// Enter opens the entry and ends there. Passed on, it would also press the dialog's
// default button, which then finds the choice the folder change has just emptied.
void FolderList::keyPressEvent(QKeyEvent* event)
{
    QListWidget::keyPressEvent(event);
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        event->accept();
}

void FolderList::addEntry(const QString& text, const QString& folder, int level, bool open)
{
    auto* item = new QListWidgetItem(
        style()->standardIcon(open ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon), text, this);
    item->setData(kFolderRole, folder);
    item->setData(kLevelRole, level);
}

void FolderList::setPath(const QString& folder, const QString& top)
{
    const FolderEntries entries = listFolder(nativePath(folder));
    const std::vector<std::string> subfolders = matchingSorted(entries.folders, FilePatterns("*"));

    QString start = top;
    if (!(folder == start || folder.startsWith(childPath(start, QString()))))
        start = QStringLiteral("/");

    clear();
    addEntry(shownName(start), start, 0, true);
    QString walked = start;
    int level = 0;
    for (const QString& part : folder.mid(start.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        walked = childPath(walked, part);
        addEntry(shownName(part), walked, ++level, true);
    }
    setCurrentRow(level);
    for (const std::string& name : subfolders) {
        const QString kept = displayName(name);
        addEntry(shownName(kept), childPath(folder, kept), level + 1, false);
    }
    path_ = folder;
}

// ---- FileList -------------------------------------------------------------------------

void FileNameModel::setNames(std::vector<std::string> names)
{
    beginResetModel();
    names_ = std::move(names);
    endResetModel();
}

int FileNameModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(names_.size());
}

QVariant FileNameModel::data(const QModelIndex& index, int role) const
{
    if ((role != Qt::DisplayRole && role != kNameRole) || !index.isValid() || index.row() >= rowCount())
        return {};
    const QString name = displayName(names_[static_cast<std::size_t>(index.row())]);
    return role == kNameRole ? name : shownName(name);
}

FileList::FileList(QWidget* parent) : QListView(parent), model_(new FileNameModel(this))
{
    setModel(model_);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, guarded(this, &FileList::selectionMoved));
}

QString FileList::pattern() const { return QString::fromStdString(patterns_.text()); }

QStringList FileList::fileNames() const
{
    QStringList names;
    for (const std::string& name : model_->names())
        names << displayName(name);
    return names;
}

void FileList::setPath(const QString& folder)
{
    path_ = folder;
    fileName_.clear();
    revealed_.clear();
    refill();
}

void FileList::setPattern(const QString& patterns)
{
    patterns_ = FilePatterns(patterns.toStdString());
    refill();
}

void FileList::refill()
{
    restoring_ = true;
    std::vector<std::string> names;
    try {
        if (!path_.isEmpty()) {  // a list not pointed at any folder yet shows nothing
            names = listFiles(nativePath(path_));
            if (!revealed_.empty() && std::find(names.begin(), names.end(), revealed_) == names.end())
                names.push_back(revealed_);
            names = matchingSorted(std::move(names), patterns_);
        }
    } catch (...) {
        model_->setNames({});
        restoring_ = false;
        throw;
    }
    model_->setNames(std::move(names));
    const std::string selected = nativePath(fileName_);
    const auto& shown = model_->names();
    const auto found = std::find(shown.begin(), shown.end(), selected);
    if (!fileName_.isEmpty() && found != shown.end())
        setCurrentIndex(model_->index(static_cast<int>(found - shown.begin())));
    restoring_ = false;
}

void FileList::selectFile(const QString& name)
{
    const std::string wanted = nativePath(name);
    const auto& shown = model_->names();
    const auto found = std::find(shown.begin(), shown.end(), wanted);
    if (found == shown.end()) {
        clearSelection();
        return;
    }
    setCurrentIndex(model_->index(static_cast<int>(found - shown.begin())));
}

void FileList::revealFile(const QString& name)
{
    revealed_ = nativePath(name);
    refill();
}

void FileList::selectionMoved()
{
    if (restoring_)
        return;
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty())
        return;
    fileName_ = rows.front().data(kNameRole).toString();
    emit fileClicked();
}

}  // namespace tessaron
