// The shared picture corpus: every good file loads at the size its README gives, whole,
// in part and as a preview; every bad one is refused with an error or, where the README
// allows it, loads; none crashes or keeps the game busy.

#include "ui/platform/picture_loader.h"
#include "core/platform/runtime_error.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <chrono>

namespace tessaron {
namespace {

const QString kCorpus = QStringLiteral(TESSARON_TESTDATA);

// The cells of the README's table row for the file `name`, which comes first.
QStringList readmeRow(const QString& name)
{
    static const QString readme = [] {
        QFile file(kCorpus + "/README.md");
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }();
    const qsizetype at = readme.indexOf("| `" + name + "` |");
    return at < 0 ? QStringList() : readme.mid(at + 1, readme.indexOf('\n', at) - at - 1).split('|');
}

class PictureCorpus : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFile::exists(kCorpus + "/README.md"))
            GTEST_SKIP() << "no picture corpus at " << kCorpus.toStdString();
    }
};

// Within the part its caller keeps, a picture is pixel for pixel the whole one. Plain
// BMPs and all GIFs skip Qt's decoder, yet show as Qt shows them on white.
TEST_F(PictureCorpus, EveryGoodFileLoadsAtItsSizeWholeInPartAndAsPreview)
{
    const QRegularExpression size(R"(^(JPEG|GIF|BMP\d?) (\d+)x(\d+))");  // metafiles give no pixel size
    const QDir good(kCorpus + "/good");
    int checked = 0, likeQt = 0;
    for (const QString& name : good.entryList(QDir::Files, QDir::Name)) {
        SCOPED_TRACE(name.toStdString());
        const QString path = good.filePath(name);
        try {
            const QImage image = loadPicture(path), preview = loadPreview(path, QSize(217, 217));
            const PicturePart part = loadPicturePart(path, [](QSize) { return QSize(37, 23); });
            EXPECT_EQ(image.format(), QImage::Format_RGB32);
            if (const QRegularExpressionMatch match = size.match(readmeRow(name).value(2).trimmed()); match.hasMatch()) {
                const QSize stored(match.captured(2).toInt(), match.captured(3).toInt());
                EXPECT_EQ(image.size(), name.contains("orient6") ? stored.transposed() : stored);  // shown upright
            }
            EXPECT_LE(preview.width(), image.width());
            EXPECT_LE(preview.height(), image.height());
            EXPECT_EQ(part.natural, image.size());
            EXPECT_EQ(part.image, image.copy(QRect(QPoint(), part.image.size())));
            const bool gif = name.endsWith(".gif");
            const QImage qt = QImageReader(path, gif ? "gif" : "bmp").read();  // null for the other types
            if (!qt.isNull() && (gif || !qt.hasAlphaChannel())) {  // Qt keeps a BMP's alpha
                QImage onWhite(qt.size(), QImage::Format_RGB32);
                onWhite.fill(Qt::white);
                QPainter(&onWhite).drawImage(0, 0, qt);
                EXPECT_EQ(image, onWhite);
                ++likeQt;
            }
        } catch (const RuntimeError& error) {
            ADD_FAILURE() << error.what();
        }
        ++checked;
    }
    EXPECT_GE(checked, 70);
    EXPECT_GE(likeQt, 20);
}

// Each is done with within a second, and a refusal says why: not a picture, or too
// large to hold, which no metafile is, its drawing being shrunk to fit.
TEST_F(PictureCorpus, EveryBadFileIsRefusedQuicklyOrAllowedToLoad)
{
    // The README lets these load: skipped records, partial pictures, lenient readers,
    // sniffed types.
    const QRegularExpression mayLoad(R"(\bload|skip|partial|show|ignore|clamp)", QRegularExpression::CaseInsensitiveOption);
    const QDir bad(kCorpus + "/bad");
    for (const QString& name : bad.entryList(QDir::Files, QDir::Name)) {
        SCOPED_TRACE(name.toStdString());
        const QString expected = readmeRow(name).value(3);  // "expected of our loader"
        const bool allowed = name.startsWith("edge-") || mayLoad.match(expected).hasMatch();
        const bool metafile = name.endsWith(".wmf") || name.endsWith(".emf");
        for (const QSize box : {QSize(), QSize(217, 217)}) {
            const auto start = std::chrono::steady_clock::now();
            try {
                const QImage image = loadPreview(bad.filePath(name), box);  // no box: the whole picture
                EXPECT_TRUE(allowed) << "loaded " << image.width() << "x" << image.height() << "; the README says "
                                     << expected.toStdString();
                EXPECT_FALSE(image.isNull());
            } catch (const RuntimeError& error) {
                EXPECT_TRUE(error.number() == err::InvalidPicture || (!metafile && error.number() == err::OutOfMemory))
                    << error.what();
            }
            EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        }
    }
}

}  // namespace
}  // namespace tessaron
