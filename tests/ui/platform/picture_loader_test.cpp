#include "ui/platform/picture_loader.h"
#include "core/platform/runtime_error.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tessaron {
namespace {

const QString kData = QStringLiteral(TESSARON_TEST_DATA_DIR);
constexpr QRgb kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF, kBlack = 0xFF000000;

// The error number `load` fails with; 0 when it succeeds.
int errorOf(const std::function<void()>& load)
{
    try {
        load();
        return 0;
    } catch (const RuntimeError& error) {
        return error.number();
    }
}

int loadError(const QString& path)
{
    return errorOf([&] { loadPicture(path); });
}

QByteArray encode(const QImage& image, const char* format, bool progressive = false)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(90);
    writer.setProgressiveScanWrite(progressive);
    EXPECT_TRUE(writer.write(image)) << format;
    return bytes;
}

// Quadrants red, green / blue, white: where each ends up tells the orientation.
QImage quadrants(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool right = x >= width / 2, bottom = y >= height / 2;
            image.setPixel(x, y, bottom ? (right ? kWhite : kBlue) : (right ? kGreen : kRed));
        }
    return image;
}

// Gradients under noise: every pixel differs from its neighbours, so a pixel decoded from
// the wrong place or upsampled against the wrong neighbour shows.
QImage detailed(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    quint32 noise = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int n = int(noise >> 26);  // 0..63
            image.setPixel(x, y, qRgb((x * 255 / width + n) & 255, (y * 255 / height + 2 * n) & 255, (x ^ y) & 255));
        }
    return image;
}

// A JPEG with an EXIF block that carries only the orientation, right after SOI.
QByteArray withOrientation(QByteArray jpeg, int orientation)
{
    const QByteArray app1("\xFF\xE1\0\x22" "Exif\0\0II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0", 28);
    return jpeg.insert(2, app1 + char(orientation) + QByteArray(7, '\0'));
}

// Patches the first SOFn frame of a JPEG to claim another size, and with `fullColour`
// to sample the colour at full resolution (4:4:4) like the brightness.
QByteArray withFrameSize(QByteArray jpeg, int width, int height, bool fullColour = false)
{
    const char frame[] = {char(height >> 8), char(height & 0xFF), char(width >> 8), char(width & 0xFF)};
    for (qsizetype i = 2; i + 11 < jpeg.size(); ++i)
        if (uchar(jpeg[i]) == 0xFF && (uchar(jpeg[i + 1]) == 0xC0 || uchar(jpeg[i + 1]) == 0xC2)) {
            if (fullColour)
                jpeg[i + 11] = 0x11;
            return jpeg.replace(i + 5, 4, frame, 4);
        }
    return jpeg;
}

// A JPEG with `count` segments of 64 KiB of `marker` (a comment, or APP1, which libjpeg
// keeps in memory) right after SOI.
QByteArray withSegments(QByteArray jpeg, char marker, int count)
{
    const QByteArray segment = QByteArray("\xFF") + marker + "\xFF\xFF" + QByteArray(65533, 'x');
    return jpeg.insert(2, segment.repeated(count));
}

// A GIF whose screen and frame claim `width` x `height`, with one pixel of data.
QByteArray gifOf(int width, int height)
{
    const char w[] = {char(width & 0xFF), char(width >> 8)}, h[] = {char(height & 0xFF), char(height >> 8)};
    return "GIF89a" + QByteArray(w, 2) + QByteArray(h, 2) + QByteArray("\x80\0\0\0\0\0\xFF\xFF\xFF,\0\0\0\0", 14)
        + QByteArray(w, 2) + QByteArray(h, 2) + QByteArray("\0\x02\x02\x44\x01\0;", 7);
}

void putLe32(QByteArray& bytes, int at, qint64 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xFF);
}

// A run-length BMP of `width` x `height` that ends at once: Qt's decoder takes it.
QByteArray rleBmpOf(int width, int height)
{
    QByteArray bytes = "BM" + QByteArray(52 + 1024, '\0') + QByteArray("\0\1", 2);
    putLe32(bytes, 2, bytes.size());
    putLe32(bytes, 10, 54 + 1024);
    putLe32(bytes, 14, 40);
    putLe32(bytes, 18, width);
    putLe32(bytes, 22, height);
    bytes[26] = 1;
    bytes[28] = 8;
    putLe32(bytes, 30, 1);
    return bytes;
}

