#include "core/board/rules.h"
#include "core/board/solver.h"
#include "ui/platform/picture_loader.h"
#include "support/board_oracle.h"
#include "support/window_test_support.h"

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QWindow>

namespace tessaron {
namespace {

struct GameWindowTest : test::BoardWindowTest {
    void SetUp() override
    {
        BoardWindowTest::SetUp();
        makeForm().show();
    }
    QWidget* overlay() { return form->findChild<QWidget*>("Pic2"); }
    const BoardArray& cells() const { return puzzle().board(); }
};

// Before any puzzle a press does nothing; then the window grows around the picture, and
// a picture that cannot be loaded afterwards leaves that puzzle exactly as it was.
TEST_F(GameWindowTest, NewPuzzleSizesTheWindowAroundThePictureAndABrokenOneChangesNothing)
{
    QTest::mouseClick(board(), Qt::LeftButton, {}, QPoint(200, 200));
    EXPECT_TRUE(boxes.take().isEmpty());
    start(4, 4, picture(320, 200));
    // Margins of size / 20 + 225 twips: 465 and 375 twips, 31 and 25 pixels.
    EXPECT_EQ(form->clientSize(), QSize(320 + 2 * 31, 200 + 2 * 25));
    EXPECT_EQ(pictureBox(), QRect(31, 25, 320, 200));
    EXPECT_FALSE(form->findChild<QLabel*>("Label1")->isVisible());

    const BoardArray before = cells();
    const QImage screen = form->grab().toImage();
    const QString broken = writeFile("broken.jpg", "\xFF\xD8\xFF\xE0 not really a picture");
    EXPECT_THROW(form->startPuzzle({.path = nativeFromName(broken), .name = "broken.jpg", .columns = 9, .rows = 9, .style = PuzzleStyle::Difficult}),
        RuntimeError);
    EXPECT_EQ(cells(), before);
    EXPECT_EQ(form->windowTitle(), "Tessaron  -  pic.bmp");
    EXPECT_EQ(form->grab().toImage(), screen);
    drag(1, 1, 2, 1);  // still playable
    EXPECT_EQ(cells()(1, 1), before(2, 1));

    // A file name is plain text in the title too, whatever it looks like, and one line:
    // its control characters show as their pictures.
    start(1, 1, picture(20, 20, "x[*]<b>y.bmp"));
    EXPECT_EQ(form->windowHandle()->title(), "Tessaron  -  x[*]<b>y.bmp");
    start(1, 1, picture(20, 20, "tab\tline\nend\u2028\x7F.bmp"));
    EXPECT_EQ(form->windowHandle()->title(), "Tessaron  -  tab\u2409line\u240Aend\uFFFD\u2421.bmp");
}

// Keys reach the board and play both styles to the victory: its message, then the
// finished picture over the board, taking the presses. The cursor and its pick are
// painted over the board, never into it, and a mouse press takes them away; screen
// readers are told each place and move.
TEST_F(GameWindowTest, KeysPlayBothStylesToTheVictoryWithTheCursorOverTheBoard)
{
    const auto heard = [&] { return QAccessible::queryAccessibleInterface(board())->text(QAccessible::Description); };
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    EXPECT_EQ(QApplication::focusWidget(), board());
    const QString path = picture(200, 100);
    const auto key = [&](Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k); };
    bool overlayDuringMessage = true;
    boxes.onBox = [&] { overlayDuringMessage = overlay()->isVisible(); };
    const auto victory = [&] {
        EXPECT_EQ(boxes.take(), QStringList{"You've got it!"});
        EXPECT_FALSE(overlayDuringMessage);
        EXPECT_TRUE(overlay()->isVisible());
        EXPECT_FALSE(form->menu().showImageAction->isEnabled());
        // Nothing under the finished picture is played, so no second victory.
        QTest::mouseClick(overlay(), Qt::LeftButton, {}, QPoint(10, 10));
        EXPECT_TRUE(boxes.take().isEmpty());
    };

    // Difficult, 2 x 1: the shuffle leaves the empty place on the left, so Left solves it.
    start(2, 1, path, true);
    key(Qt::Key_Left);
    victory();
    EXPECT_EQ(heard(), "Piece moved to column 1, row 1");

