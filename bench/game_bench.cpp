// The game's hot paths in the real window, each against its physical bound in the same
// run: a 75 x 75 puzzle's creation against memcpy of the bytes its exchanges move, and a
// move from release to refreshed screen against memcpy of its three piece copies.
// Run offscreen for the hidden figures; under xvfb-run (QT_QPA_PLATFORM=xcb) the
// "Visible" benchmark shows the shuffle as a player sees it.
// Also prints the memory a large photo's puzzle takes.

#include "ui/board/main_window.h"
#include "ui/platform/native_names.h"
#include "core/board/random_source.h"
#include "ui/platform/picture_loader.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QTemporaryDir>

#include "peak_memory.h"
#include "ratio_reporter.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <string>

namespace {

using namespace tessaron;

QString g_picture;  // 1920 x 1080 BMP

ScreenMetrics bigScreen()
{
    ScreenMetrics metrics;
    metrics.available = QRect(0, 0, 2560, 1600);  // the picture fits uncut
    return metrics;
}

struct Window {
    MainWindow form{bigScreen()};
    const Puzzle& puzzle() const { return form.session().puzzle(); }
    explicit Window(bool visible)
    {
        if (visible)
            form.show();
    }
    void start(std::int16_t grid)
    {
        form.startPuzzle({.path = nativeFromName(g_picture), .name = "bench.bmp", .columns = grid, .rows = grid});
    }
};

std::int64_t pieceBytes(std::int16_t grid)
{
    const std::int64_t w = 1920 / grid, h = 1080 / grid;
    return w * h * 4;
}

void startPuzzle(benchmark::State& state, bool visible)
{
    Window window(visible);
    for (auto _ : state)
        window.start(75);
}

void BM_StartPuzzle75Hidden(benchmark::State& state) { startPuzzle(state, false); }

// The same without reading and decoding the file, nor a window: the puzzle made from the
// loaded picture, drawn and shuffled.
struct NoScreen : BoardScreen {
    void placeNewPuzzle(const Puzzle&) override {}
    void showChanges(const Damage&) override {}
    void settle() override {}
    void showPlayState(const PlayState&) override {}
    void showInput(const BoardInput&, const std::optional<BoardReport>&) override {}
    void showRecord(const PlayRecord&) override {}
    bool announceVictory() override { return true; }
};

void BM_BuildPuzzle75Hidden(benchmark::State& state)
{
    Window window(false);
    window.start(75);
    const Puzzle& shown = window.puzzle();
    PuzzlePlan plan;
    plan.columns = plan.rows = 75;
    plan.layout = shown.layout();
    plan.boardWidth = shown.boardSurface().width();
    plan.boardHeight = shown.boardSurface().height();
    const QImage picture = loadPicture(g_picture).convertToFormat(QImage::Format_RGB32);
    NoScreen screen;
    PuzzleSession session(screen);
    for (auto _ : state) {
        Surface area(shown.wholePicture().width(), shown.wholePicture().height());
        for (int y = 0; y < std::min(area.height(), picture.height()); ++y)
            std::memcpy(area.row(y), picture.constScanLine(y),
                static_cast<std::size_t>(std::min(area.width(), picture.width())) * sizeof(Pixel));
        session.start(Puzzle::build(std::move(area), plan), 99);
    }
}
void BM_StartPuzzle75Visible(benchmark::State& state) { startPuzzle(state, true); }

// The bounds copy exactly the bytes the game moves: the same rectangles of surfaces of
// the same sizes, a memcpy per row, since a piece's rows are apart in the picture and
// no copy can move them as one block. Nothing else: no geometry, clipping or drawing.
struct Bound {
    Surface window, scratch, picture;
    std::vector<PixelRect> copies;  // destination, source, alternately
    std::vector<const Surface*> from;
    std::vector<Surface*> to;
    explicit Bound(MainWindow& form)
        : window(form.session().puzzle().boardSurface().width(), form.session().puzzle().boardSurface().height()),
          scratch(form.session().puzzle().geometry().pieceRect().w, form.session().puzzle().geometry().pieceRect().h),
          picture(form.session().puzzle().wholePicture().width(), form.session().puzzle().wholePicture().height())
    {
    }
    // The three copies of an exchange, in the game's order.
    void exchange(const PlaceGeometry& geometry, std::int32_t fromX, std::int32_t fromY, std::int32_t toX, std::int32_t toY)
    {
        const PixelRect a = geometry.windowRect(fromX, fromY), b = geometry.windowRect(toX, toY);
        const PixelRect s{0, 0, b.w, b.h};
        add(scratch, s, window, a);
        add(window, a, window, b);
        add(window, b, scratch, s);
    }
    void add(Surface& dst, PixelRect d, const Surface& src, PixelRect r)
    {
        to.push_back(&dst);
        from.push_back(&src);
        copies.push_back(d);
        copies.push_back(r);
    }
    void run()
    {
        for (std::size_t i = 0; i < to.size(); ++i) {
            const PixelRect& d = copies[2 * i];
            const PixelRect& r = copies[2 * i + 1];
            const auto bytes = static_cast<std::size_t>(d.w) * sizeof(Pixel);
            for (std::int32_t y = 0; y < d.h; ++y)
                std::memcpy(to[i]->row(d.y + y) + d.x, from[i]->row(r.y + y) + r.x, bytes);
        }
    }
};

// The bound of a 75 x 75 creation: the picture copied once onto the board, then the
// shuffle's exchanges, drawn from the same seed as the game's.
void BM_StartPuzzle75Memcpy(benchmark::State& state)
{
    Window window(false);
    window.start(75);
    Bound bound(window.form);
    const PlaceGeometry geometry = window.puzzle().geometry();
    const PixelRect area = geometry.pictureArea();
    bound.add(bound.window, area, bound.picture, {0, 0, area.w, area.h});
    RandomSource random(99);
    for (int i = 0; i < 5 * 75 * 75; ++i) {
        const std::int32_t fromX = random.draw(75), toX = random.draw(75);
        const std::int32_t fromY = random.draw(75), toY = random.draw(75);
        bound.exchange(geometry, fromX, fromY, toX, toY);
    }
    for (auto _ : state) {
        bound.run();
        benchmark::ClobberMemory();
    }
}

// The same byte count in contiguous blocks, as if pieces were stored whole: not a bound
// the game can reach, shown for comparison.
void BM_StartPuzzle75Contiguous(benchmark::State& state)
{
    const std::size_t picture = 1920u * 1080u * 4u;
    const auto piece = static_cast<std::size_t>(pieceBytes(75));
    std::vector<char> a(picture, 1), b(picture, 2);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), picture);
        for (int i = 0; i < 5 * 75 * 75; ++i) {
            const std::size_t at = (static_cast<std::size_t>(i) * 7919u * piece) % (picture - piece);
            std::memcpy(b.data() + at, a.data() + at, piece);
            std::memcpy(a.data() + at, b.data() + at, piece);
            std::memcpy(b.data() + at, a.data() + at, piece);
        }
        benchmark::ClobberMemory();
    }
}

