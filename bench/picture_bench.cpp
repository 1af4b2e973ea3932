// The picture loader on a 13-megapixel progressive photo against djpeg decoding the same
// file in the same run, and its preview against its full load. Prints both ratios, and
// what loading only a screenful of the photo costs in peak memory and in time.
// With --picture=PATH it measures that one file instead: see measurePicture.

#include "ui/platform/picture_loader.h"
#include "core/platform/runtime_error.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>

#include "peak_memory.h"
#include "peer.h"
#include "ratio_reporter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <string>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace tessaron;

const QString kPhoto = QStringLiteral(TESSARON_TESTDATA "/good/jpeg-photo-dragonfly-4224x3168.jpg");
constexpr QSize kPreviewBox(217, 217);  // the dialog's 3255-twip square at 15 twips a pixel
constexpr QSize kScreen(2560, 1600);    // what the game keeps of a picture larger than the screen

QSize keepScreen(QSize natural)
{
    return natural.boundedTo(kScreen);
}

void BM_LoadPicture(benchmark::State& state)
{
    if (!QFile::exists(kPhoto)) {
        state.SkipWithError("picture corpus not found");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(loadPicture(kPhoto).constBits());
}

void BM_LoadPreview(benchmark::State& state)
{
    if (!QFile::exists(kPhoto)) {
        state.SkipWithError("picture corpus not found");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(loadPreview(kPhoto, kPreviewBox).constBits());
}

void BM_LoadPicturePart(benchmark::State& state)
{
    if (!QFile::exists(kPhoto)) {
        state.SkipWithError("picture corpus not found");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(loadPicturePart(kPhoto, keepScreen).image.constBits());
}

// libjpeg-turbo's own command-line decoder, writing its pixels nowhere: the bound.
void BM_Djpeg(benchmark::State& state, const PeerCommand& command)
{
    for (auto _ : state) {
        if (command.run() != 0) {
            state.SkipWithError("djpeg failed");
            return;
        }
    }
}

BENCHMARK(BM_LoadPicture)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadPreview)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadPicturePart)->Unit(benchmark::kMillisecond)->UseRealTime();

// Peak memory of loading a screenful of the photo, above the idle program's, against the
// whole decoded photo. Measured before the benchmarks, whose freed buffers the allocator
// could otherwise hand back without new pages.
void reportPartMemory()
{
    if (!QFile::exists(kPhoto))
        return;
    const long idle = restartPeak();
    QSize natural;
    {
        const PicturePart part = loadPicturePart(kPhoto, keepScreen);
        natural = part.natural;
    }
    const double peak = static_cast<double>(peakKb() - idle);
    const double wholeKb = static_cast<double>(natural.width()) * natural.height() * 4 / 1024.0;
    std::cout << "Part " << kScreen.width() << " x " << kScreen.height() << " of the photo: peak "
              << peak / 1024.0 << " MiB above idle; whole decoded " << wholeKb / 1024.0 << " MiB; ratio "
              << peak / wholeKb << " (target <= 2)\n\n";
}


// Previews `path` as the new-puzzle dialog does, loads the screenful the board keeps and
// loads it whole, each once in a child process of its own (run the program under
// `prlimit --as=...` to see it short of memory), and prints the time, the peak resident
// memory and what came of it: a picture, an error number, or the signal that ended it.
int measurePicture(const QString& path)
{
    const struct {
        const char* name;
        std::function<QImage()> load;
    } ways[] = {
        {"preview", [&] { return loadPreview(path, kPreviewBox); }},
        {"part", [&] { return loadPicturePart(path, keepScreen).image; }},
        {"load", [&] { return loadPicture(path); }},
    };
    std::cout << path.toStdString() << "\n";
    for (const auto& way : ways) {
        std::cout.flush();
        QElapsedTimer timer;
        timer.start();
        const pid_t child = ::fork();
        if (child == 0) {
            const long idle = restartPeak();
            std::string outcome;
            try {
                const QImage image = way.load();
                outcome = std::to_string(image.width()) + " x " + std::to_string(image.height());
            } catch (const RuntimeError& error) {
                outcome = error.what();
            }
            std::cout << "  " << way.name << ": " << timer.elapsed() << " ms, peak " << peakKb() / 1024
                      << " MiB (" << (peakKb() - idle) / 1024 << " above idle): " << outcome << std::endl;
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        if (WIFSIGNALED(status))
            std::cout << "  " << way.name << ": " << timer.elapsed() << " ms: ended by signal " << WTERMSIG(status)
                      << (WTERMSIG(status) == SIGABRT ? " (abort)" : "") << std::endl;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--picture=", 10) == 0)
            return measurePicture(QString::fromLocal8Bit(argv[i] + 10));
    benchmark::Initialize(&argc, argv);
    const bool corpus = QFile::exists(kPhoto);
    Peer djpegPeer("djpeg", "libjpeg-turbo-progs");
    const PeerCommand decode = djpegPeer.command({"-outfile", "/dev/null", kPhoto.toStdString()});
    if (corpus && djpegPeer.works(decode, "the photo"))
        benchmark::RegisterBenchmark("BM_Djpeg", BM_Djpeg, std::cref(decode))
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    reportPartMemory();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double djpeg = reporter.real("BM_Djpeg/real_time");
    const double load = reporter.real("BM_LoadPicture/real_time");
    const double preview = reporter.real("BM_LoadPreview/real_time");
    const double part = reporter.real("BM_LoadPicturePart/real_time");
    std::cout << "\nPicture loader on the 4224 x 3168 progressive photo\n";
    if (djpeg > 0 && load > 0)
        std::cout << "  load / djpeg: " << load / djpeg << " (target: <= 1.3; " << load * 1000 << " ms against "
                  << djpeg * 1000 << " ms)\n";
    else if (corpus)
        std::cout << "  load / djpeg: FAILED, no time for one of them\n";
    else
        std::cout << "  load / djpeg: skipped (needs ../shared/testdata)\n";
    if (load > 0 && preview > 0)
        std::cout << "  load / preview: " << load / preview << " (target: >= 4)\n";
    else
        std::cout << "  load / preview: skipped (needs ../shared/testdata)\n";
    if (load > 0 && part > 0)
        std::cout << "  part " << kScreen.width() << " x " << kScreen.height() << " / load: " << part / load
                  << " (" << part * 1000 << " ms against " << load * 1000 << " ms)\n";
    else
        std::cout << "  part / load: skipped (needs ../shared/testdata)\n";
    benchmark::Shutdown();
    if (djpegPeer.failed() || (corpus && (djpeg <= 0 || load <= 0))) {
        std::cout.flush();
        std::fprintf(stderr, "PICTURE BENCHMARK FAILED: load / djpeg has no ratio%s\n",
            djpegPeer.failed() ? "; djpeg failed, see PEER FAILED above" : "");
        return 1;
    }
    return 0;
}
