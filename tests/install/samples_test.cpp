// The sample pictures as a player first meets them: copied beside the binary, listed by
// the new-puzzle dialog's first look at the program's own folder, and each one loading
// with the shape it is there to show.

#include "dialog/browser_lists.h"
#include "dialog/dialog.h"
#include "platform/picture_loader.h"
#include "platform/runtime_error.h"

#include <QCoreApplication>
#include <QDir>

#include <gtest/gtest.h>

namespace tessaron {
namespace {

QStringList sampleNames()
{
    return QDir(QStringLiteral(TESSARON_SAMPLES_DIR)).entryList(QDir::Files, QDir::Name);
}

TEST(Samples, TheDialogListsThemAtFirstSight)
{
    const QStringList samples = sampleNames();
    ASSERT_GE(samples.size(), 4);
    ASSERT_LE(samples.size(), 6);
    GameState state;
    Dialog dialog(state, screenMetrics());
    auto* files = dialog.findChild<FileList*>(QStringLiteral("File1"));
    ASSERT_NE(files, nullptr);
    EXPECT_EQ(files->path(), QCoreApplication::applicationDirPath());
    const QStringList listed = files->fileNames();
    for (const QString& sample : samples)
        EXPECT_TRUE(listed.contains(sample)) << sample.toStdString();
}

TEST(Samples, EachLoadsWithItsShape)
{
    enum class Shape { Landscape, Portrait, Square };
    struct Case {
        const char* file;
        Shape shape;
        int minSide;   // the shorter side lies in [minSide, maxSide]
        int maxSide;
    };
    const Case cases[] = {
        {"aitzgorri.jpg", Shape::Landscape, 400, 1200},
        {"friends.jpg", Shape::Portrait, 400, 1200},     // upright only through EXIF
        {"sunset.jpg", Shape::Square, 300, 800},
        {"wine.jpg", Shape::Portrait, 16, 120},          // the small one
        {"dragonfly.jpg", Shape::Landscape, 2000, 5000}, // the large photo
        {"picos-de-europa.wmf", Shape::Landscape, 100, 1200},
    };
    ASSERT_EQ(sampleNames().size(), static_cast<qsizetype>(std::size(cases)));
    const QDir own(QCoreApplication::applicationDirPath());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        QImage picture;
        try {
            picture = loadPicture(own.filePath(QString::fromLatin1(c.file)));
        } catch (const RuntimeError& error) {
            ADD_FAILURE() << error.number() << " " << error.description();
            continue;
        }
        ASSERT_FALSE(picture.isNull());
        const int w = picture.width(), h = picture.height();
        switch (c.shape) {
        case Shape::Landscape: EXPECT_GT(w, h); break;
        case Shape::Portrait: EXPECT_LT(w, h); break;
        case Shape::Square: EXPECT_EQ(w, h); break;
        }
        EXPECT_GE(std::min(w, h), c.minSide);
        EXPECT_LE(std::min(w, h), c.maxSide);
    }
}

}  // namespace
}  // namespace tessaron