void move4x4(benchmark::State& state, bool visible)
{
    Window window(visible);
    window.start(4);
    const float cell = 1920.0f * 15 / 4;
    const float left = static_cast<float>(window.puzzle().layout().left);
    const float top = static_cast<float>(window.puzzle().layout().top);
    QWidget* board = window.form.findChild<QWidget*>(QStringLiteral("Form1Client"));
    // The press and the release as the window receives them, in its pixels.
    const auto mouse = [board](QEvent::Type type, float x, float y) {
        const QPointF at(x / 15.0f, y / 15.0f);
        QMouseEvent event(type, at, board->mapToGlobal(at), Qt::LeftButton,
            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(board, &event);
    };
    int i = 0;
    for (auto _ : state) {
        const float x1 = left + cell * static_cast<float>(i % 4) + 100;
        const float x2 = left + cell * static_cast<float>((i + 1) % 4) + 100;
        mouse(QEvent::MouseButtonPress, x1, top + 100);
        mouse(QEvent::MouseButtonRelease, x2, top + 100);
        ++i;
    }
}

void BM_Move4x4(benchmark::State& state) { move4x4(state, true); }
// Without a window on the screen: the move itself, no painting.
void BM_Move4x4Hidden(benchmark::State& state) { move4x4(state, false); }

// The bound of a move: its three piece copies, the same places in the same order.
void BM_Move4x4Memcpy(benchmark::State& state)
{
    Window window(false);
    window.start(4);
    Bound bound(window.form);
    const PlaceGeometry geometry = window.puzzle().geometry();
    for (int i = 0; i < 4; ++i)
        bound.exchange(geometry, i % 4 + 1, 1, (i + 1) % 4 + 1, 1);
    for (auto _ : state) {
        bound.run();
        benchmark::ClobberMemory();
    }
    state.counters["moves"] = 4;
}

BENCHMARK(BM_StartPuzzle75Hidden)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildPuzzle75Hidden)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartPuzzle75Visible)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartPuzzle75Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartPuzzle75Contiguous)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Move4x4)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Move4x4Hidden)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Move4x4Memcpy)->Unit(benchmark::kMicrosecond);