// An empty placeable WMF of `width` x `height` pixels at 15 twips a pixel.
QByteArray wmfOf(int width, int height)
{
    QByteArray bytes(22 + 18 + 6, '\0');
    putLe32(bytes, 0, 0x9AC6CDD7);
    const auto put16 = [&](int at, int value) { bytes[at] = char(value & 0xFF), bytes[at + 1] = char(value >> 8); };
    put16(10, width);
    put16(12, height);
    put16(14, 96);  // units an inch: a unit a pixel
    int checksum = 0;
    for (int at = 0; at < 20; at += 2)
        checksum ^= uchar(bytes[at]) | uchar(bytes[at + 1]) << 8;
    put16(20, checksum);
    put16(22, 1);  // META_HEADER: in memory, 9 words, version 3, then META_EOF
    put16(24, 9);
    put16(26, 0x300);
    putLe32(bytes, 28, 12);
    putLe32(bytes, 34, 3);
    putLe32(bytes, 40, 3);
    return bytes;
}

// What `load` ends with in a child process that may take only `headroom` bytes more than
// it holds (no limit for 0): 0 when it succeeds, the error number of a RuntimeError,
// kEscaped when std::bad_alloc leaves the loader, kCrashed when the child dies.
constexpr int kEscaped = -1, kCrashed = -2;
int errorWithHeadroom(qint64 headroom, const std::function<void()>& load)
{
    const pid_t child = ::fork();
    if (child < 0)
        return kCrashed;
    if (child == 0) {
        QFile status("/proc/self/status");
        if (headroom > 0 && status.open(QIODevice::ReadOnly)) {
            const QByteArray text = status.readAll();
            const qsizetype at = text.indexOf("VmSize:");
            const qint64 used = text.mid(at + 7, text.indexOf('\n', at) - at - 7).trimmed().split(' ')[0].toLongLong() * 1024;
            const rlimit limit{rlim_t(used + headroom), rlim_t(used + headroom)};
            ::setrlimit(RLIMIT_AS, &limit);
        }
        int code = 0;
        try {
            load();
        } catch (const RuntimeError& error) {
            code = error.number() == err::InvalidPicture ? 100 : error.number();
        } catch (const std::bad_alloc&) {
            code = 101;
        }
        ::_exit(code);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return kCrashed;
    const int code = WEXITSTATUS(status);
    return code == 100 ? err::InvalidPicture : code == 101 ? kEscaped : code;
}

// A `keep` that must not be asked; what it throws passes through the loader.
QSize never(QSize)
{
    throw std::logic_error("asked");
}

// Red wins, green wins... within JPEG's tolerance.
QRgb rounded(QRgb c)
{
    const auto bit = [](int v) { return v > 128 ? 255 : 0; };
    return qRgb(bit(qRed(c)), bit(qGreen(c)), bit(qBlue(c)));
}

class PictureLoader : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    // The file grown to `size` bytes with a hole, which takes no room on the disk.
    static QString sized(const QString& path, qint64 size)
    {
        EXPECT_TRUE(QFile::resize(path, size));
        return path;
    }
    QTemporaryDir dir;
};

