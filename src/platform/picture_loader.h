#pragma once
// Loads a picture file by path at its natural size. The format is decided from the
// content, never from the name. Failures are run-time errors: 481 for anything that is
// not a picture it can decode, 53 for a missing file, 70 or 75 for one it may not read.

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

namespace tessaron {

struct PictureOptions {
    float twipsX = 15.0f;             // metafiles are sized in twips, then in pixels
    float twipsY = 15.0f;
    QColor background = Qt::white;    // what transparent pixels show
};

// The picture at its natural size, opaque (Format_RGB32).
QImage loadPicture(const QString& path, const PictureOptions& options = {});

// The picture decoded at a reduced size that still fills `box` when stretched to it,
// so a large photo previews quickly.
QImage loadPreview(const QString& path, QSize box, const PictureOptions& options = {});

}  // namespace tessaron
