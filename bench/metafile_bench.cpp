// Two tables.
//
// The work budget: each kind of record alone, many times over, played onto the QPainter
// canvas as the picture loader does, against the work the player charges for it. The
// player refuses a file once its work reaches kWorkLimit, so the time a unit of work
// takes, times the limit, is how long a file of nothing but that kind can keep the game
// busy (target: within kBudgetTarget for every kind). A kind far below the target is
// charged more than it costs, which refuses real drawings sooner than it need.
//
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
#include "ui/platform/metafile_painter.h"
#include "core/platform/runtime_error.h"
#include "metafile/record_writer.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include "peer.h"
#include "ratio_reporter.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
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
    const testing::Bytes bytes = testing::WmfWriter(1440, 1440).finish();
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

// ---- The work budget ----------------------------------------------------------------

using testing::Bytes;
using testing::cat;
using testing::emfExtText;
using testing::emfFont;
using testing::letters;
using testing::longs;
using testing::put16;
using testing::put32;
using testing::wmfExtText;
using testing::wmfFont;
using testing::wmfText;
using testing::words;
using testing::zigzag;

// How long a file of nothing but one kind of record may keep the game busy, on this
// machine: twice that (the dialog previews a picture named at start-up twice), stretched
// by a busy machine, and the game's own start still answer within two seconds.
constexpr double kBudgetTarget = 0.4;

// Every picture here is 1000 x 1000 pixels: a placeable WMF of 15000 twips a side, or an
// EMF recorded in pixels of that size.
constexpr int kSide = 1000;
constexpr int kTwips = kSide * 15;

// Places spread over the picture, in twips or in pixels.
int spread(int i, int range)
{
    return static_cast<int>((static_cast<unsigned>(i) * 7919u + 13u) % static_cast<unsigned>(range));
}

