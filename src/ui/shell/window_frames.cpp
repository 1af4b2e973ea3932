#include "ui/shell/window_frames.h"

#include "core/language/texts.h"
#include "ui/shell/app_icon.h"
#include "ui/platform/native_names.h"
#include "ui/shell/declared_controls.h"

#include <QWidget>

namespace tessaron {

void applyMainFrame(QWidget* window)
{
    window->setObjectName(fromUtf8(windowDesign(GameWindow::Main).name));
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    window->setWindowTitle(fromUtf8(kProgramTitle));
    window->setWindowIcon(appIcon());
}

QString puzzleTitle(std::string_view pictureName)
{
    // A control character shows as its picture, not as a line break, and Qt reads "[*]"
    // in a title as the place of the modified mark; doubled, it is text.
    QString name = shownName(nameFromNative(pictureName));
    name.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    return fromUtf8(kProgramTitle) + QStringLiteral("  -  ") + name;
}

void placeClientAt(QWidget* window, float leftTwips, float topTwips, const ScreenMetrics& metrics)
{
    // A top-level widget's geometry is its client area; the frame goes around it.
    window->setGeometry(QRect(metrics.toPixels(leftTwips, topTwips), window->size()));
}

void applySecondaryFrame(QWidget* window, GameWindow which, const ScreenMetrics& metrics)
{
    const WindowDesign& design = windowDesign(which);
    window->setObjectName(fromUtf8(design.name));
    // A dialog with the main window as its transient parent stays out of the taskbar.
    window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    window->setWindowTitle(fromUtf8(kProgramTitle));
    window->setWindowIcon(appIcon());
    window->setFixedSize(metrics.toPixelsSize(design.client.width, design.client.height));
    if (design.centred) {
        QRect placed(QPoint(), window->size());
        placed.moveCenter(metrics.available.center());
        window->setGeometry(placed);
    } else {
        placeClientAt(window, design.client.left, design.client.top, metrics);
    }
}

}  // namespace tessaron
