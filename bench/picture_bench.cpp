// The picture loader on a 13-megapixel progressive photo against djpeg decoding the same
// file in the same run, and its preview against its full load. Prints both ratios, and
// what loading only a screenful of the photo costs in peak memory and in time. Then the
// previews of pictures built to keep the new-puzzle dialog busy (a 16384 x 16384 GIF and
// 32-bit BMP, a small run-length BMP followed by a gigabyte of zeros), each of which must
// be done within 2 s and 1.5 GiB, and the same pictures fitted to a large screen, as
// "Fit to the screen" asks from OK, the GIF's fit also against decoding its codes alone;
// and a screenful kept of a 16384 x 16384 RLE8 BMP, as a puzzle without "Fit to the
// screen" takes it, within 400 MiB, alone and padded to 1.1 GB. Then the slowest file of
// the corpus's broken pictures, whole and as a preview, against a second.
// With --picture=PATH it measures that one file instead: see measurePicture.

#include "ui/platform/picture_loader.h"
#include "core/platform/gif_frame.h"
#include "core/platform/runtime_error.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtEndian>

#include "peak_memory.h"
#include "peer.h"
#include "ratio_reporter.h"
#include "support/gif_writer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
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

QSize fitScreen(QSize natural)
{
    return natural.scaled(kScreen, Qt::KeepAspectRatio).boundedTo(natural);
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


// The bytes this process has read from files so far.
long long bytesRead()
{
    std::ifstream io("/proc/self/io");
    std::string field;
    long long value = 0;
    while (io >> field >> value)
        if (field == "rchar:")
            return value;
    return 0;
}

// Runs `load` once in a child process of its own (run the program under `prlimit --as=...`
// to see it short of memory) and prints the time, the peak resident memory, the bytes
// read and what came of it: a picture, an error number, or the signal that ended it.
void measureOnce(const std::string& name, const std::function<QImage()>& load)
{
    std::cout.flush();
    QElapsedTimer timer;
    timer.start();
    const pid_t child = ::fork();
    if (child == 0) {
        const long idle = restartPeak();
        const long long before = bytesRead();
        std::string outcome;
        try {
            const QImage image = load();
            outcome = std::to_string(image.width()) + " x " + std::to_string(image.height());
        } catch (const RuntimeError& error) {
            outcome = error.what();
        }
        std::cout << "  " << name << ": " << timer.elapsed() << " ms, peak " << peakKb() / 1024 << " MiB ("
                  << (peakKb() - idle) / 1024 << " above idle), read " << (bytesRead() - before) / 1024
                  << " KiB: " << outcome << std::endl;
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFSIGNALED(status))
        std::cout << "  " << name << ": " << timer.elapsed() << " ms: ended by signal " << WTERMSIG(status)
                  << (WTERMSIG(status) == SIGABRT ? " (abort)" : "") << std::endl;
}

// Previews `path` as the new-puzzle dialog does, loads the screenful the board keeps, fits
// it to the screen and loads it whole, each measured by measureOnce.
int measurePicture(const QString& path)
{
    std::cout << path.toStdString() << "\n";
    measureOnce("preview", [&] { return loadPreview(path, kPreviewBox); });
    measureOnce("part", [&] { return loadPicturePart(path, keepScreen).image; });
    measureOnce("fit", [&] { return loadFittedPicture(path, fitScreen); });
    measureOnce("load", [&] { return loadPicture(path); });
    return 0;
}

// ---- Pictures that once kept the dialog busy for seconds, made here in a temporary folder.

constexpr int kLargeSide = 16384;

// Broad bands in a 256-colour ramp: every pixel a literal code, the slowest GIF there is.
QString writeLargeGif(const QTemporaryDir& dir)
{
    const QString path = dir.filePath("large.gif");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    std::vector<std::uint32_t> ramp(256);
    for (std::uint32_t i = 0; i < 256; ++i)
        ramp[i] = i << 16 | (255 - i) << 8 | (i * 7 & 0xFF);
    testing::GifLayout layout;
    layout.screenWidth = layout.screenHeight = layout.width = layout.height = kLargeSide;
    testing::writeGif(layout, ramp, [](int x, int y) { return std::uint8_t((x >> 6) + (y >> 7)); },
        [&file](const std::string& piece) { file.write(piece.data(), qint64(piece.size())); });
    return path;
}

// The 54-byte header of a 32-bit BMP; its gigabyte of pixels is a hole in the file.
QString writeLargeBmp(const QTemporaryDir& dir)
{
    const QString path = dir.filePath("large.bmp");
    const std::int64_t pixels = std::int64_t{kLargeSide} * kLargeSide * 4;
    QByteArray head(54, '\0');
    head[0] = 'B';
    head[1] = 'M';
    qToLittleEndian<quint32>(quint32(54 + pixels), head.data() + 2);
    qToLittleEndian<quint32>(54, head.data() + 10);
    qToLittleEndian<quint32>(40, head.data() + 14);
    qToLittleEndian<qint32>(kLargeSide, head.data() + 18);
    qToLittleEndian<qint32>(kLargeSide, head.data() + 22);
    qToLittleEndian<quint16>(1, head.data() + 26);
    qToLittleEndian<quint16>(32, head.data() + 28);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(head) == 54 && file.resize(54 + pixels) ? path : QString();
}

// A `width` x `height` RLE8 BMP in runs of `run` pixels, each row ended; with `padTo`,
// followed by zeros (a hole) up to that size.
QString writeRle8(const QTemporaryDir& dir, const QString& name, int width, int height, int run, qint64 padTo)
{
    QByteArray data;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; x += run)
            data.append(char(std::min(run, width - x))).append(char((x / run + y / 36) * 12));
        data.append('\0').append('\0');
    }
    data.append('\0').append('\1');
    QByteArray head(54 + 1024, '\0');
    for (int i = 0; i < 256; ++i)
        head[54 + i * 4] = head[55 + i * 4] = head[56 + i * 4] = char(i);
    head[0] = 'B';
    head[1] = 'M';
    qToLittleEndian<quint32>(quint32(head.size() + data.size()), head.data() + 2);
    qToLittleEndian<quint32>(quint32(head.size()), head.data() + 10);
    qToLittleEndian<quint32>(40, head.data() + 14);
    qToLittleEndian<qint32>(width, head.data() + 18);
    qToLittleEndian<qint32>(height, head.data() + 22);
    qToLittleEndian<quint16>(1, head.data() + 26);
    qToLittleEndian<quint16>(8, head.data() + 28);
    qToLittleEndian<quint32>(1, head.data() + 30);  // BI_RLE8
    qToLittleEndian<quint32>(quint32(data.size()), head.data() + 34);
    const QString path = dir.filePath(name);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(head + data) == head.size() + data.size()
            && (padTo == 0 || file.resize(padTo))
        ? path
        : QString();
}