// A bottom-up 24-bit DIB of `side` x `side` pixels, a grey ramp.
Bytes dibOf(int side)
{
    Bytes b = longs({40, side, side});
    put32(put16(b, {1, 24}), {0, 0, 0, 0, 0, 0});
    const std::size_t stride = (static_cast<std::size_t>(side) * 3 + 3) & ~std::size_t{3};
    for (int y = 0; y < side; ++y) {
        const std::size_t row = b.size();
        b.resize(row + stride);
        for (int x = 0; x < side * 3; ++x)
            b[row + static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(x + y);
    }
    return b;
}

testing::WmfWriter wmfPicture()
{
    return testing::WmfWriter(kTwips, kTwips);
}

testing::EmfWriter emfPicture()
{
    return testing::EmfWriter(testing::hmm(kSide), testing::hmm(kSide));
}

// One kind of record: a file of `count` of them. `fresh` differs from one call to the
// next where the kind is about fonts, so that the canvas meets faces and sizes it has not
// seen yet, as it would in a hostile file, and not the ones it cached on the last run.
struct ChargeKind {
    const char* name;
    int count;
    std::function<Bytes(int count, int fresh)> file;
};

std::vector<ChargeKind> chargeKinds()
{
    const Bytes dib = testing::dib2x2({0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00});
    // A red brush and no pen.
    const auto filled = [] { return wmfPicture().brush(0, 0x0000FF).select(0).pen(5, 0, 0).select(1); };
    return {
        {"record doing nothing", 500'000, [](int n, int) {
             auto w = wmfPicture();
             for (int i = 0; i < n; ++i)
                 w.record(0x0102, {1});
             return w.finish();
         }},
        {"record too short to play", 20'000, [](int n, int) {
             auto w = wmfPicture();
             for (int i = 0; i < n; ++i)
                 w.record(0x041B, {});
             return w.finish();
         }},
        {"rectangle over the picture", 200, [filled](int n, int) {
             auto w = filled();
             for (int i = 0; i < n; ++i)
                 w.rectangle(0, 0, kTwips, kTwips);
             return w.finish();
         }},
        {"rectangle of 4 x 4 pixels", 100'000, [filled](int n, int) {
             auto w = filled();
             for (int i = 0; i < n; ++i) {
                 const int x = spread(i, kTwips - 60), y = spread(i * 3, kTwips - 60);
                 w.rectangle(x, y, x + 60, y + 60);
             }
             return w.finish();
         }},
        {"triangle over half the picture", 200, [filled](int n, int) {
             auto w = filled();
             for (int i = 0; i < n; ++i)
                 w.record(0x0324, {3, 0, 0, kTwips, 0, 0, kTwips});
             return w.finish();
         }},
        {"ellipse outline, 20-pixel pen", 50, [](int n, int) {
             auto w = wmfPicture().pen(0, 300, 0xFF0000).select(0).brush(1, 0).select(1);
             for (int i = 0; i < n; ++i)
                 w.record(0x0418, {kTwips, kTwips, 0, 0});
             return w.finish();
         }},
        {"text of 2 characters", 50'000, [](int n, int) {
             auto w = wmfPicture();
             for (int i = 0; i < n; ++i)
                 w.raw(0x0521, wmfText("ab", spread(i, kTwips), spread(i * 3, kTwips)));
             return w.finish();
         }},
        {"text of 100 characters", 2'000, [](int n, int) {
             auto w = wmfPicture();
             for (int i = 0; i < n; ++i)
                 w.raw(0x0521, wmfText(letters(100), spread(i, kTwips), spread(i * 3, kTwips)));
             return w.finish();
         }},
        {"text of 100 characters with advances", 500, [](int n, int) {
             auto w = wmfPicture();
             for (int i = 0; i < n; ++i)
                 w.raw(0x0A32, wmfExtText(letters(100), spread(i, kTwips), spread(i * 3, kTwips)));
             return w.finish();
         }},
        {"text of 2 characters, 200 pixels high", 500, [](int n, int) {
             auto w = wmfPicture().raw(0x02FB, wmfFont(3000, "DejaVu Sans")).select(0);
             for (int i = 0; i < n; ++i)
                 w.raw(0x0521, wmfText("W@", spread(i, kTwips), spread(i * 3, kTwips)));
             return w.finish();
         }},
        {"text in a font of a new size", 1'000, [](int n, int fresh) {
             auto w = wmfPicture();
             for (int i = 0; i < n; ++i) {
                 const int height = 15 * (8 + (fresh * n + i) % 57);  // cached sizes: 8 to 64 pixels
                 w.raw(0x02FB, wmfFont(height, "DejaVu Sans")).select(0).raw(0x0521, wmfText("ab", spread(i, kTwips),
                     spread(i * 3, kTwips))).record(0x01F0, {0});
             }
             return w.finish();
         }},
        {"text in a font of a new face", 500, [](int n, int fresh) {
             auto w = wmfPicture();
             for (int i = 0; i < n; ++i) {
                 w.raw(0x02FB, wmfFont(180, "Face " + std::to_string(fresh) + "." + std::to_string(i))).select(0)
                     .raw(0x0521, wmfText("ab", spread(i, kTwips), spread(i * 3, kTwips))).record(0x01F0, {0});
             }
             return w.finish();
         }},
        {"polygon zigzag of 200 points", 100, [filled](int n, int) {
             auto w = filled();
             for (int i = 0; i < n; ++i)
                 w.raw(0x0324, zigzag(200, kTwips));
             return w.finish();
         }},
        {"polygon zigzag of 1000 points", 10, [filled](int n, int) {
             auto w = filled();
             for (int i = 0; i < n; ++i)
                 w.raw(0x0324, zigzag(1000, kTwips));
             return w.finish();
         }},
        {"polyline zigzag of 1000 points", 50, [](int n, int) {
             auto w = wmfPicture();
             for (int i = 0; i < n; ++i)
                 w.raw(0x0325, zigzag(1000, kTwips));
             return w.finish();
         }},
        {"polyline zigzag of 50 points, 20-pixel pen", 50, [](int n, int) {
             auto w = wmfPicture().pen(0, 300, 0xFF0000).select(0);
             for (int i = 0; i < n; ++i)
                 w.raw(0x0325, zigzag(50, kTwips));
             return w.finish();
         }},
        {"line across the picture, 20-pixel pen", 500, [](int n, int) {
             auto w = wmfPicture().pen(0, 300, 0xFF0000).select(0);
             for (int i = 0; i < n; ++i)
                 w.record(0x0214, {0, spread(i, kTwips)}).record(0x0213, {kTwips, spread(i * 3, kTwips)});
             return w.finish();
         }},
        {"text of 2 characters at a new angle", 2'000, [](int n, int fresh) {
             auto w = wmfPicture();
             for (int i = 0; i < n; ++i) {
                 Bytes font = wmfFont(240, "DejaVu Sans");
                 font[4] = static_cast<std::uint8_t>((fresh * 7 + i) % 3600);  // escapement, tenths of a degree
                 font[5] = static_cast<std::uint8_t>(((fresh * 7 + i) % 3600) >> 8);
                 w.raw(0x02FB, font).select(0).raw(0x0521, wmfText("ab", spread(i, kTwips), spread(i * 3, kTwips)))
                     .record(0x01F0, {0});
             }
             return w.finish();
         }},
        {"text of 2 characters clipped and opaque", 20'000, [](int n, int) {
             auto w = wmfPicture();
             for (int i = 0; i < n; ++i) {
                 const int x = spread(i, kTwips - 600), y = spread(i * 3, kTwips - 600);
                 Bytes run = words({y, x, 2, 6, x, y, x + 300, y + 300});
                 testing::append(run, "ab");
                 w.raw(0x0A32, run);
             }
             return w.finish();
         }},
        {"clip of 250 rectangles moved before a fill", 1'000, [filled](int n, int) {
             auto w = filled();
             for (int i = 0; i < 250; ++i) {
                 const int x = spread(i, kTwips - 300), y = spread(i * 3, kTwips - 300);
                 w.record(0x0415, {y + 300, x + 300, y, x});
             }
             for (int i = 0; i < n; ++i)
                 w.record(0x0220, {i % 2 ? 15 : -15, i % 2 ? 15 : -15}).rectangle(0, 0, 60, 60);
             return w.finish();
         }},
        {"clip rectangle around a small fill", 20'000, [filled](int n, int) {
             auto w = filled();
             for (int i = 0; i < n; ++i) {
                 const int x = spread(i, kTwips - 300), y = spread(i * 3, kTwips - 300);
                 w.record(0x001E, {}).record(0x0416, {y + 300, x + 300, y, x}).rectangle(x, y, x + 60, y + 60)
                     .record(0x0127, {-1});
             }
             return w.finish();
         }},
        {"bitmap stretched over the picture", 100, [dib](int n, int) {
             auto w = wmfPicture();
             for (int i = 0; i < n; ++i)
                 w.raw(0x0F43, testing::wmfStretchDib(dib, kTwips, kTwips));
             return w.finish();
         }},
        {"bitmap of 500 x 500 onto the picture", 20, [](int n, int) {
             const Bytes big = dibOf(500);
             auto w = wmfPicture();
             for (int i = 0; i < n; ++i)
                 w.raw(0x0F43, cat(cat(longs({0x00CC0020}), words({0, 500, 500, 0, 0, kTwips, kTwips, 0, 0})), big));
             return w.finish();
         }},
        {"EMF bitmap of 500 x 500 turned onto the picture", 20, [](int n, int) {
             // A world transform turning by 30 degrees about the middle, then STRETCHDIBITS
             // of the whole bitmap onto 800 x 800 pixels.
             const Bytes big = dibOf(500);
             auto e = emfPicture().record(35, {0x3F5DB3D7, 0x3F000000, static_cast<std::int64_t>(0xBF000000), 0x3F5DB3D7,
                                                 0x43FA0000, 0xC3480000});
             for (int i = 0; i < n; ++i)
                 e.raw(81, cat(longs({0, 0, 800, 800, 0, 0, 0, 0, 500, 500, 80, 40, 120,
                                   static_cast<std::int64_t>(big.size()) - 40, 0, 0x00CC0020, 800, 800}), big));
             return e.finish();
         }},
        {"EMF gradient of 1000 small rectangles", 20, [](int n, int) {
             // Two vertices a rectangle: red at the top left, blue 4 pixels down and right.
             Bytes gradient = longs({0, 0, 0, 0, 2000, 1000, 0});
             for (int i = 0; i < 1000; ++i) {
                 const int x = spread(i, kSide - 4), y = spread(i * 3, kSide - 4);
                 put16(put32(gradient, {x, y}), {0xFF00, 0, 0, 0});
                 put16(put32(gradient, {x + 4, y + 4}), {0, 0, 0xFF00, 0});
             }
             for (int i = 0; i < 1000; ++i)
                 put32(gradient, {2 * i, 2 * i + 1});
             auto e = emfPicture();
             for (int i = 0; i < n; ++i)
                 e.raw(118, gradient);
             return e.finish();
         }},
        {"EMF clip path of a 50-point zigzag around a fill", 200, [](int n, int) {
             // SAVEDC, a path bracket of the zigzag, SELECTCLIPPATH (AND), a fill, RESTOREDC.
             Bytes polygon = longs({0, 0, 0, 0, 50});
             for (int i = 0; i < 50; ++i)
                 put32(polygon, {i * kSide / 50, i % 2 ? kSide : 0});
             auto e = emfPicture().brush(1, 0, 0x0000FF).select(1);
             for (int i = 0; i < n; ++i) {
                 e.record(33, {}).record(59, {}).raw(3, polygon).record(60, {}).record(67, {1})
                     .rectangle(spread(i, kSide - 4), spread(i * 3, kSide - 4), spread(i, kSide - 4) + 4, spread(i * 3, kSide - 4) + 4)
                     .record(34, {-1});
             }
             return e.finish();
         }},
        {"EMF clip path of a triangle around a fill", 200, [](int n, int) {
             const Bytes triangle = longs({0, 0, 0, 0, 3, 0, 0, kSide, 0, 0, kSide});
             auto e = emfPicture().brush(1, 0, 0x0000FF).select(1);
             for (int i = 0; i < n; ++i) {
                 e.record(33, {}).record(59, {}).raw(3, triangle).record(60, {}).record(67, {1})
                     .rectangle(spread(i, kSide - 4), spread(i * 3, kSide - 4), spread(i, kSide - 4) + 4, spread(i * 3, kSide - 4) + 4)
                     .record(34, {-1});
             }
             return e.finish();
         }},
        {"EMF clip region of 1000 rectangles around a fill", 200, [](int n, int) {
             Bytes region = longs({32 + 16 * 1000, 1, 32, 1, 1000, 16 * 1000, 0, 0, kSide, kSide});
             for (int i = 0; i < 1000; ++i) {
                 const int x = spread(i, kSide - 10), y = spread(i * 3, kSide - 10);
                 put32(region, {x, y, x + 10, y + 10});
             }
             auto e = emfPicture().brush(1, 0, 0x0000FF).select(1);
             for (int i = 0; i < n; ++i)
                 e.record(33, {}).raw(75, region).rectangle(0, 0, 4, 4).record(34, {-1});
             return e.finish();
         }},
        {"EMF text of 100 characters with advances", 500, [](int n, int) {
             auto e = emfPicture();
             for (int i = 0; i < n; ++i)
                 e.raw(84, emfExtText(letters(100), spread(i, kSide), spread(i * 3, kSide)));
             return e.finish();
         }},
        {"EMF text in a font of a new face", 500, [](int n, int fresh) {
             auto e = emfPicture();
             for (int i = 0; i < n; ++i) {
                 e.raw(82, emfFont(12, "Face " + std::to_string(fresh) + "." + std::to_string(i))).select(1)
                     .raw(84, emfExtText("ab", spread(i, kSide), spread(i * 3, kSide))).record(40, {1});
             }
             return e.finish();
         }},
    };
}

