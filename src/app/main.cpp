#include "app/command_line.h"
#include "ui/board/main_window.h"
#include "ui/platform/screen_metrics.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaron"));
    // The program ends only through the exit question.
    QApplication::setQuitOnLastWindowClosed(false);

    tessaron::MainWindow window(tessaron::screenMetrics());
    // Ending the loop at once, not through a posted event, so nothing else is handled.
    QObject::connect(&window, &tessaron::MainWindow::programEnded, &app, [] { QCoreApplication::exit(0); });
    window.startUp(tessaron::pictureArgument(argc, argv));
    return QApplication::exec();
}
