#pragma once
// The picture browser's three lists: volumes, folders and files. They know nothing of
// the dialog: each shows what it is pointed at and says when the player picks something.

#include "core/dialog/file_patterns.h"
#include "core/platform/volumes.h"

#include <QAbstractListModel>
#include <QComboBox>
#include <QListView>
#include <QListWidget>

#include <functional>
#include <string>
#include <vector>

namespace tessaron {

// Drive1: the mounted volumes, re-read whenever its list drops down, so a stick plugged
// in while the dialog was hidden shows up and one pulled out goes (a drive change).
class DriveList : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(QWidget* parent = nullptr);

    void refresh();
    const std::vector<Volume>& volumes() const { return volumes_; }
    const Volume& volume() const;         // the selected one
    // Selects without telling anyone; the caller runs the drive change itself.
    void selectVolume(std::size_t index);
    void selectVolumeOf(const QString& path);
    // Where the list comes from instead of the machine's mount table, for tests; read at
    // once and again whenever the list drops down.
    using VolumeSource = std::function<std::vector<Volume>()>;
    void setVolumeSource(VolumeSource source);

    void showPopup() override;

signals:
    void driveChosen();  // the player picked a different volume, or the shown one went

private:
    void fill();

    VolumeSource source_ = mountedVolumes;
    std::vector<Volume> volumes_;
    int shown_ = -1;
};

// Dir1: the folders from the volume's top down to the current folder, then the current
// folder's subfolders, each level indented. Opening an entry (double click or Enter)
// asks for that folder to become current.
class FolderList : public QListWidget {
    Q_OBJECT
public:
    explicit FolderList(QWidget* parent = nullptr);

    QString path() const { return path_; }
    // Lists `folder` below `top`; raises the folder's error and changes nothing when the
    // folder cannot be read.
    void setPath(const QString& folder, const QString& top);

signals:
    void folderOpened(const QString& folder);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void addEntry(const QString& text, const QString& folder, int level, bool open);

    QString path_;
};

// The file names of one folder, converted for display only when shown, so filling the
// list for a crowded folder costs little more than reading it.
class FileNameModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void setNames(std::vector<std::string> names);
    const std::vector<std::string>& names() const { return names_; }
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<std::string> names_;
};

// File1: the files of a folder that match the pattern list, sorted. Its selected file
// name outlives a pattern change, shown again when the file still matches.
class FileList : public QListView {
    Q_OBJECT
public:
    explicit FileList(QWidget* parent = nullptr);

    QString path() const { return path_; }
    QString pattern() const;
    QString fileName() const { return fileName_; }
    QStringList fileNames() const;

    // Both re-read the folder. When it cannot be read the list is left empty at the new
    // path or pattern, and the error is raised.
    void setPath(const QString& folder);
    void setPattern(const QString& patterns);
    // Reads the folder again, keeping the selected file where it is still listed.
    void reread() { refill(); }
    // Selects a file as a click would (an empty name clears the selection).
    void selectFile(const QString& name);
    // Lists a file named from outside even when the folder's listing leaves it out (a dot
    // name, hidden on this platform), as long as the list shows this folder and the
    // pattern takes it.
    void revealFile(const QString& name);

signals:
    void fileClicked();  // a file became selected

private:
    void refill();
    void selectionMoved();

    FileNameModel* model_;
    QString path_;
    FilePatterns patterns_;
    QString fileName_;
    std::string revealed_;
    bool restoring_ = false;
};

}  // namespace tessaron
