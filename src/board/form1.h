#pragma once
// The main window. It turns window events into calls on the game and shows what they
// leave on the board surface; the state itself lives in GameState and BoardFields.

#include "board/board_state.h"
#include "platform/screen_metrics.h"
#include "platform/surface.h"
#include "shell/menu_tree.h"

#include <QMainWindow>

#include <cstdint>
#include <functional>

class QLabel;
class QSessionManager;
class QTimer;

namespace tessaron {

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

    // Exit and every close request.
    void Salir_Click();
    void ConfirmExit(std::int16_t& Cancel);
    void MLanguageIngles_Click();
    void MLanguageEspanol_Click();

    // What "end the program at once" does; tests replace it to stay alive.
    void setEndProgram(std::function<void()> endProgram) { endProgram_ = std::move(endProgram); }

protected:
    void closeEvent(QCloseEvent* event) override;  // the close request with a cancel flag

private:
    void buildClientArea();
    void commitDataRequest(QSessionManager& manager);
    void endProgram();

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
};

}  // namespace tessaron
