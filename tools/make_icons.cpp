// Writes the game's icon as PNG files for the desktop's icon theme, drawn by the same
// code as the window icon so the two never drift apart.
//   make_icons OUTPUT_FOLDER SIZE...   writes OUTPUT_FOLDER/SIZExSIZE/tessaron.png

#include "ui/shell/app_icon.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>

int main(int argc, char* argv[])
{
    // Runs at build time, where there may be no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_icons OUTPUT_FOLDER SIZE...\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (int i = 2; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || size < 16 || size > 1024) {
            std::fprintf(stderr, "make_icons: bad size '%s'\n", argv[i]);
            return 2;
        }
        const QString folder = QStringLiteral("%1x%1").arg(size);
        const QString file = out.filePath(folder + QStringLiteral("/tessaron.png"));
        if (!out.mkpath(folder) || !tessaron::appIconImage(size).save(file, "PNG")) {
            std::fprintf(stderr, "make_icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
