#include "ui/shell/window_frames.h"

#include "core/language/texts.h"
#include "ui/shell/app_icon.h"
#include "ui/shell/declared_controls.h"

#include <QWidget>

#include <array>

namespace tessaron {
namespace {

constexpr std::array kFrames{
    WindowFrame{"Dialog", 8835, 8085, true, 0, 0},
    WindowFrame{"FormIdioma", 6945, 3525, false, 4350, 4020},
    WindowFrame{"About", 7110, 4530, false, 4470, 3405},
};

}  // namespace

const WindowFrame& frameOf(SecondaryWindow window)
{
    return kFrames[static_cast<std::size_t>(window)];
}

void applyMainFrame(QWidget* window)
{
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    window->setWindowTitle(fromUtf8(kProgramTitle));
    window->setWindowIcon(appIcon());
}

void placeClientAt(QWidget* window, float leftTwips, float topTwips, const ScreenMetrics& metrics)
{
    // A top-level widget's geometry is its client area; the frame goes around it.
    window->setGeometry(QRect(metrics.toPixels(leftTwips, topTwips), window->size()));
}

void applySecondaryFrame(QWidget* window, SecondaryWindow which, const ScreenMetrics& metrics)
{
    const WindowFrame& frame = frameOf(which);
    window->setObjectName(QString::fromUtf8(frame.name));
    // A dialog with the main window as its transient parent stays out of the taskbar.
    window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    window->setWindowTitle(fromUtf8(kProgramTitle));
    window->setWindowIcon(appIcon());
    window->setFixedSize(metrics.toPixelsSize(frame.clientWidth, frame.clientHeight));
    if (frame.centred) {
        QRect placed(QPoint(), window->size());
        placed.moveCenter(metrics.available.center());
        window->setGeometry(placed);
    } else {
        placeClientAt(window, frame.clientLeft, frame.clientTop, metrics);
    }
}

}  // namespace tessaron