// Peak memory of a puzzle made from a large photo, above the idle program's.
void reportMemory(const QString& photo)
{
    if (!QFile::exists(photo))
        return;
    MainWindow form(bigScreen());
    form.show();
    QCoreApplication::processEvents();
    // Reset the high-water mark so only what follows counts.
    const long idle = restartPeak();
    {
        const QImage alone = loadPicture(photo);
        std::cout << "Loading alone: peak " << static_cast<double>(peakKb() - idle) / 1024.0 << " MiB above idle\n";
    }
    restartPeak();
    form.startPuzzle({.path = nativeFromName(photo), .name = "photo.jpg"});
    const long peak = peakKb();
    const QImage decoded = loadPicture(photo);
    const double decodedKb = static_cast<double>(decoded.sizeInBytes()) / 1024.0;
    std::cout << "Puzzle from " << photo.toStdString() << ": peak " << static_cast<double>(peak - idle) / 1024.0
              << " MiB above idle; decoded picture " << decodedKb / 1024.0 << " MiB; ratio "
              << static_cast<double>(peak - idle) / decodedKb << " (target <= 2)\n";
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    g_picture = dir.filePath("bench.bmp");
    QImage picture(1920, 1080, QImage::Format_RGB32);
    for (int y = 0; y < 1080; ++y)
        for (int x = 0; x < 1920; ++x)
            picture.setPixel(x, y, qRgb(x & 255, y & 255, (x ^ y) & 255));
    picture.save(g_picture);

    benchmark::Initialize(&argc, argv);
    // Before the benchmarks: memory they freed could otherwise be handed back without new
    // pages, and the peak would look smaller than a fresh game's.
    const char* corpus = std::getenv("TESSARON_TESTDATA");
    reportMemory(QString::fromUtf8(corpus ? corpus : TESSARON_TESTDATA)
        + "/good/jpeg-photo-dragonfly-4224x3168.jpg");
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ratio = [&](const char* what, const std::string& a, const std::string& b, const char* target) {
        if (reporter.cpu(a) > 0 && reporter.cpu(b) > 0)
            std::cout << what << ": " << reporter.cpu(a) / reporter.cpu(b) << " (target " << target << ")\n";
    };
    std::cout << "\n";
    std::cout << "(CPU time, so that other work on the machine does not count)\n";
    ratio("StartPuzzle 75 x 75 hidden / memcpy", "BM_StartPuzzle75Hidden", "BM_StartPuzzle75Memcpy", "<= 3");
    ratio("  of which building from the loaded picture / memcpy", "BM_BuildPuzzle75Hidden", "BM_StartPuzzle75Memcpy", "<= 3");
    ratio("  (against the same byte count in contiguous blocks)", "BM_StartPuzzle75Hidden", "BM_StartPuzzle75Contiguous", "none");
    // The move bound runs four moves per iteration.
    const auto move = [&](const char* what, const std::string& a) {
        if (reporter.cpu(a) > 0 && reporter.cpu("BM_Move4x4Memcpy") > 0)
            std::cout << what << ": " << 4 * reporter.cpu(a) / reporter.cpu("BM_Move4x4Memcpy") << " (target <= 3)\n";
    };
    move("Move 4 x 4, release to repainted window / memcpy", "BM_Move4x4");
    move("  the move alone, window hidden / memcpy", "BM_Move4x4Hidden");
    ratio("StartPuzzle 75 x 75 visible / hidden", "BM_StartPuzzle75Visible", "BM_StartPuzzle75Hidden", "<= 3");
    benchmark::Shutdown();
    return 0;
}
