// The game's hot paths in the real window, each against its physical bound in the same
// run: a 75 x 75 puzzle's creation against memcpy of the bytes its exchanges move, and a
// move from release to refreshed screen against memcpy of its three piece copies.
// Run offscreen for the hidden figures; under xvfb-run (QT_QPA_PLATFORM=xcb) the
// "Visible" benchmark shows the shuffle as a player sees it.
// Also prints the memory a large photo's puzzle takes.

#include "board/form1.h"
#include "platform/picture_loader.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

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
    GameState state;
    Form1 form{state, bigScreen()};
    explicit Window(bool visible)
    {
        state.TwipsX = state.TwipsY = 15.0f;
        form.setShuffleSeed(99);
        if (visible)
            form.show();
    }
    void start(std::int16_t grid)
    {
        state.PiecesX = state.PiecesY = grid;
        form.StartPuzzle({g_picture, "bench.bmp", false});
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
    state.counters["exchanges"] = static_cast<double>(window.form.game().exchangeCount());
}

void BM_StartPuzzle75Hidden(benchmark::State& state) { startPuzzle(state, false); }

// The same without reading and decoding the file: layout, drawing and the shuffle.
void BM_BuildPuzzle75Hidden(benchmark::State& state)
{
    Window window(false);
    window.state.PiecesX = window.state.PiecesY = 75;
    const QImage picture = loadPicture(g_picture);
    for (auto _ : state)
        window.form.buildPuzzle(picture, {g_picture, "bench.bmp", false});
}
void BM_StartPuzzle75Visible(benchmark::State& state) { startPuzzle(state, true); }

// The bound of a 75 x 75 creation: the picture copied once, then 28,125 exchanges of
// three piece copies each.
void BM_StartPuzzle75Memcpy(benchmark::State& state)
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
    const float left = static_cast<float>(window.form.fields().BoardLeft);
    const float top = static_cast<float>(window.form.fields().BoardTop);
    int i = 0;
    for (auto _ : state) {
        const float x1 = left + cell * static_cast<float>(i % 4) + 100;
        const float x2 = left + cell * static_cast<float>((i + 1) % 4) + 100;
        window.form.Form_MouseDown(1, 0, x1, top + 100);
        window.form.Form_MouseUp(1, 0, x2, top + 100);
        ++i;
    }
}

void BM_Move4x4(benchmark::State& state) { move4x4(state, true); }
// Without a window on the screen: the move itself, no painting.
void BM_Move4x4Hidden(benchmark::State& state) { move4x4(state, false); }

void BM_Move4x4Memcpy(benchmark::State& state)
{
    const auto piece = static_cast<std::size_t>(pieceBytes(4));
    std::vector<char> a(piece * 2, 1), b(piece, 2);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), piece);
        std::memcpy(a.data(), a.data() + piece, piece);
        std::memcpy(a.data() + piece, b.data(), piece);
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_StartPuzzle75Hidden)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildPuzzle75Hidden)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartPuzzle75Visible)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartPuzzle75Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Move4x4)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Move4x4Hidden)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Move4x4Memcpy)->Unit(benchmark::kMicrosecond);


long statusKb(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::strlen(field)));
    return 0;
}

// Peak memory of a puzzle made from a large photo, above the idle program's.
void reportMemory(const QString& photo)
{
    if (!QFile::exists(photo))
        return;
    GameState state;
    state.TwipsX = state.TwipsY = 15.0f;
    Form1 form(state, bigScreen());
    form.show();
    QCoreApplication::processEvents();
    // Reset the high-water mark so only what follows counts.
    std::ofstream("/proc/self/clear_refs") << "5";
    const long idle = statusKb("VmHWM:");
    {
        const QImage alone = loadPicture(photo);
        std::cout << "Loading alone: peak " << static_cast<double>(statusKb("VmHWM:") - idle) / 1024.0 << " MiB above idle\n";
    }
    std::ofstream("/proc/self/clear_refs") << "5";
    state.PiecesX = state.PiecesY = 4;
    form.StartPuzzle({photo, "photo.jpg", false});
    const long peak = statusKb("VmHWM:");
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
    ratio("Move 4 x 4 / memcpy", "BM_Move4x4", "BM_Move4x4Memcpy", "<= 3");
    ratio("StartPuzzle 75 x 75 visible / hidden", "BM_StartPuzzle75Visible", "BM_StartPuzzle75Hidden", "<= 3");
    const char* corpus = std::getenv("TESSARON_TESTDATA");
    reportMemory(QString::fromUtf8(corpus ? corpus : TESSARON_TESTDATA)
        + "/good/jpeg-photo-dragonfly-4224x3168.jpg");
    benchmark::Shutdown();
    return 0;
}
