#include "platform/picture_loader.h"
#include "platform/runtime_error.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tessaron {
namespace {

const QString kData = QStringLiteral(TESSARON_TEST_DATA_DIR);

// The error number loading `path` fails with; 0 when it loads.
int loadError(const QString& path)
{
    try {
        loadPicture(path);
        return 0;
    } catch (const RuntimeError& error) {
        return error.number();
    }
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
            image.setPixel(x, y, bottom ? (right ? 0xFFFFFFFF : 0xFF0000FF) : (right ? 0xFF00FF00 : 0xFFFF0000));
        }
    return image;
}

// A JPEG with an EXIF block that carries only the orientation, right after SOI.
QByteArray withOrientation(QByteArray jpeg, int orientation)
{
    QByteArray exif("Exif\0\0II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0", 24);
    exif += char(orientation);
    exif += QByteArray(7, '\0');
    const int length = static_cast<int>(exif.size()) + 2;
    QByteArray segment("\xFF\xE1", 2);
    segment += char(length >> 8);
    segment += char(length & 0xFF);
    return jpeg.insert(2, segment + exif);
}

// Patches the first SOFn frame of a JPEG to claim another size.
QByteArray withFrameSize(QByteArray jpeg, int width, int height)
{
    for (qsizetype i = 2; i + 9 < jpeg.size(); ++i)
        if (uchar(jpeg[i]) == 0xFF && (uchar(jpeg[i + 1]) == 0xC0 || uchar(jpeg[i + 1]) == 0xC2)) {
            jpeg[i + 5] = char(height >> 8);
            jpeg[i + 6] = char(height & 0xFF);
            jpeg[i + 7] = char(width >> 8);
            jpeg[i + 8] = char(width & 0xFF);
            break;
        }
    return jpeg;
}

void setLe32(QByteArray& bytes, int at, qint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xFF);
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
    QTemporaryDir dir;
};

TEST_F(PictureLoader, FailsWithTheNumberThatFitsTheFile)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("pipe")).constData(), 0644), 0);
    QByteArray png = encode(quadrants(8, 8), "png");
    const struct {
        QString path;
        int error;
    } cases[] = {
        {dir.filePath("missing.jpg"), err::FileNotFound},
        {dir.filePath("nofolder/missing.jpg"), err::FileNotFound},
        {dir.path(), err::PathFileAccessError},             // a folder
        {dir.filePath("pipe"), err::PathFileAccessError},   // no writer: must not block
        {"/dev/zero", err::PathFileAccessError},            // endless: must not be read
        {write("text.jpg", "Just some text, no picture at all.\n"), err::InvalidPicture},
        {write("empty.gif", {}), err::InvalidPicture},
        {write("png.jpg", png), err::InvalidPicture},       // not one of the game's types
        {write("cut.jpg", encode(quadrants(64, 64), "jpeg").left(30)), err::InvalidPicture},
        {write("magic.gif", "GIF89a and then only text"), err::InvalidPicture},
    };
    for (const auto& c : cases)
        EXPECT_EQ(loadError(c.path), c.error) << c.path.toStdString();
    EXPECT_TRUE(loadPicture({}).isNull());  // how a picture box is cleared
}

TEST_F(PictureLoader, UnreadableFileIsPermissionDenied)
{
    const QString path = write("secret.bmp", encode(quadrants(8, 8), "bmp"));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    // Root reads everything, so the attempt is made as nobody, in a child process.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(100);
        ::_exit(loadError(path));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 100)
        GTEST_SKIP() << "cannot drop privileges here";
    EXPECT_EQ(WEXITSTATUS(status), err::PermissionDenied);
}

TEST_F(PictureLoader, FormatComesFromTheContentNotTheName)
{
    const QImage picture = quadrants(40, 24);
    const struct {
        const char* name;
        const char* format;
    } cases[] = {{"photo.bmp", "jpeg"}, {"photo.dib", "bmp"}, {"photo.gif", "bmp"}, {"photo", "jpeg"}};
    for (const auto& c : cases) {
        const QImage image = loadPicture(write(c.name, encode(picture, c.format)));
        EXPECT_EQ(image.size(), QSize(40, 24)) << c.name;
        EXPECT_EQ(image.format(), QImage::Format_RGB32) << c.name;
        EXPECT_EQ(rounded(image.pixel(5, 5)), 0xFFFF0000u) << c.name;
    }
}

