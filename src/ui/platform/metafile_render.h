#pragma once
// Windows metafiles (WMF, placeable or standard, and EMF) rendered with our own reader.

#include <QByteArray>
#include <QImage>

namespace tessaron {

// True when the first bytes are those of a WMF or an EMF.
bool isMetafile(const QByteArray& head);

// The drawing at its natural size on an opaque white background; 481 when the file is
// not a metafile it can render, 7 when memory runs short.
QImage renderMetafile(const QByteArray& data, float twipsX, float twipsY);

}  // namespace tessaron