// What one play of a kind's file spent, and whether the budget ended it.
struct Charged {
    metafile::Spent spent;
    bool refused = false;
};

Charged playOnPainter(const Bytes& file)
{
    Charged result;
    MetafilePainter painter;
    try {
        metafile::play(file, 15, 15, painter, &result.spent);
    } catch (const RuntimeError&) {
        result.refused = true;
    }
    benchmark::DoNotOptimize(painter.finish().constBits());
    return result;
}

void charge(benchmark::State& state, const ChargeKind& kind, Charged& out)
{
    int fresh = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const Bytes file = kind.file(kind.count, ++fresh);
        state.ResumeTiming();
        out = playOnPainter(file);
    }
}

void printCharges(const std::vector<ChargeKind>& kinds, const std::vector<Charged>& charged, const RatioReporter& reporter)
{
    std::printf("\nThe work budget: each kind of record alone on a %d x %d picture, played onto the QPainter\n"
                "  canvas. Work is what the player charges; a file is refused once its work reaches %.0f\n"
                "  million. Budget: the time per unit of work times that limit, how long a file of only\n"
                "  this kind keeps the game busy (target: <= %.0f ms; far below it, the kind is charged\n"
                "  more than it costs). *: the budget ended the play.\n",
        kSide, kSide, metafile::kWorkLimit / 1e6, kBudgetTarget * 1e3);
    std::printf("  %-44s %8s %9s %10s %10s %8s %9s\n", "kind", "records", "ms", "us/record", "work/rec",
        "ns/work", "budget ms");
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        const double seconds = reporter.cpu(std::string("Charge/") + kinds[i].name);
        const Charged& c = charged[i];
        if (seconds <= 0 || c.spent.records == 0 || c.spent.work <= 0)
            continue;  // left out by --benchmark_filter
        const double records = static_cast<double>(c.spent.records);
        const double budget = seconds / c.spent.work * metafile::kWorkLimit;
        std::printf("  %-44s %7.0f%s %9.1f %10.2f %10.0f %8.3f %9.0f%s\n", kinds[i].name, records, c.refused ? "*" : " ",
            seconds * 1e3, seconds / records * 1e6, c.spent.work / records, seconds / c.spent.work * 1e9, budget * 1e3,
            budget > kBudgetTarget ? "  OVER" : "");
    }
}

