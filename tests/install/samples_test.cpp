// The sample pictures a new player first meets, copied beside the binary, where the
// new-puzzle dialog first looks: each one loads with the shape it is there to show.

#include "ui/platform/picture_loader.h"
#include "support/error_number.h"

#include <QCoreApplication>
#include <QDir>

#include <gtest/gtest.h>

namespace tessaron {
namespace {

TEST(Samples, EachLoadsBesideTheProgramWithItsShape)
{
    // The sign of width - height (landscape, square or portrait), and the least shorter side.
    const struct { const char* file; int shape, minSide; } cases[] = {
        {"aitzgorri.jpg", 1, 400}, {"friends.jpg", -1, 400},  // upright only through EXIF
        {"sunset.jpg", 0, 300}, {"wine.jpg", -1, 16}, {"dragonfly.jpg", 1, 2000}, {"picos-de-europa.wmf", 1, 100},
    };
    ASSERT_EQ(QDir(QStringLiteral(TESSARON_SAMPLES_DIR)).entryList(QDir::Files).size(), std::ssize(cases));
    const QDir own(QCoreApplication::applicationDirPath());
    for (const auto& c : cases) {
        QImage picture;
        EXPECT_EQ(errorNumberOf([&] { picture = loadPicture(own.filePath(QString::fromLatin1(c.file))); }), kNoError) << c.file;
        const int w = picture.width(), h = picture.height();
        EXPECT_EQ((w > h) - (w < h), c.shape) << c.file << " " << w << " x " << h;
        EXPECT_GE(std::min(w, h), c.minSide) << c.file;
    }
}

}  // namespace
}  // namespace tessaron
