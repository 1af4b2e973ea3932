#pragma once
// The main window. It turns menu commands, mouse events and keys on the board into calls
// on the puzzle session, lays itself out around each new puzzle and shows the board surface the puzzle
// draws on; the puzzle and its rules live in the session.

#include "core/board/puzzle_plan.h"
#include "core/board/session.h"
#include "ui/dialog/new_puzzle_dialog.h"
#include "ui/platform/screen_metrics.h"
#include "ui/shell/menu_tree.h"

#include <QMainWindow>
#include <QPointer>
#include <QThreadPool>
#include <QTranslator>

#include <atomic>
#include <cstdint>
#include <memory>

class QImage;
class QLabel;
class QSessionManager;
class QTimer;

namespace tessaron {

class About;
class BoardView;
class NewPuzzleDialog;
class SurfaceView;

class MainWindow : public QMainWindow, private BoardScreen {
    Q_OBJECT
public:
    explicit MainWindow(const ScreenMetrics& metrics, QWidget* parent = nullptr);
    ~MainWindow() override;

    const MenuTree& menu() const { return menu_; }
    const PuzzleSession& session() const { return session_; }
    // The client area below the menu bar, in layout pixels.
    QSize clientSize() const;

    // Start-up: the language from the settings file or the first-run window, the texts,
    // the new-puzzle dialog and its puzzle; then the window appears. Given a picture (its
    // full path: the game was opened on it), the dialog opens on that picture.
    void startUp(const QString& picture = {});
    // File > Open: the new-puzzle dialog, then its puzzle.
    void openNewPuzzle();
    // The same, with the dialog opened on a picture from outside (its full path); one
    // that cannot be previewed is reported, and the dialog stays as File > Open shows it.
    void openPicture(const QString& path);
    // A new puzzle from the player's choice. It is made aside and takes the board only
    // once complete: a picture that cannot be loaded, or anything else that fails, raises
    // its error and leaves the current puzzle, grid size included, exactly as it was.
    void startPuzzle(const PuzzleChoice& choice);

    void showAbout();
    // Asks whether to close the program; true when the player said yes and it is ending.
    bool confirmExit();
    // Switches every window to the language, and remembers it in the settings file.
    void chooseLanguage(Language language);

signals:
    // The player chose to end the program: every window is hidden already, and the
    // program's event loop should end before anything else is handled.
    void programEnded();

protected:
    void closeEvent(QCloseEvent* event) override;  // the close request with a cancel flag
    bool eventFilter(QObject* watched, QEvent* event) override;
    // A picture file dropped on the window opens the dialog on it; nothing else is taken.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // BoardScreen
    void placeNewPuzzle(const Puzzle& puzzle) override;
    void showChanges(const Damage& changed) override;
    void settle() override;
    void showPlayState(const PlayState& state) override;
    void showInput(const BoardInput& input, const std::optional<BoardReport>& report) override;
    void showRecord(const PlayRecord& record) override;
    bool announceVictory() override;

    void buildClientArea();
    // The moves and the time, in the room the menu bar's items leave at its right.
    void buildRecordCorner();
    void placeRecord();
    void showHowToPlay();
    void playChoice(const std::optional<PuzzleChoice>& choice);
    // The secondary windows, created hidden on first use and only hidden afterwards.
    NewPuzzleDialog& newPuzzleDialog();
    About& aboutBox();
    void applyLanguageTexts();
    // What the window system tells of this window and its screen, for planning a puzzle.
    WindowMeasures measures() const;
    // The frame the window system puts around the window, and the menu bar's height.
    QMargins windowFrame() const;
    int menuBarHeight(int windowWidth) const;
    // The window sized around a client area, in layout pixels.
    void fitWindowTo(QSize client);
    void placeOverlay(const Puzzle& puzzle);
    void keepOnScreen();
    void commitDataRequest(QSessionManager& manager);
    void endProgram();
    // The solver's searches run on threads of their own; their solutions come back to
    // the window's thread, and a search for a puzzle since replaced is told to stop.
    void runSearch(const SearchRequest& request, std::shared_ptr<std::atomic<bool>> stop);
    void askHint();
    void stopSearches();

    ScreenMetrics metrics_;
    Language language_ = Language::English;
    PuzzleSession session_;
    MenuTree menu_;
    BoardView* boardView_ = nullptr;
    QLabel* notice_ = nullptr;
    QLabel* record_ = nullptr;
    // Qt's own texts (the message boxes' Yes, No and OK) in the game's language.
    QTranslator qtTexts_;
    SurfaceView* overlay_ = nullptr;
    QTimer* previewTimer_ = nullptr;
    bool ending_ = false;
    QPointer<NewPuzzleDialog> dialog_;
    QPointer<About> about_;
    QThreadPool searches_;
    std::shared_ptr<std::atomic<bool>> dealStop_ = std::make_shared<std::atomic<bool>>(false);
    std::shared_ptr<std::atomic<bool>> hintStop_ = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace tessaron