// ---- The corpus against wmf2gd --------------------------------------------------------

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

// Registers the corpus against wmf2gd: a row for each WMF of the corpus. False when a file
// cannot be written.
bool registerCorpus(const QStringList& files, const QString& empty, Peer& wmf2gd, std::vector<Row>& rows,
    std::vector<PeerCommand>& commands, std::vector<PeerTimes>& times)
{
    QFile emptyFile(empty);
    if (!emptyFile.open(QIODevice::WriteOnly) || emptyFile.write(emptyMetafile()) < 0) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(empty));
        return false;
    }
    emptyFile.close();
    // The benchmarks hold references into these, so they never grow past their reserve.
    commands.reserve(2 * static_cast<std::size_t>(files.size()));
    times.resize(static_cast<std::size_t>(files.size()));
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
    return true;
}

// The corpus table; the number of rows without a time.
int printCorpus(const std::vector<Row>& rows, const std::vector<PeerTimes>& times, const RatioReporter& reporter)
{
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
    return failed;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);

    const std::vector<ChargeKind> kinds = chargeKinds();
    std::vector<Charged> charged(kinds.size());
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        benchmark::RegisterBenchmark((std::string("Charge/") + kinds[i].name).c_str(), charge, std::cref(kinds[i]),
            std::ref(charged[i]))
            ->Unit(benchmark::kMillisecond);
    }

    const QStringList files = QDir(kGood).entryList({"*.wmf"}, QDir::Files, QDir::Name);
    if (files.isEmpty())
        std::fprintf(stderr, "WMF corpus benchmark skipped: no metafiles in %s\n", qPrintable(kGood));
    QTemporaryDir scratch;
    Peer wmf2gd("wmf2gd", "libwmf-bin and fonts-urw-base35");
    std::vector<Row> rows;
    std::vector<PeerCommand> commands;
    std::vector<PeerTimes> times;
    if (!files.isEmpty() && (!scratch.isValid()
            || !registerCorpus(files, scratch.filePath("empty.wmf"), wmf2gd, rows, commands, times)))
        return 1;

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printCharges(kinds, charged, reporter);
    // Left out by --benchmark_filter when none of ours ran.
    const bool corpusRan = std::any_of(rows.begin(), rows.end(),
        [&](const Row& row) { return reporter.real("Ours/" + row.name + "/real_time") > 0; });
    const int failed = corpusRan ? printCorpus(rows, times, reporter) : 0;
    std::fflush(stdout);
    benchmark::Shutdown();
    if (failed > 0) {
        std::fprintf(stderr, "WMF BENCHMARK FAILED: %d of %zu rows have no time%s\n", failed, rows.size(),
            wmf2gd.failed() ? "; wmf2gd failed, see PEER FAILED above" : "");
        return 1;
    }
    return 0;
}
