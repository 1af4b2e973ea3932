#pragma once
// The main window. It turns window events into calls on the game and shows what they
// leave on the board surface; the state itself lives in GameState and BoardFields.

#include "core/board/board_state.h"
#include "ui/dialog/dialog.h"
#include "core/board/game.h"
#include "core/board/layout.h"
#include "core/board/preview.h"
#include "ui/platform/screen_metrics.h"
#include "core/platform/surface.h"
#include "ui/shell/menu_tree.h"

#include <QMainWindow>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <optional>

class QImage;
class QLabel;
class QSessionManager;
class QTimer;

namespace tessaron {

class About;
class Dialog;
class SurfaceView;

class Form1 : public QMainWindow {
    Q_OBJECT
public:
    explicit Form1(GameState& state, const ScreenMetrics& metrics, QWidget* parent = nullptr);
    ~Form1() override;

    GameState& state() { return state_; }
    BoardFields& fields() { return fields_; }
    const MenuTree& menu() const { return menu_; }

    // The board surface: the window's persistent image, and the view that shows it.
    Surface& boardSurface() { return boardSurface_; }
    SurfaceView* board() { return boardView_; }
    // Refresh: pushes what changed on the board surface to the screen.
    void refresh();

    // The client area below the menu bar, in pixels; the window grows around it,
    // including when a narrow window wraps its menu bar onto more lines.
    void setClientSize(QSize size);
    QSize clientSize() const;

    // Start-up: twips factors, the language from the settings file or the first-run
    // window, the texts, the new-puzzle dialog and its puzzle; then the window appears.
    void startUp();
    // File > Open: the new-puzzle dialog, then its puzzle.
    void openNewPuzzle();
    // The secondary windows, created hidden on first use and only hidden afterwards.
    Dialog& newPuzzleDialog();
    About& aboutBox();
    void showAbout();
    // Every translated window in the current language.
    void applyLanguageTexts();

    // A new puzzle from the player's choice. It is made aside and takes the board only
    // once complete: a picture that cannot be loaded, or anything else that fails, raises
    // its error and leaves the current puzzle, grid size included, exactly as it was.
    void startPuzzle(const PuzzleChoice& choice);
    // The same from a picture already loaded: `picture` may be only the top-left part
    // of a picture of size `natural` (by default, its own size).
    void buildPuzzle(QImage picture, const PuzzleChoice& choice, QSize natural = {});
    bool puzzleIsDifficult() const { return difficult_; }
    BoardGame& game() { return game_; }
    // Tests fix the shuffle's seed; the game seeds from the time of day.
    void setShuffleSeed(std::optional<std::uint64_t> seed) { shuffleSeed_ = seed; }

    // A mouse press picks the place under it, the release moves the piece by the style's
    // rules and then looks for a solved board; positions in twips in the client area.
    void pressAt(float x, float y);
    void releaseAt(float x, float y);

    // The finished-picture preview.
    void showWholePicture();
    void previewTick();   // once a second
    const PreviewCycle& preview() const { return preview_; }

    // Exit and every close request.
    // Asks whether to close the program; true when the player said yes and it is ending.
    bool confirmExit();
    // Switches every window to the language, and remembers it in the settings file.
    void chooseLanguage(std::int16_t code);

    // What "end the program at once" does; tests replace it to stay alive.
    void setEndProgram(std::function<void()> endProgram) { endProgram_ = std::move(endProgram); }

protected:
    void closeEvent(QCloseEvent* event) override;  // the close request with a cancel flag
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildClientArea();
    struct NextPuzzle;
    NextPuzzle preparePuzzle(QImage picture, QSize natural, std::int16_t columns, std::int16_t rows) const;
    void install(NextPuzzle& next);
    // The board's layout around a picture of that many pixels, on this screen.
    Layout boardLayout(QSize picture) const;
    // The frame the window system puts around the window, and the menu bar's height.
    QMargins windowFrame() const;
    int menuBarHeight(int windowWidth) const;
    // The window sized around a client area, in layout pixels.
    void fitWindowTo(QSize client);
    // The top-left part of such a picture that takes part in the puzzle, in pixels.
    QSize keptPart(const Layout& layout) const;
    void placePictureBoxes(float left, float top, float width, float height);
    void keepOnScreen();
    bool findCellAt(float X, float Y, std::int16_t& column, std::int16_t& row);
    void commitDataRequest(QSessionManager& manager);
    void endProgram();
    void moveIntoEmpty(std::int16_t fromX, std::int16_t fromY, std::int16_t toX, std::int16_t toY);
    void announceIfSolved();

    GameState& state_;
    ScreenMetrics metrics_;
    BoardFields fields_;
    Surface boardSurface_;
    Surface picSurface_;    // Pic: the loaded picture, then the scratch surface of exchanges
    Surface pic2Surface_;   // Pic2: the finished-picture overlay
    MenuTree menu_;
    SurfaceView* boardView_ = nullptr;
    QLabel* Label1 = nullptr;
    SurfaceView* Pic = nullptr;
    SurfaceView* Pic2 = nullptr;
    QTimer* Timer1 = nullptr;
    std::function<void()> endProgram_;
    bool ending_ = false;

    BoardGame game_;
    PreviewCycle preview_;
    bool difficult_ = false;
    float picLeft_ = 0;     // Pic's outer corner in twips: the hit test measures from here
    float picTop_ = 0;
    std::optional<std::uint64_t> shuffleSeed_;
    QPointer<Dialog> dialog_;
    QPointer<About> about_;
};

}  // namespace tessaron