    // Normal, 2 x 1: the two pieces lie exchanged.
    start(2, 1, path);
    const Surface& surface = puzzle().boardSurface();
    const Surface before = surface;
    const PixelRect place = puzzle().geometry().windowRect(1, 1);
    // At the first place's corner, where a frame left behind would show.
    const auto shown = [&](int inset) { return onScreen().pixel(place.x + inset, place.y + inset) & 0xFFFFFF; };
    const auto boardPixel = [&](int inset) { return surface.pixel(place.x + inset, place.y + inset) & 0xFFFFFF; };
    key(Qt::Key_Space);
    EXPECT_EQ(shown(2), 0xFFD600u);  // the cursor's frame on the first place
    EXPECT_EQ(heard(), "Column 1, row 1");
    key(Qt::Key_Enter);
    EXPECT_EQ(shown(6), 0xE62828u);  // and the pick inside it
    key(Qt::Key_Right);
    EXPECT_EQ(shown(2), boardPixel(2));  // the first place keeps only its pick
    EXPECT_TRUE(std::equal(surface.data(), surface.data() + surface.width() * surface.height(), before.data()));
    key(Qt::Key_Return);  // and puts it on the second place
    victory();
    EXPECT_EQ(heard(), "Column 2, row 1 exchanged with column 1, row 1");

