#include "core/board/board_state.h"
#include "ui/board/form1.h"
#include "ui/platform/screen_metrics.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaron"));
    // The program ends only through the exit question.
    QApplication::setQuitOnLastWindowClosed(false);

    tessaron::GameState state;
    tessaron::Form1 form(state, tessaron::screenMetrics());
    form.startUp();
    return QApplication::exec();
}