constexpr qint64 kPadded = 1'100'000'000;

// A 640 x 360 RLE8 BMP of about 10 KB in runs of 64 pixels, then 1.1 GB of zeros.
QString writePaddedRle8(const QTemporaryDir& dir)
{
    return writeRle8(dir, "padded-rle8.bmp", 640, 360, 64, kPadded);
}

// The GIF fitted to the screen against decoding its LZW codes alone, keeping no pixel,
// which any reading of it must do: the best of three of each, in this process.
void reportFitAgainstCodes(const QString& gif)
{
    const auto best = [](const std::function<void()>& run) {
        qint64 fastest = -1;
        for (int i = 0; i < 3; ++i) {
            QElapsedTimer timer;
            timer.start();
            run();
            fastest = fastest < 0 ? timer.elapsed() : std::min(fastest, timer.elapsed());
        }
        return fastest;
    };
    const qint64 codes = best([&] {
        QFile file(gif);
        GifFrame frame([&file](std::uint8_t* into, std::size_t most) {
            const qint64 got = file.read(reinterpret_cast<char*>(into), static_cast<qint64>(most));
            return got > 0 ? static_cast<std::size_t>(got) : std::size_t{0};
        });
        benchmark::DoNotOptimize(file.open(QIODevice::ReadOnly) && frame.readHeader() && frame.readCodesOnly());
    });
    const qint64 fit = best([&] { benchmark::DoNotOptimize(loadFittedPicture(gif, fitScreen).constBits()); });
    std::cout << "The 16384 x 16384 GIF fitted to 2560 x 1600 against its codes alone (target: fit <= 2000 ms)\n  codes "
              << codes << " ms, fit " << fit << " ms: fit / codes " << static_cast<double>(fit) / static_cast<double>(codes)
              << "\n\n";
}

