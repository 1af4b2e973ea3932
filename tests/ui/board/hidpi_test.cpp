#include "support/board_oracle.h"
#include "support/window_test_support.h"

namespace tessaron {
namespace {

// Runs on an offscreen screen of device pixel ratio 2 (see tests/CMakeLists.txt); skipped
// on any other.
using HiDpi = test::BoardWindowTest;

TEST_F(HiDpi, BoardIsDrawnAndExchangedInDevicePixels)
{
    metrics = screenMetrics();
    if (metrics.devicePixelRatio != 2.0)
        GTEST_SKIP() << "needs a screen of device pixel ratio 2";
    form = std::make_unique<MainWindow>(metrics);
    // The window keeps its layout in twips: 8865 x 5430 is still 591 x 362 layout pixels.
    EXPECT_EQ(form->clientSize(), QSize(591, 362));
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    const QImage expected = pattern(299, 160);  // the same pixels in both pictures
    start(4, 2, picture(240, 160));

    // The picture is shown at its own size in device pixels: 240 x 160 device pixels
    // are 120 x 80 layout pixels, plus margins of size / 20 + 225 twips.
    EXPECT_EQ(pictureBox().size(), QSize(120, 80));
    const Surface& surface = puzzle().boardSurface();
    EXPECT_EQ(surface.width(), 2 * form->clientSize().width());

    // A piece exchanged lands exactly, pixel for pixel, in device pixels: each place shows
    // its piece, 60 x 80 device pixels from the picture.
    EXPECT_EQ(puzzle().geometry().windowRect(1, 1).w, 60);
    EXPECT_EQ(wrongPiecePixels(puzzle(), [&](int x, int y) { return expected.pixel(x, y); }), 0);

    // What reaches the screen is the surface one to one: nothing scaled or smoothed, and
    // the grid lines one device pixel wide.
    const QImage screen = board()->grab().toImage();
    const PixelRect area = puzzle().geometry().pictureArea();
    EXPECT_EQ(count(QRect(area.x, area.y, area.w, area.h), 3,
                  [&](int x, int y) { return ((screen.pixel(x, y) ^ surface.pixel(x, y)) & 0xFFFFFF) != 0; }), 0);
    const auto at = [&](int x) { return screen.pixel(x, area.y + 40) & 0xFFFFFF; };
    const int line = area.x + 60;  // the first inner vertical line
    EXPECT_TRUE(at(line) == 0 && at(line - 1) != 0 && at(line + 1) != 0);

    // The finished picture lies exactly over the board, even where the board starts at an
    // odd device pixel (margins of 337 twips: 44.9 device pixels, 22.5 layout pixels);
    // beside it, the board's frame line still shows.
    start(4, 2, picture(299, 160));
    const PixelRect odd = puzzle().geometry().pictureArea();
    ASSERT_EQ(odd.x % 2, 1);
    form->menu().showImageAction->trigger();
    const QImage shown = board()->grab().toImage();
    EXPECT_EQ(count(QRect(0, 0, odd.w, odd.h), 1,
                  [&](int x, int y) { return ((shown.pixel(odd.x + x, odd.y + y) ^ expected.pixel(x, y)) & 0xFFFFFF) != 0; }), 0);
    EXPECT_EQ(shown.pixel(odd.x - 1, odd.y + 5) & 0xFFFFFF, surface.pixel(odd.x - 1, odd.y + 5) & 0xFFFFFF);
}

}  // namespace
}  // namespace tessaron