TEST_F(PictureLoader, FailsWithTheNumberThatFitsTheFile)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("pipe")).constData(), 0644), 0);
    QFile rle(kData + "/bmp-suite-pal4rle.bmp");
    ASSERT_TRUE(rle.open(QIODevice::ReadOnly));
    const QByteArray rleBytes = rle.readAll();
    QByteArray farOffset = encode(quadrants(64, 48), "bmp"), hugeBmp = encode(quadrants(8, 8), "bmp");
    putLe32(farOffset, 10, 0x7FFFFFF0);
    putLe32(hugeBmp, 18, 60000);
    putLe32(hugeBmp, 22, 60000);
    const QByteArray jpeg = encode(quadrants(16, 16), "jpeg");
    const struct {
        QString path;
        int error;
    } cases[] = {
        {dir.filePath("missing.jpg"), err::FileNotFound},
        {"/dev/null/missing.jpg", err::FileNotFound},          // through a file
        {dir.path(), err::PathFileAccessError},             // a folder
        {dir.filePath("pipe"), err::PathFileAccessError},   // no writer: must not block
        {"/dev/zero", err::PathFileAccessError},            // endless: must not be read
        {write("text.jpg", "Just some text, no picture at all.\n"), err::InvalidPicture},
        {write("empty.gif", {}), err::InvalidPicture},
        {write("png.jpg", encode(quadrants(8, 8), "png")), err::InvalidPicture},  // not one of the game's types
        {write("cut.jpg", jpeg.left(30)), err::InvalidPicture},
        {write("magic.gif", "GIF89a and then only text"), err::InvalidPicture},
        // A cut-short BMP is refused rather than shown with stale memory.
        {write("half-rle.bmp", rleBytes.left(rleBytes.size() / 2)), err::InvalidPicture},
        {write("far-offset.bmp", farOffset), err::InvalidPicture},
        // More than 1 GiB of pixels is refused from the header alone.
        {write("16385x16384.jpg", withFrameSize(jpeg, 16385, 16384)), err::OutOfMemory},  // one column over
        {write("60000.jpg", withFrameSize(jpeg, 60000, 60000)), err::OutOfMemory},
        {write("60000.bmp", hugeBmp), err::OutOfMemory},
        {write("60000.gif", gifOf(60000, 60000)), err::OutOfMemory},
        {write("16385x16384.gif", gifOf(16385, 16384)), err::OutOfMemory},
        // A file too large to be any picture we accept is refused before it is read.
        {sized(write("2GiB.jpg", jpeg), qint64{2} << 30), err::OutOfMemory},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(loadError(c.path), c.error) << c.path.toStdString();
        // A part fails the same way; one too large to hold, before its caller is asked what to keep.
        const auto keep = [&](QSize natural) { return c.error == err::OutOfMemory ? never(natural) : natural; };
        EXPECT_EQ(errorOf([&] { loadPicturePart(c.path, keep); }), c.error) << c.path.toStdString();
    }
    EXPECT_TRUE(loadPicture({}).isNull());  // how a picture box is cleared
    EXPECT_TRUE(loadPicturePart({}, never).image.isNull());
}

// Short of memory, every way of loading fails with 7 and nothing else escapes; what
// fits within the budget still loads. The decoder's own memory has the pixels' budget.
TEST_F(PictureLoader, RunningShortOfMemoryIsErrorSeven)
{
    const QByteArray jpeg = encode(quadrants(64, 64), "jpeg");
    constexpr qint64 kMiB = 1 << 20;
    const struct {
        const char* name;
        QByteArray bytes;
        qint64 headroom;  // 0: no limit but the loader's own
        int preview, part, load;
    } cases[] = {
        // 1.5 GiB of coefficients besides the pixels: refused unless only the top is kept.
        {"progressive 4:4:4 16384 x 16384", withFrameSize(encode(quadrants(64, 64), "jpeg", true), 16384, 16384, true),
            0, err::OutOfMemory, 0, err::OutOfMemory},
        {"a photo behind 48 MB of comments", withSegments(jpeg, '\xFE', 750), 32 * kMiB, 0, 0, 0},
        {"40 MB of APP1 that libjpeg keeps", withSegments(jpeg, '\xE1', 640), 24 * kMiB, err::OutOfMemory,
            err::OutOfMemory, err::OutOfMemory},
        {"run-length BMP 8000 x 8000 through Qt", rleBmpOf(8000, 8000), 32 * kMiB, err::OutOfMemory,
            err::OutOfMemory, err::OutOfMemory},
        {"GIF 8000 x 8000", gifOf(8000, 8000), 32 * kMiB, err::OutOfMemory, 0, err::OutOfMemory},
        {"GIF 16384 x 16384, at the limit", gifOf(16384, 16384), 64 * kMiB, err::OutOfMemory, 0, err::OutOfMemory},
        {"metafile canvas 4000 x 3000", wmfOf(4000, 3000), 32 * kMiB, err::OutOfMemory, err::OutOfMemory,
            err::OutOfMemory},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
#if defined(__SANITIZE_ADDRESS__)
        if (c.headroom > 0)
            continue;  // AddressSanitizer ends the process when an allocation fails
#endif
        const QString path = write("picture", c.bytes);
        EXPECT_EQ(errorWithHeadroom(c.headroom, [&] { loadPreview(path, QSize(217, 217)); }), c.preview);
        EXPECT_EQ(errorWithHeadroom(c.headroom, [&] { loadPicturePart(path, [](QSize) { return QSize(8, 8); }); }),
            c.part);
        EXPECT_EQ(errorWithHeadroom(c.headroom, [&] { loadPicture(path); }), c.load);
    }
}

