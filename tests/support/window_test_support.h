#pragma once
// What the window tests share: message boxes answered without a screen, and a main
// window with pictures of its own whose modal windows are answered from inside their loop.

#include "ui/board/main_window.h"
#include "support/printers.h"
#include "ui/platform/message_box.h"
#include "ui/platform/native_names.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <utility>

// Failures show the text, not the bytes.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace tessaron::test {

// While it lives, every message box is answered with `answer` and kept here instead of
// shown; `onBox` looks at the windows while the box would be up.
struct BoxRecorder {
    QList<BoxRequest> boxes;
    BoxAnswer answer = BoxAnswer::Ok;
    std::function<void()> onBox;

    BoxRecorder()
    {
        setBoxAnswerer([this](const BoxRequest& request) {
            boxes << request;
            if (onBox)
                onBox();
            return answer;
        });
    }
    ~BoxRecorder() { setBoxAnswerer({}); }

    // What the boxes said since the last call, oldest first.
    QStringList take()
    {
        QStringList texts;
        for (const BoxRequest& box : std::exchange(boxes, {}))
            texts << box.text;
        return texts;
    }
};

// A main window run from a folder of its own, which holds its settings file and its
// pictures. Each modal window is noted by name as it appears and answered, once its
// loop is up, by the answer given for that name.
struct BoardWindowTest : ::testing::Test, QObject {
    QTemporaryDir folder;
    QString previousFolder = QDir::currentPath();
    ScreenMetrics metrics;  // 15 twips per pixel
    BoxRecorder boxes;
    std::unique_ptr<MainWindow> form;
    std::map<QString, std::function<void(QWidget*)>> answers;
    QStringList seen;

    void SetUp() override
    {
        QDir::setCurrent(folder.path());
        qApp->installEventFilter(this);
    }
    void TearDown() override
    {
        qApp->removeEventFilter(this);
        form.reset();
        QDir::setCurrent(previousFolder);
    }
    bool eventFilter(QObject* object, QEvent* event) override
    {
        auto* window = qobject_cast<QWidget*>(object);
        if (event->type() == QEvent::Show && !event->spontaneous() && window && window->isModal()) {
            seen << window->objectName();
            if (const auto answer = answers.find(window->objectName()); answer != answers.end())
                QTimer::singleShot(0, window, [window, act = answer->second] { act(window); });
        }
        return false;
    }

    MainWindow& makeForm(QRect screen = {0, 0, 1920, 1040})
    {
        form.reset();
        metrics.available = screen;
        form = std::make_unique<MainWindow>(metrics);
        return *form;
    }
    const Puzzle& puzzle() const { return form->session().puzzle(); }
    // Where the picture lies in the client area, in layout pixels.
    QRect pictureBox() const
    {
        const Layout& layout = puzzle().layout();
        return metrics.toPixels(static_cast<float>(layout.left), static_cast<float>(layout.top), layout.picWidth,
            layout.picHeight);
    }
    // One tick of the window's one-second timer.
    void tick() const { QMetaObject::invokeMethod(form->findChild<QTimer*>("Timer1"), "timeout"); }
    QWidget* board() const { return form->findChild<QWidget*>("Form1Client"); }

    // Every pixel tells where it lies, so a piece out of place shows.
    static QImage pattern(int width, int height)
    {
        QImage image(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                image.setPixel(x, y, qRgb(x % 256, y % 256, (x / 256) * 16 + y / 256));
        return image;
    }
    QString picture(int width, int height, const QString& name = "pic.bmp")
    {
        const QString path = folder.filePath(name);
        EXPECT_TRUE(pattern(width, height).save(path)) << name.toStdString();
        return path;
    }
    // The settings file where the game starts.
    QByteArray settings(const QString& where = {})
    {
        QFile file(QDir(where.isEmpty() ? folder.path() : where).filePath("data.puz"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
    }
    QString writeFile(const QString& name, const QByteArray& content)
    {
        QFile file(folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size());
        return file.fileName();
    }
    void start(std::int16_t columns, std::int16_t rows, const QString& path, bool difficult = false, bool fit = false)
    {
        form->startPuzzle({.path = nativeFromName(path), .name = nativeFromName(QFileInfo(path).fileName()),
            .columns = columns, .rows = rows, .style = difficult ? PuzzleStyle::Difficult : PuzzleStyle::Normal,
            .fitToScreen = fit});
    }

    // A press on the centre of one place and a release on another's, as the player makes them.
    // A press on one place and a release on another, with any button; a double click
    // counts as the press it also is.
    void drag(int fromC, int fromR, int toC, int toR, Qt::MouseButton button = Qt::LeftButton, bool doubleClick = false)
    {
        const QRect box = pictureBox();
        const auto at = [&](int c, int r) {
            return QPoint(box.x() + (2 * c - 1) * box.width() / (2 * puzzle().board().columns()),
                box.y() + (2 * r - 1) * box.height() / (2 * puzzle().board().rows()));
        };
        if (doubleClick) {
            QMouseEvent press(QEvent::MouseButtonDblClick, at(fromC, fromR), board()->mapToGlobal(at(fromC, fromR)),
                button, button, {});
            QApplication::sendEvent(board(), &press);
        } else {
            QTest::mousePress(board(), button, {}, at(fromC, fromR));
        }
        QTest::mouseRelease(board(), button, {}, at(toC, toR));
    }
    // How many of the area's pixels, every `step`th each way, are wrong.
    static int count(QRect area, int step, const std::function<bool(int, int)>& wrong)
    {
        int found = 0;
        for (int y = area.top(); y <= area.bottom(); y += step)
            for (int x = area.left(); x <= area.right(); x += step)
                found += wrong(x, y);
        return found;
    }
    // What reached the screen of the board, from its top-left corner.
    QImage onScreen() const
    {
        QApplication::processEvents();
        const QRect area(board()->mapTo(form.get(), QPoint(0, 0)), board()->size());
        return board()->screen()->grabWindow(form->winId()).toImage().copy(area).convertToFormat(QImage::Format_RGB32);
    }
};

}  // namespace tessaron::test
