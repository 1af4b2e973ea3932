// "Fit to the screen" on a 24-megapixel photo (6000 x 4000, made here): from OK to the
// playable board in a hidden window, against djpeg decoding the same file at the libjpeg
// scale that covers the board's picture, in the same run; and the start's peak memory
// against the scaled picture and the file.

#include "ui/board/main_window.h"
#include "ui/platform/native_names.h"
#include "ui/platform/picture_loader.h"

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>

#include "peak_memory.h"
#include "peer.h"
#include "ratio_reporter.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <iostream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace tessaron;

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

ScreenMetrics desktop()
{
    ScreenMetrics metrics;
    metrics.available = QRect(0, 0, 1920, 1040);  // a full-HD screen less its panel
    return metrics;
}

PuzzleChoice fitted(const QString& photo)
{
    return {.path = nativeFromName(photo), .name = "photo.jpg", .fitToScreen = true};
}

// Something a camera could have taken, as far as the coder is concerned: broad light,
// soft shapes, fine texture and sensor grain, at quality 90 with the colour halved each
// way, as cameras save. Written by a child process, so none of its 96 MB of pixels is
// left in this one's heap to flatter the memory figures.
bool writePhoto(const QString& path)
{
    const pid_t child = ::fork();
    if (child == 0) {
        QImage image(kWidth, kHeight, QImage::Format_RGB32);
        std::uint32_t noise = 12345;
        for (int y = 0; y < kHeight; ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            const auto py = static_cast<float>(y);
            const float fy = py / kHeight;
            for (int x = 0; x < kWidth; ++x) {
                const auto px = static_cast<float>(x);
                const float fx = px / kWidth;
                const float shape = 40.0f * std::sin(fx * 9.0f + 2.0f * std::sin(fy * 7.0f));
                const float texture = 18.0f * std::sin(px * 0.21f + 3.0f * std::sin(py * 0.013f))
                    * std::sin(py * 0.17f + 2.0f * std::sin(px * 0.011f));
                noise = noise * 1664525u + 1013904223u;
                const float grain = static_cast<float>(noise >> 28) - 7.5f;
                const auto channel = [&](float base) {
                    return static_cast<int>(std::clamp(base + shape + texture + grain, 0.0f, 255.0f));
                };
                row[x] = qRgb(channel(70 + 120 * fy), channel(110 + 60 * fx), channel(170 - 110 * fy));
            }
        }
        QImageWriter writer(path, "jpeg");
        writer.setQuality(90);
        ::_exit(writer.write(image) ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_FittedStart(benchmark::State& state, const QString& photo)
{
    MainWindow form(desktop());
    for (auto _ : state)
        form.startPuzzle(fitted(photo));
}

// libjpeg-turbo's own decoder at a reduced scale, writing its pixels nowhere: the bound.
void BM_Djpeg(benchmark::State& state, const PeerCommand& command)
{
    for (auto _ : state) {
        if (command.run() != 0) {
            state.SkipWithError("djpeg failed");
            return;
        }
    }
}

// Peak memory of the fitted start above the idle window's, then of the fitted load alone,
// measured before the benchmarks, whose freed buffers the allocator could otherwise hand
// back without new pages. Answers the size of the board's picture.
QSize reportMemory(const QString& photo)
{
    MainWindow form(desktop());
    QCoreApplication::processEvents();
    const long idle = restartPeak();
    form.startPuzzle(fitted(photo));
    const double peak = static_cast<double>(peakKb() - idle) / 1024.0;
    const Puzzle& puzzle = form.session().puzzle();
    const PixelRect area = puzzle.geometry().pictureArea();
    const double scaled = static_cast<double>(area.w) * area.h * 4 / (1024.0 * 1024.0);
    const double file = static_cast<double>(QFileInfo(photo).size()) / (1024.0 * 1024.0);
    // The puzzle's surfaces lie in whole 2 MiB pages, and ordinary pages past the last.
    double kept = 0;
    double keptInPages = 0;
    const PixelRect piece = puzzle.geometry().pieceRect();  // the scratch surface of exchanges
    const QSize sizes[] = {{piece.w, piece.h}, {puzzle.wholePicture().width(), puzzle.wholePicture().height()},
        {puzzle.boardSurface().width(), puzzle.boardSurface().height()}};
    for (const QSize size : sizes) {
        const double bytes = static_cast<double>(size.width()) * size.height() * 4;
        kept += bytes / (1024.0 * 1024.0);
        keptInPages += std::ceil(bytes / 4096.0) * 4096.0 / (1024.0 * 1024.0);
    }
    const double bound = 1.5 * scaled + file;
    std::cout << "Fitted start of the " << kWidth << " x " << kHeight << " photo (" << area.w << " x " << area.h
              << " on the board): peak " << peak << " MiB above idle; scaled picture " << scaled << " MiB, file "
              << file << " MiB; ratio to 1.5 x scaled + file " << peak / bound << " (target <= 1)\n"
              << "  of which the puzzle keeps " << kept << " MiB, " << keptInPages
              << " MiB in pages (its piece scratch, its finished picture and its board)\n";
    const QSize board(area.w, area.h);
    const long before = restartPeak();
    {
        const QImage alone = loadFittedPicture(photo, [board](QSize) { return board; });
        const double loading = static_cast<double>(peakKb() - before) / 1024.0;
        std::cout << "  the fitted load alone: peak " << loading
                  << " MiB above what it starts from; ratio to 1.5 x scaled + file " << loading / bound << "\n\n";
    }
    return board;
}

// The smallest of djpeg's scales, M/8, whose picture covers `size`: the one our loader
// decodes at, by libjpeg's own rounding up.
int eighthsCovering(QSize size)
{
    for (int eighths = 1; eighths < 8; ++eighths)
        if ((kWidth * eighths + 7) / 8 >= size.width() && (kHeight * eighths + 7) / 8 >= size.height())
            return eighths;
    return 8;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    const QString photo = dir.filePath("photo.jpg");
    if (!writePhoto(photo)) {
        std::fprintf(stderr, "FIT BENCHMARK FAILED: could not write the %d x %d photo\n", kWidth, kHeight);
        return 1;
    }
    const QSize board = reportMemory(photo);
    const int eighths = eighthsCovering(board);
    Peer djpegPeer("djpeg", "libjpeg-turbo-progs");
    const PeerCommand decode = djpegPeer.command(
        {"-scale", std::to_string(eighths) + "/8", "-outfile", "/dev/null", photo.toStdString()});
    if (djpegPeer.works(decode, "the photo"))
        benchmark::RegisterBenchmark("BM_Djpeg", BM_Djpeg, std::cref(decode))
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    benchmark::RegisterBenchmark("BM_FittedStart", BM_FittedStart, photo)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double djpeg = reporter.real("BM_Djpeg/real_time");
    const double start = reporter.real("BM_FittedStart/real_time");
    const QSize covered((kWidth * eighths + 7) / 8, (kHeight * eighths + 7) / 8);
    std::cout << "\nFit to the screen, " << kWidth << " x " << kHeight << " photo to " << board.width() << " x "
              << board.height() << "; djpeg -scale " << eighths << "/8 gives " << covered.width() << " x "
              << covered.height() << (covered == board ? "" : ", the nearest scale at least that size") << "\n";
    if (djpeg > 0 && start > 0)
        std::cout << "  fitted start / djpeg: " << start / djpeg << " (target <= 1.5; " << start * 1000
                  << " ms against " << djpeg * 1000 << " ms)\n";
    benchmark::Shutdown();
    if (djpegPeer.failed() || djpeg <= 0 || start <= 0) {
        std::cout.flush();
        std::fprintf(stderr, "FIT BENCHMARK FAILED: fitted start / djpeg has no ratio%s\n",
            djpegPeer.failed() ? "; djpeg failed, see PEER FAILED above" : "");
        return 1;
    }
    return 0;
}