TEST_F(PictureLoader, UnreadableFileIsPermissionDenied)
{
    const QString path = write("secret.bmp", encode(quadrants(8, 8), "bmp"));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    // Root reads everything, so the attempt is made as nobody, in a child process.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0) ? 100 : loadError(path));
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 100)
        GTEST_SKIP() << "cannot drop privileges here";
    EXPECT_EQ(WEXITSTATUS(status), err::PermissionDenied);
}

TEST_F(PictureLoader, LoadsWhatTheContentHoldsInItsColours)
{
    const QImage picture = quadrants(40, 24);
    const QByteArray big = encode(quadrants(256, 256), "jpeg");
    const QString gray = write("gray.jpg", encode(quadrants(32, 32).convertToFormat(QImage::Format_Grayscale8), "jpeg"));
    const QString cmyk = kData + "/cmyk-red-blue-64x32.jpg";
    const struct {
        QString path;
        QSize size;
        QPoint at;
        QRgb colour;
    } cases[] = {
        // The format comes from the content, never from the name.
        {write("photo.bmp", encode(picture, "jpeg")), {40, 24}, {5, 5}, kRed},
        {write("photo.dib", encode(picture, "bmp")), {40, 24}, {5, 5}, kRed},
        {write("photo.gif", encode(picture, "bmp")), {40, 24}, {5, 5}, kRed},
        {write("photo", encode(picture, "jpeg")), {40, 24}, {5, 5}, kRed},
        {write("half.jpg", big.left(big.size() / 2)), {256, 256}, {8, 8}, kRed},  // what arrived, like a viewer
        {write("big.jpg", encode(quadrants(8000, 6000), "jpeg")), {8000, 6000}, {5, 5}, kRed},  // over Qt's limit
        {gray, {32, 32}, {5, 30}, kBlack},  // blue is dark grey
        {gray, {32, 32}, {30, 30}, kWhite},
        {cmyk, {64, 32}, {10, 16}, kRed},
        {cmyk, {64, 32}, {50, 16}, kBlue},
    };
    for (const auto& c : cases) {
        const QImage image = loadPicture(c.path);
        EXPECT_EQ(image.size(), c.size) << c.path.toStdString();
        EXPECT_EQ(image.format(), QImage::Format_RGB32) << c.path.toStdString();
        EXPECT_EQ(rounded(image.pixel(c.at)), c.colour) << c.path.toStdString() << " at " << c.at.x();
    }
    EXPECT_GT(qGray(loadPicture(gray).pixel(30, 30)), 240);  // white stays white
}

TEST_F(PictureLoader, ExifOrientationStandsThePhotoUpright)
{
    // Stored 64 x 32; the colour seen at the upright top-left for orientations 1 to 8.
    const QRgb topLeft[] = {kRed, kGreen, kWhite, kBlue, kRed, kBlue, kWhite, kGreen};
    const QByteArray jpeg = encode(quadrants(64, 32), "jpeg");
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const QString path = write(QString("o%1.jpg").arg(orientation), withOrientation(jpeg, orientation));
        const QImage image = loadPicture(path);
        EXPECT_EQ(image.size(), orientation >= 5 ? QSize(32, 64) : QSize(64, 32)) << orientation;
        EXPECT_EQ(rounded(image.pixel(4, 4)), topLeft[orientation - 1]) << orientation;
        const QImage preview = loadPreview(path, QSize(8, 8));
        EXPECT_EQ(preview.size(), orientation >= 5 ? QSize(8, 16) : QSize(16, 8)) << orientation;
    }
}

