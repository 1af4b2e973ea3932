#pragma once
// Loads a picture file by path at its natural size. The format is decided from the
// content, never from the name: JPEG, GIF (its first frame) and BMP/DIB, plus the
// metafiles, which have their own renderer. EXIF orientation is applied, so photos stand
// upright. Failures are run-time errors:
//   481  not a picture it can decode (unknown type, corrupt header, a text file);
//   53   the file does not exist;
//   70   it may not be read;
//   75   the name is a folder, a device, a pipe or something else that is no file;
//   7    the decoded picture would not fit in 1 GiB; refused from the header, before
//        any pixels are allocated.
// Damage past the header is shown as the decoder leaves it, as desktop viewers do: a
// JPEG cut in half loads with its lower part grey.

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

#include <cstdint>

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
// never larger than its natural size. A large photo previews several times faster than
// it loads. Same errors as loadPicture; an invalid or empty box gives the natural size.
QImage loadPreview(const QString& path, QSize box, const PictureOptions& options = {});

}  // namespace tessaron
