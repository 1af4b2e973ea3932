// The sample pictures as a player first meets them: copied beside the binary, listed by
// the new-puzzle dialog's first look at the program's own folder, and each one loading
// with the shape it is there to show.

#include "ui/dialog/browser_lists.h"
#include "ui/dialog/dialog.h"
#include "core/language/texts.h"
#include "ui/platform/picture_loader.h"
#include "core/platform/runtime_error.h"

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
    ASSERT_FALSE(samples.isEmpty());
    Dialog dialog(kEnglish, screenMetrics());
    auto* files = dialog.findChild<FileList*>(QStringLiteral("File1"));
    ASSERT_NE(files, nullptr);
    EXPECT_EQ(files->path(), QCoreApplication::applicationDirPath());
    const QStringList listed = files->fileNames();
    for (const QString& sample : samples)
        EXPECT_TRUE(listed.contains(sample)) << sample.toStdString();
}

TEST(Samples, EachLoadsWithItsShape)
{
    const struct {
        const char* file;
        int shape;              // the sign of width - height: landscape, square or portrait
        int minSide, maxSide;   // the shorter side lies in [minSide, maxSide]
    } cases[] = {
        {"aitzgorri.jpg", 1, 400, 1200},
        {"friends.jpg", -1, 400, 1200},      // upright only through EXIF
        {"sunset.jpg", 0, 300, 800},
        {"wine.jpg", -1, 16, 120},           // the small one
        {"dragonfly.jpg", 1, 2000, 5000},    // the large photo
        {"picos-de-europa.wmf", 1, 100, 1200},
    };
    ASSERT_EQ(sampleNames().size(), static_cast<qsizetype>(std::size(cases)));
    const QDir own(QCoreApplication::applicationDirPath());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        try {
            const QImage picture = loadPicture(own.filePath(QString::fromLatin1(c.file)));
            const int w = picture.width(), h = picture.height();
            EXPECT_EQ((w > h) - (w < h), c.shape) << w << " x " << h;
            EXPECT_GE(std::min(w, h), c.minSide);
            EXPECT_LE(std::min(w, h), c.maxSide);
        } catch (const RuntimeError& error) {
            ADD_FAILURE() << error.number() << " " << error.description();
        }
    }
}

}  // namespace
}  // namespace tessaron