TEST_F(PictureLoader, BmpVariantsLoad)
{
    for (const char* name : {"pal1", "pal4rle", "pal8rle", "pal8topdown", "rgb16-565"})
        EXPECT_EQ(loadPicture(kData + "/bmp-suite-" + name + ".bmp").size(), QSize(127, 64)) << name;
    // Top-down and bottom-up (run-length) versions of the same picture look the same; a
    // part of one that is not a plain BMP is the whole picture.
    int asked = 0;
    const PicturePart part = loadPicturePart(kData + "/bmp-suite-pal8topdown.bmp", [&](QSize natural) {
        EXPECT_EQ(natural, QSize(127, 64));
        ++asked;
        return QSize(9, 9);
    });
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(part.natural, QSize(127, 64));
    EXPECT_EQ(part.image, loadPicture(kData + "/bmp-suite-pal8rle.bmp"));
}

TEST_F(PictureLoader, TransparentGifPixelsShowTheBackground)
{
    const auto on = [](const QColor& background) {
        PictureOptions options;
        options.background = background;
        return loadPicture(kData + "/gif-giflib-x-trans.gif", options);
    };
    const QImage onMagenta = on(QColor(255, 0, 255)), onCyan = on(QColor(0, 255, 255));
    ASSERT_EQ(onMagenta.size(), QSize(100, 100));
    int transparent = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            if (onMagenta.pixel(x, y) != onCyan.pixel(x, y)) {
                ++transparent;
                ASSERT_EQ(onMagenta.pixel(x, y), 0xFFFF00FFu);
                ASSERT_EQ(onCyan.pixel(x, y), 0xFF00FFFFu);
            }
    EXPECT_GT(transparent, 100);
    EXPECT_LT(transparent, 100 * 100);
}

TEST_F(PictureLoader, PreviewIsReducedButStillCoversTheBox)
{
    const QImage picture = quadrants(800, 600);
    const struct {
        const char* name;
        QByteArray bytes;
        QSize box;
        QSize expected;
    } cases[] = {
        {"progressive.jpg", encode(picture, "jpeg", true), {50, 50}, {67, 50}},  // first scan only
        {"progressive-quarter.jpg", encode(picture, "jpeg", true), {100, 100}, {134, 100}},
        {"progressive-half.jpg", encode(picture, "jpeg", true), {300, 300}, {400, 300}},
        {"baseline.jpg", encode(picture, "jpeg"), {217, 217}, {290, 217}},
        {"picture.bmp", encode(picture, "bmp"), {60, 90}, {120, 90}},
        {"small.jpg", encode(quadrants(40, 30), "jpeg"), {217, 217}, {40, 30}},  // never enlarged
        {"nobox.jpg", encode(picture, "jpeg"), {}, {800, 600}},
    };
    for (const auto& c : cases) {
        const QString path = write(c.name, c.bytes);
        const QImage preview = loadPreview(path, c.box);
        EXPECT_EQ(preview.size(), c.expected) << c.name;
        // Each quadrant keeps its colour.
        const QImage full = loadPicture(path);
        for (const QPointF at : {QPointF(0.2, 0.2), QPointF(0.8, 0.2), QPointF(0.2, 0.8), QPointF(0.8, 0.8)})
            EXPECT_EQ(rounded(preview.pixel(int(at.x() * preview.width()), int(at.y() * preview.height()))),
                rounded(full.pixel(int(at.x() * full.width()), int(at.y() * full.height()))))
                << c.name;
    }
}

// Loads `path` keeping `keep(natural)` and checks it against the whole load: the part is
// exactly as large as the clamped answer, and pixel for pixel the same.
void expectPartMatches(const QString& path, const std::function<QSize(QSize)>& keep, const std::string& what)
{
    const QImage whole = loadPicture(path);
    int asked = 0;
    QSize answer;
    const PicturePart part = loadPicturePart(path, [&](QSize natural) {
        ++asked;
        EXPECT_EQ(natural, whole.size()) << what;
        return answer = keep(natural);
    });
    EXPECT_EQ(asked, 1) << what;
    EXPECT_EQ(part.natural, whole.size()) << what;
    const QSize kept(std::clamp(answer.width(), 1, whole.width()), std::clamp(answer.height(), 1, whole.height()));
    ASSERT_EQ(part.image.size(), kept) << what;
    ASSERT_EQ(part.image.format(), QImage::Format_RGB32) << what;
    for (int y = 0; y < kept.height(); ++y)
        for (int x = 0; x < kept.width(); ++x)
            ASSERT_EQ(part.image.pixel(x, y), whole.pixel(x, y)) << what << " at " << x << "," << y;
}

