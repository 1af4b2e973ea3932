// The shared picture corpus: every good file loads at the size its README gives, every
// bad one is refused with an error or, where the README allows it, loads; none crashes.

#include "ui/platform/picture_loader.h"
#include "core/platform/runtime_error.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QImageReader>
#include <QPainter>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace tessaron {
namespace {

const QString kCorpus = QStringLiteral(TESSARON_TESTDATA);

// The README's tables, by file name: the "picture" column for good/, the "expected of
// our loader" column for bad/.
QHash<QString, QString> readmeColumn(const QString& section, int column)
{
    QFile readme(kCorpus + "/README.md");
    QHash<QString, QString> rows;
    bool inSection = false;
    if (readme.open(QIODevice::ReadOnly | QIODevice::Text))
        for (const QString& line : QString::fromUtf8(readme.readAll()).split('\n')) {
            if (line.startsWith("## "))
                inSection = line.trimmed() == "## " + section;
            const QStringList cells = line.split('|');
            if (inSection && line.startsWith("| `") && cells.size() > column + 1)
                rows.insert(cells[1].trimmed().remove('`'), cells[column + 1].trimmed());
        }
    return rows;
}

class PictureCorpus : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFile::exists(kCorpus + "/README.md"))
            GTEST_SKIP() << "no picture corpus at " << kCorpus.toStdString();
    }
};

TEST_F(PictureCorpus, EveryGoodFileLoadsAtItsSize)
{
    const QHash<QString, QString> pictures = readmeColumn("good/", 2);
    const QRegularExpression size(R"(^(JPEG|GIF|BMP\d?) (\d+)x(\d+))");  // metafiles give no pixel size
    const QDir good(kCorpus + "/good");
    int checked = 0;
    for (const QString& name : good.entryList(QDir::Files, QDir::Name)) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_TRUE(pictures.contains(name)) << "not in the README";
        QImage image, preview;
        try {
            image = loadPicture(good.filePath(name));
            preview = loadPreview(good.filePath(name), QSize(217, 217));
        } catch (const RuntimeError& error) {
            ADD_FAILURE() << error.what();
            continue;
        }
        EXPECT_EQ(image.format(), QImage::Format_RGB32);
        EXPECT_FALSE(image.isNull());
        const QRegularExpressionMatch match = size.match(pictures.value(name));
        if (match.hasMatch()) {
            QSize expected(match.captured(2).toInt(), match.captured(3).toInt());
            if (name.contains("orient6"))  // stored on its side, shown upright
                expected.transpose();
            EXPECT_EQ(image.size(), expected);
        }
        // The preview is never larger than the picture.
        EXPECT_LE(preview.width(), image.width());
        EXPECT_LE(preview.height(), image.height());
        ++checked;
    }
    EXPECT_GE(checked, 70);
}

TEST_F(PictureCorpus, EveryBadFileIsRefusedCleanlyOrAllowedToLoad)
{
    const QHash<QString, QString> expected = readmeColumn("bad/", 3);
    // The README lets these load: skipped records, partial pictures, lenient readers,
    // sniffed types.
    const QRegularExpression mayLoad(R"(\bload|skip|partial|show|ignore|clamp)", QRegularExpression::CaseInsensitiveOption);
    const QDir bad(kCorpus + "/bad");
    for (const QString& name : bad.entryList(QDir::Files, QDir::Name)) {
        SCOPED_TRACE(name.toStdString());
        ASSERT_TRUE(expected.contains(name)) << "not in the README";
        const bool allowed = name.startsWith("edge-") || mayLoad.match(expected.value(name)).hasMatch();
        for (const bool preview : {false, true}) {
            try {
                const QImage image = preview ? loadPreview(bad.filePath(name), QSize(217, 217))
                                             : loadPicture(bad.filePath(name));
                EXPECT_TRUE(allowed) << "loaded " << image.width() << "x" << image.height() << "; the README says "
                                     << expected.value(name).toStdString();
                EXPECT_FALSE(image.isNull());
            } catch (const RuntimeError& error) {
                // Refusals say why: not a picture, or too large to hold.
                EXPECT_TRUE(error.number() == err::InvalidPicture || error.number() == err::OutOfMemory)
                    << error.what();
            }
        }
    }
}

// Plain 24- and 32-bit BMPs and all GIFs skip Qt's decoder: every one in the corpus must
// come out as Qt shows it on a white background, and so must the rest, which still go
// through Qt.
TEST_F(PictureCorpus, BmpAndGifPixelsAreQtsOwn)
{
    const QDir good(kCorpus + "/good");
    int compared = 0;
    for (const QString& name : good.entryList({"*.bmp", "*.dib", "*.gif"}, QDir::Files, QDir::Name)) {
        SCOPED_TRACE(name.toStdString());
        const bool gif = name.endsWith(".gif");
        QImage expected = QImageReader(good.filePath(name), gif ? "gif" : "bmp").read();
        if (expected.isNull() || (expected.hasAlphaChannel() && !gif))
            continue;
        if (expected.hasAlphaChannel()) {
            QImage onWhite(expected.size(), QImage::Format_RGB32);
            onWhite.fill(Qt::white);
            QPainter(&onWhite).drawImage(0, 0, expected);
            expected = onWhite;
        }
        const QImage ours = loadPicture(good.filePath(name));
        const PicturePart part = loadPicturePart(good.filePath(name), [](QSize) { return QSize(37, 23); });
        EXPECT_EQ(ours, expected.convertToFormat(QImage::Format_RGB32));
        EXPECT_EQ(part.natural, ours.size());
        EXPECT_EQ(part.image, ours.copy(0, 0, part.image.width(), part.image.height()));
        ++compared;
    }
    EXPECT_GE(compared, 20);
}

}  // namespace
}  // namespace tessaron
