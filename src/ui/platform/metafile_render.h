#pragma once
// Windows metafiles (WMF, placeable or standard, and EMF) rendered with our own reader.

#include <QByteArray>
#include <QIODevice>
#include <QImage>

namespace tessaron {

// True when the first bytes are those of a WMF or an EMF.
bool isMetafile(const QByteArray& head);

// How many bytes of a file of `fileSize` bytes, positioned at its start, the metafile
// takes as its header says: renderMetafile() looks at no more, so no more need be read.
// Nothing is consumed.
qint64 metafileLength(QIODevice& file, qint64 fileSize);

// The drawing at its natural size on an opaque white background; 481 when the file is
// not a metafile it can render, 7 when memory runs short.
QImage renderMetafile(const QByteArray& data, float twipsX, float twipsY);

}  // namespace tessaron