TEST_F(PictureLoader, PartOfAJpegIsExactlyThatPartOfTheWhole)
{
    const QImage picture = detailed(333, 221);  // odd sizes: the last iMCUs are partial
    const struct {
        const char* name;
        std::function<QSize(QSize)> keep;
    } sizes[] = {
        {"inside an iMCU", [](QSize) { return QSize(5, 11); }},
        {"iMCU boundary", [](QSize) { return QSize(32, 48); }},
        {"near the whole", [](QSize n) { return QSize(n.width() - 3, n.height() - 1); }},
        {"full width, a few rows", [](QSize n) { return QSize(n.width(), 17); }},
        {"larger", [](QSize) { return QSize(1000, 1000); }},
        {"empty", [](QSize) { return QSize(); }},
    };
    for (const bool progressive : {false, true}) {
        const QByteArray jpeg = encode(picture, "jpeg", progressive);
        for (int orientation = 1; orientation <= 8; ++orientation) {
            const QString path = write(QString("o%1.jpg").arg(orientation), withOrientation(jpeg, orientation));
            for (const auto& size : sizes)
                expectPartMatches(path, size.keep,
                    std::string(progressive ? "progressive" : "baseline") + " orientation "
                        + std::to_string(orientation) + ", " + size.name);
        }
    }
    // Cut short, gray and CMYK the same.
    const QByteArray cut = encode(picture, "jpeg", true);
    const QByteArray gray = encode(picture.convertToFormat(QImage::Format_Grayscale8), "jpeg");
    for (const auto& [path, keep] : {std::pair{write("cut.jpg", cut.left(cut.size() * 2 / 3)), QSize(250, 190)},
             std::pair{write("gray.jpg", withOrientation(gray, 3)), QSize(61, 45)},
             std::pair{kData + "/cmyk-red-blue-64x32.jpg", QSize(40, 20)}})
        expectPartMatches(path, [keep = keep](QSize) { return keep; }, path.toStdString());
    EXPECT_THROW(loadPicturePart(kData + "/cmyk-red-blue-64x32.jpg", never), std::logic_error);  // passes through
}

// A plain BMP as other programs write it: 24 or 32 bits, either way up, rows padded to 4
// bytes, the pixels where the header's offset says (past a gap, or inside the headers,
// where the pixels follow them).
QByteArray plainBmpFile(const QImage& image, int bits, bool topDown, int offset)
{
    const int stride = (image.width() * bits + 31) / 32 * 4;
    QByteArray bytes = "BM" + QByteArray(52, '\0') + QByteArray(std::max(offset, 54) - 54, '\x7F');
    putLe32(bytes, 10, offset);
    putLe32(bytes, 14, 40);
    putLe32(bytes, 18, image.width());
    putLe32(bytes, 22, topDown ? -image.height() : image.height());
    bytes[26] = 1;
    bytes[28] = char(bits);
    for (int r = 0; r < image.height(); ++r) {
        const int y = topDown ? r : image.height() - 1 - r;
        QByteArray row(stride, '\x55');
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            const int at = x * bits / 8;
            row[at] = char(qBlue(p));
            row[at + 1] = char(qGreen(p));
            row[at + 2] = char(qRed(p));
        }
        bytes += row;
    }
    putLe32(bytes, 2, bytes.size());
    return bytes;
}

TEST_F(PictureLoader, PlainBmpEitherWayUpWholeOrInPart)
{
    const QImage picture = detailed(13, 7);
    const struct {
        int bits;
        bool topDown;
        int offset;
    } cases[] = {{24, false, 54}, {24, true, 54}, {32, false, 54}, {32, true, 70}, {24, false, 0}, {32, false, 20}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, top-down " << c.topDown << ", offset " << c.offset);
        const QByteArray bytes = plainBmpFile(picture, c.bits, c.topDown, c.offset);
        const QString path = write("plain.bmp", bytes);
        EXPECT_EQ(loadPicture(path), picture);
        expectPartMatches(path, [](QSize) { return QSize(5, 3); }, "a part");
        // One byte short of the last row: refused, never shown with garbage.
        EXPECT_EQ(loadError(write("short.bmp", bytes.left(bytes.size() - 1))), err::InvalidPicture);
    }
}

}  // namespace
}  // namespace tessaron
