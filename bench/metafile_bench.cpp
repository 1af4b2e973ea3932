// Every WMF of the corpus rendered at its natural size by our metafile player against
// libwmf's wmf2gd drawing the same file at the same pixel size, in the same run. Prints a
// table of ratios (target: ours / wmf2gd <= 1 for each file), times in milliseconds.
//
// Ours: read the file and render it in this process, as the picture loader does. wmf2gd
// can only be timed as a whole process, which also starts, loads its fonts and writes a
// PNG; its time on an empty metafile of the same pixel size is that overhead, and what it
// takes beyond that is its reading and drawing, which is what ours is compared with. The
// two alternate, so that the load of a shared machine weighs on both alike, and the spread
// of their differences tells whether what is left stands out from the noise.
//
// Exits non-zero, after telling why on standard error, when wmf2gd is missing or fails.

#include "ui/platform/metafile_render.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtEndian>

#include "peer.h"
#include "ratio_reporter.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace tessaron;

const QString kGood = QStringLiteral(TESSARON_TESTDATA "/good");
constexpr float kTwipsPerPixel = 15;  // 96 dots per inch

QImage renderFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return renderMetafile(file.readAll(), kTwipsPerPixel, kTwipsPerPixel);
}

void ours(benchmark::State& state, const QString& path)
{
    for (auto _ : state) {
        const QImage image = renderFile(path);
        if (image.isNull()) {
            state.SkipWithError("cannot read or render the file");
            return;
        }
        benchmark::DoNotOptimize(image.constBits());
    }
}

// wmf2gd's mean times, in seconds, on a file and on the empty metafile at the same size,
// and twice the standard error of their difference.
struct PeerTimes {
    double whole = 0;
    double empty = 0;
    double netError = 0;
};

void peer(benchmark::State& state, const PeerCommand& drawn, const PeerCommand& blank, PeerTimes& out)
{
    using Clock = std::chrono::steady_clock;
    double whole = 0;
    double empty = 0;
    double squares = 0;
    bool drawnFirst = true;  // neither always finds the other's pages freshly in the cache
    for (auto _ : state) {
        const auto start = Clock::now();
        const int first = (drawnFirst ? drawn : blank).run();
        const auto between = Clock::now();
        const int second = (drawnFirst ? blank : drawn).run();
        const auto end = Clock::now();
        if (first != 0 || second != 0) {
            state.SkipWithError("wmf2gd failed");
            out = {};
            return;
        }
        const double a = std::chrono::duration<double>(between - start).count();
        const double b = std::chrono::duration<double>(end - between).count();
        const double w = drawnFirst ? a : b;
        const double e = drawnFirst ? b : a;
        whole += w;
        empty += e;
        squares += (w - e) * (w - e);
        drawnFirst = !drawnFirst;
    }
    const double n = static_cast<double>(state.iterations());
    out.whole = whole / n;
    out.empty = empty / n;
    const double net = out.whole - out.empty;
    const double variance = n > 1 ? (squares - n * net * net) / (n - 1) : 0;
    out.netError = 2 * std::sqrt(std::max(variance, 0.0) / n);
}

// A placeable WMF of one inch square whose only record is the end: wmf2gd then does all
// it does for a file but read and draw records.
QByteArray emptyMetafile()
{
    QByteArray bytes;
    auto put16 = [&](quint16 v) {
        char le[2];
        qToLittleEndian(v, le);
        bytes.append(le, 2);
    };
    auto put32 = [&](quint32 v) {
        char le[4];
        qToLittleEndian(v, le);
        bytes.append(le, 4);
    };
    const quint16 placeable[] = {0xCDD7, 0x9AC6, 0, 0, 0, 1440, 1440, 1440, 0, 0};
    quint16 checksum = 0;
    for (quint16 word : placeable) {
        put16(word);
        checksum ^= word;
    }
    put16(checksum);
    put16(1);       // in a file
    put16(9);       // header words
    put16(0x0300);  // version
    put32(9 + 3);   // file words
    put16(0);       // objects
    put32(3);       // largest record's words
    put16(0);
    put32(3);  // the end record
    put16(0);
    return bytes;
}

struct Row {
    std::string name;
    QSize size;  // ours, which wmf2gd is asked to fill
    bool peerWorks = false;
};

