#pragma once
// The new-puzzle dialog: a picture browser on the left, the grid and style on the right.
// Created once and only hidden afterwards, so every choice is still there next time; the
// last one accepted is kept for the next run too. It hands its choice back as a value and
// changes no game state.

#include "core/dialog/new_puzzle_model.h"
#include "core/dialog/puzzle_choice.h"
#include "ui/platform/picture_loader.h"
#include "ui/platform/screen_metrics.h"

#include <QDialog>
#include <QString>

#include <chrono>
#include <cstdint>
#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace tessaron {

class DriveList;
class FileList;
class FolderList;
class PreviewQueue;

class NewPuzzleDialog : public QDialog {
    Q_OBJECT
public:
    // `language` is the game's language: the dialog's messages and piece counts speak it,
    // and the main window hands over each new one. Captions are the language switch's
    // business.
    NewPuzzleDialog(Language language, const ScreenMetrics& metrics, QWidget* parent = nullptr);
    void setLanguage(Language language) { language_ = language; }

    // Shows the dialog modally: the choice when the player pressed OK, nothing when they
    // cancelled.
    std::optional<PuzzleChoice> choose();
    // Points the browser at a picture from outside (its full path), chosen and previewed
    // as if the player had clicked it in the file list, even when the list hides its
    // name. Its preview is decoded in the background, once, and the browser moves only
    // when it succeeds: a file that cannot be previewed is reported (53 when it is not
    // there, 481 when it is no picture) and the browser stays where it was. A click on a
    // file or a change of folder meanwhile, and hiding the dialog, drop it.
    void choosePicture(const QString& path);

    void reject() override;   // Escape and the close box: Cancel

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // The handlers, one per control event.
    void driveChanged();
    void filterChanged();
    void pictureClicked();
    void previewToggled();
    void styleChosen(PuzzleStyle style);
    void acceptChoice();
    void cancel();

    PictureOptions previewOptions() const;
    void buildControls();
    void setKeyboardOrder();
    void load();
    void setFilter();
    bool openKeptFolder(const QString& folder);
    bool selectNamed(const QString& name);
    void pieceCountChanged();
    void setDirPath(const QString& folder);
    void openFolder(const QString& folder);
    // Does what the model asks after an event, and shows the choice as it now stands.
    void apply(const ChoiceStep& step);
    void tell(Message message);
    // The previews, which arrive later than the click that asked for them.
    void previewArrived(const QImage& picture);
    void placeOutsidePicture(const QString& path, const QImage& picture);
    void showPreview(const ChoiceStep& step, const QImage& picture);

    Language language_;
    ScreenMetrics metrics_;
    NewPuzzleModel model_;
    PreviewQueue* previews_ = nullptr;
    // The grid and style kept from an earlier run, whose texts the first showing sets.
    bool keptTextsDue_ = false;
    // How long a volume may take to answer before it counts as not ready.
    std::chrono::milliseconds probeTimeout_{3000};

    QGroupBox* pictureFrame_ = nullptr;
    DriveList* drives_ = nullptr;
    FolderList* folders_ = nullptr;
    FileList* files_ = nullptr;
    QComboBox* filter_ = nullptr;
    QLabel* fileName_ = nullptr;
    QLabel* preview_ = nullptr;
    QCheckBox* showPreview_ = nullptr;
    QCheckBox* fitToScreen_ = nullptr;
    QGroupBox* styleFrame_ = nullptr;
    QListWidget* columns_ = nullptr;
    QListWidget* rows_ = nullptr;
    QLabel* times_ = nullptr;
    QLabel* pieceCount_ = nullptr;
    QRadioButton* normal_ = nullptr;
    QRadioButton* difficult_ = nullptr;
    QLabel* styleText_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace tessaron
