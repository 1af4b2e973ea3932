#include "ui/board/form1.h"
#include "support/board_oracle.h"

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace tessaron {
namespace {

// Runs on an offscreen screen of device pixel ratio 2 (see tests/CMakeLists.txt); skipped
// on any other.
TEST(HiDpi, BoardIsDrawnAndExchangedInDevicePixels)
{
    const ScreenMetrics metrics = screenMetrics();
    if (metrics.devicePixelRatio != 2.0)
        GTEST_SKIP() << "needs a screen of device pixel ratio 2";
    QTemporaryDir dir;
    QImage picture(240, 160, QImage::Format_RGB32);
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 240; ++x)
            picture.setPixel(x, y, qRgb(x, y, (x * 7 + y * 3) & 255));
    const QString path = dir.filePath("fine.bmp");
    ASSERT_TRUE(picture.save(path));

    Form1 form(metrics);
    const Puzzle& puzzle = form.session().puzzle();
    QWidget* board = form.findChild<QWidget*>("Form1Client");
    // The window keeps its layout in twips: 8865 x 5430 is still 591 x 362 layout pixels.
    EXPECT_EQ(form.clientSize(), QSize(591, 362));
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.startPuzzle({.path = path, .name = "fine.bmp", .columns = 4, .rows = 2});

    // The picture is shown at its own size in device pixels: 240 x 160 device pixels
    // are 120 x 80 layout pixels, plus margins of size / 20 + 225 twips.
    EXPECT_EQ(form.findChild<QWidget*>("Pic")->size(), QSize(120, 80));
    EXPECT_EQ(puzzle.boardSurface().width(), 2 * form.clientSize().width());

    // A piece exchanged lands exactly, pixel for pixel, in device pixels: each place shows
    // its piece, 60 x 80 device pixels from the picture.
    const PlaceGeometry places = puzzle.geometry();
    EXPECT_EQ(places.windowRect(1, 1).w, 60);
    EXPECT_EQ(wrongPiecePixels(puzzle, [&](int x, int y) { return picture.pixel(x, y) | 0xFF000000u; }), 0);

    // What reaches the screen is the surface one to one: nothing scaled or smoothed, and
    // the grid lines one device pixel wide.
    const QImage screen = board->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(screen.size(), QSize(puzzle.boardSurface().width(), puzzle.boardSurface().height()));
    const PixelRect area = places.pictureArea();
    for (int y = area.y; y < area.y + area.h; y += 7)
        for (int x = area.x; x < area.x + area.w; x += 5)
            ASSERT_EQ(screen.pixel(x, y) & 0xFFFFFF, puzzle.boardSurface().pixel(x, y) & 0xFFFFFF) << x << "," << y;
    const int line = area.x + 60;  // the first inner vertical line
    const int mid = area.y + 40;
    EXPECT_EQ(screen.pixel(line, mid) & 0xFFFFFF, 0u);
    EXPECT_NE(screen.pixel(line - 1, mid) & 0xFFFFFF, 0u);
    EXPECT_NE(screen.pixel(line + 1, mid) & 0xFFFFFF, 0u);

    // The finished picture lies exactly over the board, even where the board starts at an
    // odd device pixel (margins of 337 twips: 44.9 device pixels, 22.5 layout pixels).
    const QImage odd = picture.copy(0, 0, 299, 160);
    ASSERT_TRUE(odd.save(path));
    form.startPuzzle({.path = path, .name = "fine.bmp", .columns = 4, .rows = 2});
    const PixelRect oddArea = puzzle.geometry().pictureArea();
    ASSERT_EQ(oddArea.x % 2, 1);
    form.showWholePicture();
    const QImage shown = board->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int wrong = 0;
    for (int y = 0; y < oddArea.h; y += 3)
        for (int x = 0; x < oddArea.w; ++x)
            wrong += (shown.pixel(oddArea.x + x, oddArea.y + y) & 0xFFFFFF) != (odd.pixel(x, y) & 0xFFFFFF);
    EXPECT_EQ(wrong, 0);
    // Beside it, the board's frame line still shows.
    EXPECT_EQ(shown.pixel(oddArea.x - 1, oddArea.y + 5) & 0xFFFFFF, puzzle.boardSurface().pixel(oddArea.x - 1, oddArea.y + 5) & 0xFFFFFF);
}

}  // namespace
}  // namespace tessaron