    // A mouse press takes the cursor away, from the screen too; the mark stays for a click
    // to exchange with, until Escape.
    start(3, 3, path);
    key(Qt::Key_Down);
    key(Qt::Key_Space);
    ASSERT_EQ(shown(6), 0xE62828u);
    QTest::mousePress(board(), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(shown(2), boardPixel(2));
    EXPECT_EQ(shown(6), 0xE62828u);
    key(Qt::Key_Escape);
    EXPECT_EQ(shown(6), boardPixel(6));
}

// A Difficult board of 10 to 16 places: the par and the shortest hints come from
// searches off the window's thread. A hint is framed within the wait it is allowed; won
// in the fewest slides, the par follows in the corner, whenever its search ends.
TEST_F(GameWindowTest, TheParOfAMidSizeDifficultBoardArrivesFromItsSearch)
{
    auto* corner = form->findChild<QLabel*>("MovesAndTime");
    start(4, 3, picture(200, 150), true);
    const std::vector<Move> shortest = shortestSlides(cells()).value();
    for (const Move& move : shortest) {
        drag(move.from.column, move.from.row, move.to.column, move.to.row);
        if (&move != &shortest.front() || cells() == solvedBoard(4, 3))
            continue;
        form->menu().hintAction->trigger();
        ASSERT_TRUE(QTest::qWaitFor([&] { return form->session().input().hint().has_value(); }, 1000));
        EXPECT_TRUE(canMoveToEmpty(puzzle().emptyPlace(), *form->session().input().hint()));
    }
    EXPECT_EQ(boxes.take(), QStringList{"You've got it!"});
    const QString won = QString::number(shortest.size()) + " moves (par " + QString::number(shortest.size()) + ")  0:00";
    EXPECT_TRUE(QTest::qWaitFor([&] { return corner->text() == won; }, 60000)) << corner->text().toStdString();
}

// The timer drives the preview's timeline, whose rules are the session's: Show image
// lays the picture over the board until the fourth tick, and a new puzzle offers the
// command again.
TEST_F(GameWindowTest, ShowImageAndTheTimerDriveTheOverlay)
{
    const QString path = picture(120, 90);
    start(3, 3, path);
    form->menu().showImageAction->trigger();
    EXPECT_TRUE(overlay()->isVisible() && form->menu().showImageAction->isEnabled());  // until tick 1
    for (int n = 0; n < 3; ++n)
        tick();
    EXPECT_TRUE(overlay()->isVisible() && !form->menu().showImageAction->isEnabled());
    tick();
    EXPECT_FALSE(overlay()->isVisible());
    start(1, 1, path);
    EXPECT_TRUE(form->menu().showImageAction->isEnabled());
}

// The menu bar's right corner counts the moves and the time where the items leave room,
// in the game's language, and gives the par after the victory; where there is no room,
// screen readers still hear it from the menu bar. The Game menu's commands reach the
// board, and a hint is framed over it until the next input. The language items move the
// check mark, twice the same keeps it, and on a finished board only captions change.
TEST_F(GameWindowTest, TheGameMenuPlaysAndTheMenuBarCornerCounts)
{
    auto* corner = form->findChild<QLabel*>("MovesAndTime");
    ASSERT_TRUE(corner);
    const auto heard = [&] { return QAccessible::queryAccessibleInterface(form->menuBar())->text(QAccessible::Description); };
    EXPECT_FALSE(corner->isVisible());  // no puzzle, nothing to count
    start(4, 4, picture(800, 300));
    QApplication::processEvents();
    EXPECT_TRUE(corner->isVisible());
    EXPECT_EQ(corner->text(), "0 moves  0:00");
    const QRect lastItem = form->menuBar()->actionGeometry(form->menu().gameMenu->menuAction());
    EXPECT_GT(corner->geometry().left(), lastItem.right());
    EXPECT_LE(corner->geometry().right(), form->menuBar()->width());

    const BoardArray handedOver = cells();
    // Any button, and a double click, press as the left button does.
    drag(1, 1, 4, 4, Qt::RightButton);
    drag(1, 1, 4, 4, Qt::MiddleButton, true);
    EXPECT_EQ(cells(), handedOver);
    EXPECT_EQ(corner->text(), "2 moves  0:00");
    form->menu().undoAction->trigger();
    form->menu().undoAction->trigger();
    drag(1, 1, 4, 4);
    EXPECT_EQ(corner->text(), "1 move  0:00");
    EXPECT_TRUE(form->menu().undoAction->isEnabled() && !form->menu().redoAction->isEnabled());
    form->menu().undoAction->trigger();
    EXPECT_EQ(cells(), handedOver);
    form->menu().redoAction->trigger();
    EXPECT_EQ(cells()(4, 4), handedOver(1, 1));
    form->menu().restartAction->trigger();
    EXPECT_EQ(cells(), handedOver);
    EXPECT_EQ(corner->text(), "0 moves  0:00");

    // A hint: its frames over the board, gone at the next input.
    form->menu().hintAction->trigger();
    const Move hint = *form->session().input().hint();
    const PixelRect from = puzzle().geometry().windowRect(hint.from.column, hint.from.row);
    const auto framed = [&] { return onScreen().pixel(from.x + 3, from.y + 3) & 0xFFFFFF; };
    EXPECT_EQ(framed(), 0x28C83Cu);
    QTest::mouseClick(board(), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_NE(framed(), 0x28C83Cu);

    // Won by the last move, with the par; in Spanish too.
    start(2, 1, picture(800, 300));
    drag(1, 1, 2, 1);
    EXPECT_EQ(boxes.take(), QStringList{"You've got it!"});
    EXPECT_EQ(corner->text(), "1 move (par 1)  0:00");
    form->menu().spanishAction->trigger();
    form->menu().spanishAction->trigger();
    EXPECT_TRUE(form->menu().spanishAction->isChecked() && !form->menu().englishAction->isChecked());
    EXPECT_EQ(settings(), QByteArray(" 1 \r\n"));
    EXPECT_EQ(corner->text(), "1 movimiento (par 1)  0:00");
    auto* dialog = form->findChild<NewPuzzleDialog*>();
    EXPECT_EQ(dialog->findChild<QLabel*>("Label2")->text(), "Puzzle de 16 piezas (4x4)");
    // The dialog is handed each new language, and counts pieces in it.
    form->menu().englishAction->trigger();
    dialog->findChild<QListWidget*>("ListX")->setCurrentRow(4);
    EXPECT_EQ(dialog->findChild<QLabel*>("Label2")->text(), "20 pieces puzzle (5x4)");
    dialog->findChild<QListWidget*>("ListX")->setCurrentRow(3);
    form->menu().spanishAction->trigger();
    EXPECT_TRUE(overlay()->isVisible() && form->windowTitle() == "Tessaron  -  pic.bmp");
    EXPECT_FALSE(form->menu().undoAction->isEnabled() || form->menu().hintAction->isEnabled()
        || form->menu().showImageAction->isEnabled());

    // A window too narrow for it: not shown, still heard.
    start(2, 1, picture(120, 90));
    QApplication::processEvents();
    EXPECT_FALSE(corner->isVisible());
    EXPECT_EQ(heard(), "0 movimientos  0:00");
    form->menu().howToPlayAction->trigger();
    const QStringList told = boxes.take();
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].startsWith(QString::fromUtf8("Estilo normal: pulsa")));

