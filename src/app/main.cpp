#include "board/board_state.h"
#include "board/form1.h"
#include "platform/screen_metrics.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaron"));
    // The program ends only through the exit question.
    QApplication::setQuitOnLastWindowClosed(false);

    tessaron::GameState state;
    const tessaron::ScreenMetrics metrics = tessaron::screenMetrics();
    state.TwipsX = metrics.twipsPerPixelX;
    state.TwipsY = metrics.twipsPerPixelY;

    tessaron::Form1 form(state, metrics);
    form.show();
    return QApplication::exec();
}