// The slowest of the corpus's broken pictures, each loaded whole and as a preview, refused
// or drawn: none may keep the game from answering for long.
void reportSlowestBadFile()
{
    const QDir bad(QStringLiteral(TESSARON_TESTDATA "/bad"));
    if (!bad.exists()) {
        std::cout << "Slowest broken picture: skipped (needs ../shared/testdata)\n\n";
        return;
    }
    qint64 slowest = -1;
    QString slowestName;
    for (const QString& name : bad.entryList(QDir::Files, QDir::Name))
        for (const QSize box : {QSize(), kPreviewBox}) {
            QElapsedTimer timer;
            timer.start();
            try {
                benchmark::DoNotOptimize(loadPreview(bad.filePath(name), box).constBits());
            } catch (const RuntimeError&) {
            }
            if (timer.elapsed() > slowest) {
                slowest = timer.elapsed();
                slowestName = name + (box.isValid() ? " (preview)" : " (whole)");
            }
        }
    std::cout << "Slowest broken picture of the corpus (target: <= 1000 ms)\n  " << slowestName.toStdString() << ": "
              << slowest << " ms\n\n";
}

void BM_PreviewHostile(benchmark::State& state, const QString& path)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(loadPreview(path, kPreviewBox).constBits());
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
    QTemporaryDir hostileDir;
    const struct {
        const char* name;
        QString path;
    } hostile[] = {
        {"BM_PreviewGif16384", writeLargeGif(hostileDir)},
        {"BM_PreviewBmp32_16384", writeLargeBmp(hostileDir)},
        {"BM_PreviewPaddedRle8", writePaddedRle8(hostileDir)},
    };
    std::cout << "Previews and fits of pictures built to keep the game busy (target: <= 2000 ms, <= 1536 MiB)\n";
    for (const auto& h : hostile) {
        if (h.path.isEmpty()) {
            std::cout << "  " << h.name << ": could not be written\n";
            continue;
        }
        measureOnce(h.name, [&] { return loadPreview(h.path, kPreviewBox); });
        measureOnce(std::string(h.name) + " fitted to 2560 x 1600", [&] { return loadFittedPicture(h.path, fitScreen); });
        benchmark::RegisterBenchmark(h.name, BM_PreviewHostile, h.path)->Unit(benchmark::kMillisecond)->UseRealTime();
    }
    std::cout << "\n";
    if (!hostile[0].path.isEmpty())
        reportFitAgainstCodes(hostile[0].path);
    // Without "Fit to the screen" the board keeps the screenful at the top left: a 16384 x
    // 16384 RLE8 BMP of 2 MB in runs of 255 pixels, alone and padded to 1.1 GB.
    const struct {
        const char* name;
        QString path;
    } cut[] = {
        {"BM_PartRle8_16384", writeRle8(hostileDir, "large-rle8.bmp", kLargeSide, kLargeSide, 255, 0)},
        {"BM_PartPaddedRle8_16384", writeRle8(hostileDir, "large-padded-rle8.bmp", kLargeSide, kLargeSide, 255, kPadded)},
    };
    std::cout << "Screenfuls kept of pictures larger than the screen (target: <= 2000 ms, <= 400 MiB)\n";
    for (const auto& c : cut) {
        if (c.path.isEmpty()) {
            std::cout << "  " << c.name << ": could not be written\n";
            continue;
        }
        measureOnce(c.name, [&] { return loadPicturePart(c.path, keepScreen).image; });
    }
    std::cout << "\n";
    reportSlowestBadFile();
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
