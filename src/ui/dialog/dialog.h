#pragma once
// The new-puzzle dialog: a picture browser on the left, the grid and style on the right.
// Created once and only hidden afterwards, so every choice is still there next time. It
// hands its choice back as a value and changes no game state.

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
class RuntimeError;

// What the player chose for a new puzzle.
struct PuzzleChoice {
    QString path;             // the picture's full path, its bytes kept whatever they are
    QString name;             // its file name as the player sees it, for the title
    std::int16_t columns = 4;
    std::int16_t rows = 4;
    bool difficult = false;   // the style the puzzle is built and played in
    bool fitToScreen = false; // a picture too large for the screen is scaled down whole, not cut
};

class Dialog : public QDialog {
    Q_OBJECT
public:
    // The language is the one its messages and piece counts speak; captions are the
    // language switch's business.
    Dialog(std::int16_t language, const ScreenMetrics& metrics, QWidget* parent = nullptr);
    void setLanguage(std::int16_t code);

    // Shows the dialog modally: the choice when the player pressed OK, nothing when they
    // cancelled.
    std::optional<PuzzleChoice> choose();
    // Points the browser at a picture from outside (its full path), chosen and previewed
    // as if the player had clicked it in the file list. A file that cannot be previewed
    // raises its error (53 when it is not there, 481 when it is no picture) and the
    // browser stays where it was.
    void choosePicture(const QString& path);

    bool difficultSelected() const;

    // The handlers, one per control event.
    void Drive1_Change();
    void Dir1_Change();
    void Combo1_Click();
    void File1_Click();
    void Check1_Click();
    void ListX_Click();
    void ListY_Click();
    void Option1_Click();
    void Option2_Click();
    void OKButton_Click();
    void CancelButton_Click();

    // How long a volume may take to answer before it counts as not ready.
    void setProbeTimeout(std::chrono::milliseconds timeout) { probeTimeout_ = timeout; }

    void reject() override;   // Escape and the close box: Cancel

private:
    QString chosenPath() const;
    PictureOptions previewOptions() const;
    void buildControls();
    void setKeyboardOrder();
    void Form_Load();
    void pieceCountChanged();
    void setDirPath(const QString& folder);
    void openFolder(const QString& folder);
    void forgetChoice();
    void clearPreview();
    void reportAndForget(const RuntimeError& error);

    std::int16_t language_;
    ScreenMetrics metrics_;
    std::optional<PuzzleChoice> chosen_;
    std::chrono::milliseconds probeTimeout_{3000};

    QGroupBox* Frame1 = nullptr;
    DriveList* Drive1 = nullptr;
    FolderList* Dir1 = nullptr;
    FileList* File1 = nullptr;
    QComboBox* Combo1 = nullptr;
    QLabel* LabArchivo = nullptr;
    QLabel* Image1 = nullptr;
    QCheckBox* Check1 = nullptr;
    QCheckBox* CheckFit = nullptr;
    QGroupBox* Frame2 = nullptr;
    QListWidget* ListX = nullptr;
    QListWidget* ListY = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
};

}  // namespace tessaron
