#pragma once
// Loads a picture file by path at its natural size. The format is decided from the
// content, never from the name: JPEG, GIF (its first frame) and BMP/DIB, plus the
// metafiles, which have their own renderer. EXIF orientation is applied, so photos stand
// upright. Failures are run-time errors:
//   481  not a picture it can decode (unknown type, corrupt header, a text file);
//   53   the file does not exist;
//   70   it may not be read;
//   75   the name is a folder, a device, a pipe or something else that is no file;
//   7    out of memory: the decoded picture would not fit in 1 GiB, or the decoder's
//        working memory would not (a progressive JPEG keeps the coefficients of the
//        whole picture), both refused from the header before anything is allocated;
//        or an allocation failed on the way. No std::bad_alloc leaves the loader.
// Damage past the header is shown as the decoder leaves it, as desktop viewers do: a
// JPEG cut in half loads with its lower part grey.

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>

namespace tessaron {

struct PictureOptions {
    float twipsX = 15.0f;             // metafiles are sized in twips, then in pixels
    float twipsY = 15.0f;
    QColor background = Qt::white;    // what transparent pixels show
};

// The most a decoded picture may take, at 4 bytes per pixel.
inline constexpr std::int64_t kMaxPictureBytes = std::int64_t{1} << 30;

// The picture at its natural size, opaque (Format_RGB32). An empty path gives the empty
// (null) picture, which is how a picture box is cleared.
QImage loadPicture(const QString& path, const PictureOptions& options = {});

// The picture decoded at a reduced size that keeps its proportions and is at least as
// large as `box` in both directions, so it still fills the box when stretched to it;
// never larger than its natural size, and scaled smoothly. A large photo previews several
// times faster than it loads; a GIF or uncompressed BMP many times larger than the box is
// first read at a few times the box's size, from one row in several, so that neither its
// whole file nor its whole pixels are needed. Same errors as loadPicture; an invalid or
// empty box gives the natural size.
QImage loadPreview(const QString& path, QSize box, const PictureOptions& options = {});

// A picture of which only a top-left part will be used, and the size of the whole.
struct PicturePart {
    QImage image;    // upright, Format_RGB32; covers at least the kept part, never more than the whole
    QSize natural;   // the whole picture's upright natural size (loadPicture's image size)
};

// Loads no more of a large photo than the screen will show. `keep` is called once with
// the upright natural size and answers the top-left width x height the caller will use;
// the answer is clamped to the picture and to at least 1 x 1, so an empty answer still
// gives a 1 x 1 image. Within the kept part the pixels are exactly loadPicture's.
// JPEG, GIF and BMP of every kind are decoded in part: the image is then exactly the kept
// part, and `keep` is called before any of its pixels are decoded; a run-length BMP is read
// through as a stream, but only its kept rows and columns take memory. The other formats are
// loaded whole (a metafile is rendered before `keep` is asked) and the caller cuts. Same errors as
// loadPicture, and an exception from `keep` passes through (std::bad_alloc as error 7).
// An empty path gives a null image and an invalid natural size without asking `keep`.
PicturePart loadPicturePart(const QString& path, const std::function<QSize(QSize natural)>& keep,
    const PictureOptions& options = {});

// The whole picture, scaled down to a size the caller chooses. `fit` is called once with
// the upright natural size and answers the size wanted, clamped to the natural size and
// to at least 1 x 1; the natural size gives exactly loadPicture's picture. A smaller one
// is scaled to exactly, smoothly (area-averaged, not sampled): a JPEG is first decoded at
// the smallest of libjpeg's reduced scales that still covers it, before any of its pixels,
// so a large photo costs little more than its reduced pixels; a GIF or BMP many times
// larger than the size wanted is read as its preview is, from one row in several, and
// needs neither its whole pixels nor their memory; the other formats are decoded whole
// first. Same errors as loadPicture, and an exception from `fit` passes through. An
// empty path gives a null image without asking `fit`.
QImage loadFittedPicture(const QString& path, const std::function<QSize(QSize natural)>& fit,
    const PictureOptions& options = {});

}  // namespace tessaron
