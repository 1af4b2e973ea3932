#include "board/form1.h"
#include "board/rules.h"
#include "platform/message_box.h"
#include "platform/picture_loader.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace tessaron {
namespace {

struct GameWindowTest : ::testing::Test {
    QTemporaryDir dir;
    GameState state;
    ScreenMetrics metrics = [] {
        ScreenMetrics m;
        m.available = QRect(0, 0, 1920, 1040);
        return m;
    }();
    std::unique_ptr<Form1> form;
    QStringList messages;
    std::function<void()> onMessage;

    void SetUp() override
    {
        state.TwipsX = state.TwipsY = 15.0f;
        form = std::make_unique<Form1>(state, metrics);
        form->setShuffleSeed(5);
        form->show();
        setBoxAnswerer([this](const BoxRequest& request) {
            messages << request.text;
            if (onMessage)
                onMessage();
            return BoxAnswer::Ok;
        });
    }
    void TearDown() override { setBoxAnswerer({}); }

    QString picture(int width, int height, const char* name = "pic.bmp")
    {
        QImage image(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                image.setPixel(x, y, qRgb(x % 256, y % 256, (x / 256) * 16 + y / 256));
        const QString path = dir.filePath(name);
        image.save(path);
        return path;
    }

    void start(std::int16_t columns, std::int16_t rows, const QString& path, bool difficult = false)
    {
        state.PiecesX = columns;
        state.PiecesY = rows;
        form->StartPuzzle({path, QFileInfo(path).fileName(), difficult});
    }

    QWidget* overlay() { return form->findChild<QWidget*>("Pic2"); }

    // Centre of place (c, r) in twips, as the hit test sees it.
    QPointF centre(int c, int r)
    {
        const QRect box = form->findChild<QWidget*>("Pic")->geometry();
        return {(box.x() + (c - 0.5) * box.width() / state.PiecesX) * 15.0,
            (box.y() + (r - 0.5) * box.height() / state.PiecesY) * 15.0};
    }
    void drag(int fromC, int fromR, int toC, int toR)
    {
        const QPointF a = centre(fromC, fromR), b = centre(toC, toR);
        form->Form_MouseDown(1, 0, static_cast<float>(a.x()), static_cast<float>(a.y()));
        form->Form_MouseUp(1, 0, static_cast<float>(b.x()), static_cast<float>(b.y()));
    }
};

TEST_F(GameWindowTest, NewPuzzleSizesTheWindowAroundThePictureAndShuffles)
{
    start(4, 4, picture(320, 200));
    // Margins of size / 20 + 225 twips: 465 and 375 twips, 31 and 25 pixels.
    EXPECT_EQ(form->clientSize(), QSize(320 + 2 * 31, 200 + 2 * 25));
    EXPECT_EQ(form->windowTitle(), "Tessaron  -  pic.bmp");
    EXPECT_FALSE(form->findChild<QLabel*>("Label1")->isVisible());
    EXPECT_TRUE(form->menu().Montado->isEnabled());
    EXPECT_EQ(form->game().exchangeCount(), 80);
    EXPECT_FALSE(isSolved(state.Board));
    EXPECT_EQ(form->findChild<QWidget*>("Pic")->geometry(), QRect(31, 25, 320, 200));
}

TEST_F(GameWindowTest, BrokenPictureLeavesTheRunningPuzzleAsItWas)
{
    start(4, 3, picture(300, 200));
    BoardArray before = state.Board;
    const QImage screen = form->grab().toImage();
    QFile broken(dir.filePath("broken.jpg"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("\xFF\xD8\xFF\xE0 not really a picture");
    broken.close();
    state.PiecesX = 9;
    state.PiecesY = 9;
    try {
        form->StartPuzzle({broken.fileName(), "broken.jpg", true});
        ADD_FAILURE() << "a broken picture must raise an error";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), err::InvalidPicture);
    }
    state.PiecesX = 4;  // the caller restores the grid it had
    state.PiecesY = 3;
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 4; ++c)
            EXPECT_EQ(state.Board(r, c), before(r, c));
    EXPECT_EQ(form->windowTitle(), "Tessaron  -  pic.bmp");
    EXPECT_FALSE(form->puzzleIsDifficult());
    EXPECT_EQ(form->grab().toImage(), screen);
    drag(1, 1, 2, 1);  // still playable
    EXPECT_EQ(state.Board(1, 1), before(1, 2));
}

TEST_F(GameWindowTest, OneByOneIsWonAtTheFirstPressAndReleaseOverlayAfterTheMessage)
{
    for (const bool difficult : {false, true}) {
        messages.clear();
        start(1, 1, picture(100, 80), difficult);
        bool overlayDuringMessage = true;
        onMessage = [&] { overlayDuringMessage = overlay()->isVisible(); };
        drag(1, 1, 1, 1);
        EXPECT_EQ(messages, QStringList{"You've got it!"});
        EXPECT_FALSE(overlayDuringMessage);
        EXPECT_TRUE(overlay()->isVisible());
        EXPECT_FALSE(form->menu().Montado->isEnabled());

        // The overlay takes the presses: nothing is picked under it.
        form->fields().FromX = 0;
        QTest::mouseClick(overlay(), Qt::LeftButton, {}, QPoint(10, 10));
        EXPECT_EQ(form->fields().FromX, 0);
        onMessage = nullptr;
    }
}

TEST_F(GameWindowTest, MovesFollowTheStyleThePuzzleWasBuiltWith)
{
    start(2, 2, picture(200, 200), true);
    // Find the empty piece and a place that is not beside it.
    int ex = 0, ey = 0;
    for (int r = 1; r <= 2; ++r)
        for (int c = 1; c <= 2; ++c)
            if (state.Board(r, c) == 4)
                ex = c, ey = r;
    const int diagonalX = 3 - ex, diagonalY = 3 - ey;
    const BoardArray before = state.Board;
    drag(diagonalX, diagonalY, ex, ey);  // diagonal: refused
    EXPECT_EQ(state.Board(ey, ex), 4);
    drag(diagonalX, ey, ex, ey);  // beside it: moves in
    EXPECT_EQ(state.Board(ey, ex), before(ey, diagonalX));
    EXPECT_EQ(state.Board(ey, diagonalX), 4);
}

TEST_F(GameWindowTest, PressesBeforeAnyPuzzleAndOutsideTheBoardDoNothing)
{
    form->Form_MouseDown(1, 0, 3000, 3000);
    form->Form_MouseUp(1, 0, 3000, 3000);
    EXPECT_TRUE(messages.isEmpty());
    start(4, 4, picture(160, 160));
    const BoardArray before = state.Board;
    form->Form_MouseDown(2, 0, 10, 10);  // on the margin
    EXPECT_EQ(form->fields().FromX, 0);
    const QPointF inside = centre(2, 2);
    form->Form_MouseUp(2, 0, static_cast<float>(inside.x()), static_cast<float>(inside.y()));
    for (int r = 1; r <= 4; ++r)
        for (int c = 1; c <= 4; ++c)
            EXPECT_EQ(state.Board(r, c), before(r, c));
}

TEST_F(GameWindowTest, PreviewTimelineWithANewPuzzleAndAVictoryDuringTheCycle)
{
    const QString path = picture(120, 90);
    start(3, 3, path);
    form->Montado_Click();
    EXPECT_TRUE(overlay()->isVisible());
    EXPECT_TRUE(form->menu().Montado->isEnabled());  // until the first tick
    form->Timer1_Timer();
    EXPECT_FALSE(form->menu().Montado->isEnabled());
    for (int t = 2; t <= 4; ++t)
        form->Timer1_Timer();
    EXPECT_FALSE(overlay()->isVisible());

    start(1, 1, path);  // a new puzzle during the cycle: command back, cycle goes on
    EXPECT_TRUE(form->menu().Montado->isEnabled());
    form->Timer1_Timer();  // tick 5
    EXPECT_FALSE(form->menu().Montado->isEnabled());
    drag(1, 1, 1, 1);  // a victory during the cycle
    EXPECT_TRUE(overlay()->isVisible());
    for (int t = 6; t <= 8; ++t)
        form->Timer1_Timer();
    EXPECT_FALSE(overlay()->isVisible());  // the cycle's next fourth tick hides it again
    for (int t = 9; t <= 20; ++t)
        form->Timer1_Timer();
    EXPECT_TRUE(form->menu().Montado->isEnabled());
    EXPECT_EQ(form->preview().Tag, "");
}

TEST_F(GameWindowTest, FullWidthPictureOnALargeScreenPlays)
{
    metrics.available = QRect(0, 0, 2560, 1440);
    form = std::make_unique<Form1>(state, metrics);
    form->setShuffleSeed(1);
    start(8, 4, picture(2600, 300));
    // Cut to the screen: as wide as the screen less its frame, margins of 500 twips.
    EXPECT_EQ(form->fields().MarginLeft, 500);
    EXPECT_GT(form->clientSize().width(), 2184);
    const BoardArray before = state.Board;
    drag(8, 4, 1, 1);
    EXPECT_EQ(state.Board(1, 1), before(4, 8));
}

TEST_F(GameWindowTest, TheScreenShowsTheBoardAfterMovesOfLargePieces)
{
    // Pieces taller than a painting band, far apart on the board: what reaches the
    // window must still be the board, pixel for pixel.
    start(2, 2, picture(900, 500));
    drag(1, 1, 2, 2);
    drag(2, 1, 1, 2);
    QCoreApplication::processEvents();
    auto* view = form->findChild<QWidget*>("Form1Client");
    ASSERT_NE(view, nullptr);
    const QImage shown = view->screen()->grabWindow(form->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    const QPoint at = view->mapTo(form.get(), QPoint(0, 0));
    const Surface& board = form->boardSurface();
    int wrong = 0;
    for (int y = 0; y < board.height(); y += 3)
        for (int x = 0; x < board.width(); x += 3)
            wrong += shown.pixel(at.x() + x, at.y() + y) != board.pixel(x, y);
    EXPECT_EQ(wrong, 0);
}

TEST_F(GameWindowTest, APhotoLargerThanTheScreenKeepsItsTopLeftPart)
{
    // Taller and wider than the 1920 x 1040 screen: the part that fits is all that is
    // decoded, and it is exactly the picture's top-left corner.
    QImage photo(2400, 2000, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb((x / 40) * 40 % 256, (y / 40) * 40 % 256, 128));
    const QString path = dir.filePath("photo.jpg");
    ASSERT_TRUE(photo.save(path, "jpeg", 95));
    start(1, 1, path);
    const QImage whole = loadPicture(path);
    const Surface& board = form->boardSurface();
    const QRect box = form->findChild<QWidget*>("Pic")->geometry();
    EXPECT_LT(form->clientSize().width(), 1920);
    EXPECT_LT(form->clientSize().height(), 1040);
    int wrong = 0;
    for (int y = 1; y < box.height() - 1; y += 7)
        for (int x = 1; x < box.width() - 1; x += 7)
            wrong += board.pixel(box.x() + x, box.y() + y) != (whole.pixel(x, y) | 0xFF000000u);
    EXPECT_EQ(wrong, 0);
}

TEST_F(GameWindowTest, NoSeamOfTheWindowsColourIsShuffledIntoTheBoard)
{
    // Cut to a small screen, the picture area is a fraction of a pixel wide and its frame
    // falls a pixel past it; the last places reach up to the frame and carry whatever
    // lies there all over the board.
    metrics.available = QRect(0, 0, 1280, 1024);
    form = std::make_unique<Form1>(state, metrics);
    form->setShuffleSeed(3);
    form->show();
    start(12, 9, picture(2000, 1500));
    const PixelRect inside = form->game().geometry().framedArea();
    ASSERT_GT(inside.w, form->game().geometry().pictureArea().w);  // the case in point
    const Pixel window = form->boardSurface().pixel(2, 30);
    const Surface& board = form->boardSurface();
    int seams = 0;
    for (int y = inside.y; y < inside.y + inside.h; ++y)
        for (int x = inside.x; x < inside.x + inside.w; ++x)
            seams += board.pixel(x, y) == window;
    EXPECT_EQ(seams, 0);
}

}  // namespace
}  // namespace tessaron