TEST_F(PictureLoader, ExifOrientationStandsThePhotoUpright)
{
    // Stored 64 x 32; the colour seen at the upright top-left for orientations 1 to 8.
    const QRgb red = 0xFFFF0000, green = 0xFF00FF00, blue = 0xFF0000FF, white = 0xFFFFFFFF;
    const QRgb topLeft[] = {red, green, white, blue, red, blue, white, green};
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
    for (const char* name : {"bmp-suite-pal1.bmp", "bmp-suite-pal4rle.bmp", "bmp-suite-pal8rle.bmp",
             "bmp-suite-pal8topdown.bmp", "bmp-suite-rgb16-565.bmp"})
        EXPECT_EQ(loadPicture(kData + "/" + name).size(), QSize(127, 64)) << name;
    // Top-down and bottom-up versions of the same picture look the same.
    QImage topDown = loadPicture(kData + "/bmp-suite-pal8topdown.bmp");
    QFile rle(kData + "/bmp-suite-pal8rle.bmp");
    EXPECT_EQ(rounded(topDown.pixel(10, 2)), rounded(loadPicture(rle.fileName()).pixel(10, 2)));
}

TEST_F(PictureLoader, CutShortBmpIsRefusedRatherThanShownWithStaleMemory)
{
    QFile rle(kData + "/bmp-suite-pal4rle.bmp");
    ASSERT_TRUE(rle.open(QIODevice::ReadOnly));
    const QByteArray rleBytes = rle.readAll();
    const QByteArray plain = encode(quadrants(64, 48), "bmp");
    QByteArray farOffset = plain;
    setLe32(farOffset, 10, 0x7FFFFFF0);
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"half.bmp", plain.left(plain.size() / 2)},
        {"one-byte-short.bmp", plain.left(plain.size() - 1)},
        {"half-rle.bmp", rleBytes.left(rleBytes.size() / 2)},
        {"far-offset.bmp", farOffset},
    };
    for (const auto& c : cases)
        EXPECT_EQ(loadError(write(c.name, c.bytes)), err::InvalidPicture) << c.name;
}

TEST_F(PictureLoader, CutJpegShowsWhatArrivedLikeAViewer)
{
    const QByteArray jpeg = encode(quadrants(256, 256), "jpeg");
    const QImage image = loadPicture(write("half.jpg", jpeg.left(jpeg.size() / 2)));
    EXPECT_EQ(image.size(), QSize(256, 256));
    EXPECT_EQ(rounded(image.pixel(8, 8)), 0xFFFF0000u);
}

TEST_F(PictureLoader, TransparentGifPixelsShowTheBackground)
{
    const QString path = kData + "/gif-giflib-x-trans.gif";
    PictureOptions magenta, cyan;
    magenta.background = QColor(255, 0, 255);
    cyan.background = QColor(0, 255, 255);
    const QImage onMagenta = loadPicture(path, magenta);
    const QImage onCyan = loadPicture(path, cyan);
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

TEST_F(PictureLoader, CmykJpegKeepsItsColours)
{
    const QImage image = loadPicture(kData + "/cmyk-red-blue-64x32.jpg");
    ASSERT_EQ(image.size(), QSize(64, 32));
    EXPECT_EQ(rounded(image.pixel(10, 16)), 0xFFFF0000u);
    EXPECT_EQ(rounded(image.pixel(50, 16)), 0xFF0000FFu);
}

TEST_F(PictureLoader, GrayJpegLoadsOpaque)
{
    const QImage gray = quadrants(32, 32).convertToFormat(QImage::Format_Grayscale8);
    const QImage image = loadPicture(write("gray.jpg", encode(gray, "jpeg")));
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
    EXPECT_EQ(qAlpha(image.pixel(30, 30)), 255);
    EXPECT_GT(qGray(image.pixel(30, 30)), 240);  // white stays white
}

TEST_F(PictureLoader, SizeLimitIsOneGibibyteOfPixels)
{
    // 8000 x 6000 is above Qt's own default limit and must load.
    const QImage big = quadrants(8000, 6000);
    EXPECT_EQ(loadPicture(write("big.jpg", encode(big, "jpeg"))).size(), QSize(8000, 6000));

    // Headers that claim more are refused from the header alone.
    const QByteArray small = encode(quadrants(16, 16), "jpeg");
    QByteArray bmp = encode(quadrants(8, 8), "bmp");
    setLe32(bmp, 18, 60000);
    setLe32(bmp, 22, 60000);
    const QByteArray gif("GIF89a\x60\xEA\x60\xEA\x80\0\0\0\0\0\xFF\xFF\xFF,\0\0\0\0\x60\xEA\x60\xEA\0\x02\x02\x44\x01\0;", 35);
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"16385x16384.jpg", withFrameSize(small, 16385, 16384)},  // one column over
        {"60000.jpg", withFrameSize(small, 60000, 60000)},
        {"60000.bmp", bmp},
        {"60000.gif", gif},
    };
    for (const auto& c : cases)
        EXPECT_EQ(loadError(write(c.name, c.bytes)), err::OutOfMemory) << c.name;
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
}