void printMs(double seconds)
{
    if (seconds > 0)
        std::printf(" %10.3f", seconds * 1e3);
    else
        std::printf(" %10s", "FAILED");
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);

    const QStringList files = QDir(kGood).entryList({"*.wmf"}, QDir::Files, QDir::Name);
    if (files.isEmpty()) {
        std::fprintf(stderr, "WMF benchmark skipped: no metafiles in %s\n", qPrintable(kGood));
        return 0;
    }
    QTemporaryDir scratch;
    const QString empty = scratch.filePath("empty.wmf");
    QFile emptyFile(empty);
    if (!scratch.isValid() || !emptyFile.open(QIODevice::WriteOnly) || emptyFile.write(emptyMetafile()) < 0) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(empty));
        return 1;
    }
    emptyFile.close();

    Peer wmf2gd("wmf2gd", "libwmf-bin and fonts-urw-base35");
    std::vector<Row> rows;
    // The benchmarks hold references into these, so they never grow past their reserve.
    std::vector<PeerCommand> commands;
    commands.reserve(2 * static_cast<std::size_t>(files.size()));
    std::vector<PeerTimes> times(static_cast<std::size_t>(files.size()));
    for (const QString& name : files) {
        const QString path = kGood + "/" + name;
        Row row;
        row.name = name.toStdString();
        row.size = renderFile(path).size();
        benchmark::RegisterBenchmark(("Ours/" + row.name).c_str(), ours, path)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        auto at = [&](const QString& file) {
            return wmf2gd.command({"--maxwidth=" + std::to_string(row.size.width()),
                "--maxheight=" + std::to_string(row.size.height()), "--maxsize", "-t", "png", "-o", "/dev/null",
                file.toStdString()});
        };
        const PeerCommand& drawn = commands.emplace_back(at(path));
        const PeerCommand& blank = commands.emplace_back(at(empty));
        row.peerWorks = !row.size.isEmpty() && wmf2gd.works(drawn, row.name)
            && wmf2gd.works(blank, "an empty metafile");
        if (row.peerWorks) {
            benchmark::RegisterBenchmark(("Wmf2gdAndEmpty/" + row.name).c_str(), peer, std::cref(drawn),
                std::cref(blank), std::ref(times[rows.size()]))
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
        rows.push_back(row);
    }

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\nWMF at natural size, ours against wmf2gd drawing as many pixels (target: ratio <= 1)\n"
                "  ours: read and render in this process. wmf2gd: its process on the file less its\n"
                "  process on an empty metafile of that size (start-up, fonts, PNG writing) = net,\n"
                "  +- twice the standard error of net. Ratio: ours / net.\n");
    std::printf("  %-38s %9s %10s %10s %10s %10s %8s %7s\n", "file", "pixels", "ours ms", "wmf2gd ms",
        "empty ms", "net ms", "+- ms", "ratio");
    int failed = 0;
    bool tooQuick = false;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        const PeerTimes& peerTimes = times[i];
        const double a = reporter.real("Ours/" + row.name + "/real_time");
        const std::string pixels = std::to_string(row.size.width()) + "x" + std::to_string(row.size.height());
        std::printf("  %-38s %9s", row.name.c_str(), pixels.c_str());
        printMs(a);
        printMs(peerTimes.whole);
        printMs(peerTimes.empty);
        if (a <= 0 || peerTimes.whole <= 0 || peerTimes.empty <= 0) {
            ++failed;
            std::printf(" %10s %8s %7s\n", "FAILED", "", "FAILED");
            continue;
        }
        const double net = peerTimes.whole - peerTimes.empty;
        std::printf(" %10.3f %8.3f", net * 1e3, peerTimes.netError * 1e3);
        if (net > peerTimes.netError) {
            std::printf(" %7.2f\n", a / net);
        } else {
            tooQuick = true;
            std::printf(" %7s\n", "-");
        }
    }
    if (tooQuick)
        std::printf("  -: wmf2gd's drawing does not stand out from the noise of its start-up\n");
    std::fflush(stdout);
    benchmark::Shutdown();
    if (failed > 0) {
        std::fprintf(stderr, "WMF BENCHMARK FAILED: %d of %zu rows have no time%s\n", failed, rows.size(),
            wmf2gd.failed() ? "; wmf2gd failed, see PEER FAILED above" : "");
        return 1;
    }
    return 0;
}