    // Whatever a menu's work throws stops at the window: a run-time error as its box,
    // anything else as Internal error, and the game plays on.
    const std::function<void()> failures[] = {[] { throw RuntimeError(err::PermissionDenied); },
        [] { throw std::logic_error("no such move"); }, [] { throw std::bad_alloc(); }};
    for (const auto& failure : failures) {
        boxes.onBox = [&, first = true]() mutable {
            if (std::exchange(first, false))
                failure();
        };
        form->menu().howToPlayAction->trigger();
        boxes.onBox = {};
    }
    EXPECT_EQ(boxes.take().filter("Error:"), (QStringList{"Error: 70.  Permission denied",
        "Error: 51.  Internal error", "Error: 7.  Out of memory"}));
    form->menu().hintAction->trigger();
    EXPECT_TRUE(form->session().input().hint());
}

// Larger than the screen, a photo keeps its top-left part, which is all that is decoded,
// unless "Fit to the screen" scales all of it down; stretched to the screen, the picture
// area is taller (or wider) than its picture and the window's colour fills the rest. Every
// place still moves whole, so after the shuffle each place shows its piece: the picture's
// pixels, or the window's colour past the picture. Where the picture fills its frame no
// seam of the window's colour is shuffled in: cut to a small screen, the picture area can
// be a fraction of a pixel narrower than its frame, and the last places reach up to the
// frame. The far corner's piece, past the 16-bit range of twips on a large screen, still
// goes where it is dragged, and what reaches the screen is then the board, pixel for
// pixel, pieces taller than a painting band included.
TEST_F(GameWindowTest, PicturesCutFittedOrStretchedByTheScreenKeepEveryPlaceWhole)
{
    const struct {
        QSize size;
        std::int16_t columns, rows;
        const char* name;
        bool fit = false;
        QRect screen = {0, 0, 1280, 1024};
    } cases[] = {{{1600, 1300}, 1, 1, "photo.jpg"}, {{500, 890}, 4, 4, "a.bmp"}, {{500, 900}, 4, 4, "b.bmp"},
        {{1150, 300}, 4, 4, "c.bmp"}, {{2600, 1100}, 3, 3, "wide.bmp"}, {{2600, 1100}, 3, 3, "wide.bmp", true},
        {{2000, 1500}, 12, 9, "seams.bmp"}, {{2600, 300}, 8, 4, "full width.bmp", false, {0, 0, 2560, 1440}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name + std::string(c.fit ? " fitted" : ""));
        makeForm(c.screen).show();
        const QString path = picture(c.size.width(), c.size.height(), c.name);
        start(c.columns, c.rows, path, false, c.fit);
        const PixelRect area = puzzle().geometry().pictureArea();
        ASSERT_TRUE(area.w != c.size.width() || area.h != c.size.height());  // the case in point
        QImage source = loadPicture(path);
        if (c.fit)
            source = source.scaled(area.w, area.h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const Surface& surface = puzzle().boardSurface();
        const Pixel window = surface.pixel(1, 1);
        EXPECT_EQ(wrongPiecePixels(puzzle(), [&](int x, int y) {
            return source.rect().contains(x, y) ? source.pixel(x, y) | 0xFF000000u : window;
        }), 0);
        const PixelRect inside = puzzle().geometry().framedArea();
        if (source.width() >= area.w && source.height() >= area.h) {
            EXPECT_EQ(count(QRect(inside.x, inside.y, inside.w, inside.h), 1,
                          [&](int x, int y) { return surface.pixel(x, y) == window; }), 0);
        }
        const BoardArray before = cells();
        drag(c.columns, c.rows, 1, 1);
        EXPECT_EQ(cells()(1, 1), before(c.columns, c.rows));
        if (boxes.take().isEmpty()) {  // unless that won, and the finished picture lies over the board
            const QImage shown = onScreen();
            EXPECT_EQ(count(QRect(0, 0, surface.width(), surface.height()), 3,
                          [&](int x, int y) { return shown.pixel(x, y) != surface.pixel(x, y); }), 0);
        }
    }
}

}  // namespace
}  // namespace tessaron