TEST_F(PictureLoader, PartOfOtherKindsOfJpegMatchesTheWhole)
{
    const QByteArray progressive = encode(detailed(300, 200), "jpeg", true);
    const QByteArray gray = encode(detailed(300, 200).convertToFormat(QImage::Format_Grayscale8), "jpeg");
    const struct {
        const char* name;
        QString path;
        QSize keep;
    } cases[] = {
        {"cut short", write("cut.jpg", progressive.left(progressive.size() * 2 / 3)), {250, 190}},
        {"gray", write("gray.jpg", withOrientation(gray, 3)), {61, 45}},
        {"cmyk", kData + "/cmyk-red-blue-64x32.jpg", {40, 20}},
    };
    for (const auto& c : cases)
        expectPartMatches(c.path, [&](QSize) { return c.keep; }, c.name);
}

TEST_F(PictureLoader, PartOfOtherFormatsIsWholeAndErrorsAreTheWholeLoadsOnes)
{
    const PicturePart palette = loadPicturePart(kData + "/bmp-suite-pal8topdown.bmp", [](QSize) { return QSize(9, 9); });
    EXPECT_EQ(palette.image.size(), QSize(127, 64));
    EXPECT_EQ(palette.natural, QSize(127, 64));
    const auto never = [](QSize) -> QSize { throw std::logic_error("asked"); };
    EXPECT_TRUE(loadPicturePart({}, never).image.isNull());
    // Refused from the header, before the caller is asked.
    const QString huge = write("huge.jpg", withFrameSize(encode(quadrants(16, 16), "jpeg"), 60000, 60000));
    try {
        loadPicturePart(huge, never);
        ADD_FAILURE() << "a 60000 x 60000 picture loaded";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), err::OutOfMemory);
    }
    EXPECT_THROW(loadPicturePart(write("small.jpg", encode(quadrants(16, 16), "jpeg")), never), std::logic_error);
}

// A plain BMP as other programs write it: 24 or 32 bits, either way up, rows padded to 4
// bytes, the pixels where the header's offset says (past a gap, or inside the headers,
// where the pixels follow them).
QByteArray plainBmpFile(const QImage& image, int bits, bool topDown, int offset)
{
    const int stride = (image.width() * bits + 31) / 32 * 4;
    QByteArray bytes(54, '\0');
    const auto put32 = [&](int at, std::int64_t v) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<char>(v >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    const int start = std::max(offset, 54);
    put32(10, offset);
    put32(14, 40);
    put32(18, image.width());
    put32(22, topDown ? -image.height() : image.height());
    bytes[26] = 1;
    bytes[28] = static_cast<char>(bits);
    bytes.append(QByteArray(start - 54, '\x7F'));
    for (int r = 0; r < image.height(); ++r) {
        const int y = topDown ? r : image.height() - 1 - r;
        QByteArray row(stride, '\x55');
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            const int at = x * bits / 8;
            row[at] = static_cast<char>(qBlue(p));
            row[at + 1] = static_cast<char>(qGreen(p));
            row[at + 2] = static_cast<char>(qRed(p));
        }
        bytes += row;
    }
    put32(2, bytes.size());
    return bytes;
}

TEST_F(PictureLoader, PlainBmpEitherWayUpWholeOrInPart)
{
    QImage picture(13, 7, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x * 19, y * 37, (x * y) % 256));
    struct Case {
        int bits;
        bool topDown;
        int offset;
    };
    for (const Case c : {Case{24, false, 54}, Case{24, true, 54}, Case{32, false, 54}, Case{32, true, 70},
             Case{24, false, 0}, Case{32, false, 20}}) {
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
