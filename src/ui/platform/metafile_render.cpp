#include "ui/platform/metafile_render.h"

#include "metafile/metafile.h"
#include "ui/platform/metafile_painter.h"
#include "core/platform/runtime_error.h"

#include <algorithm>
#include <new>

namespace tessaron {
namespace {

std::span<const std::uint8_t> bytesOf(const QByteArray& data)
{
    return {reinterpret_cast<const std::uint8_t*>(data.constData()), static_cast<std::size_t>(data.size())};
}

}  // namespace

bool isMetafile(const QByteArray& head)
{
    return metafile::looksLikeMetafile(bytesOf(head));
}

qint64 metafileLength(QIODevice& file, qint64 fileSize)
{
    const QByteArray head = file.peek(static_cast<qint64>(metafile::kLengthHeadBytes));
    return static_cast<qint64>(std::min<std::uint64_t>(static_cast<std::uint64_t>(std::max<qint64>(fileSize, 0)),
        metafile::statedLength(bytesOf(head))));
}

QImage renderMetafile(const QByteArray& data, float twipsX, float twipsY)
{
    MetafilePainter painter;
    try {
        metafile::play(bytesOf(data), twipsX, twipsY, painter);
    } catch (const std::bad_alloc&) {
        // The canvas and the records are capped, so only a short memory fails here.
        throw RuntimeError(err::OutOfMemory);
    }
    QImage picture = painter.finish();
    if (picture.isNull())
        throw RuntimeError(err::InvalidPicture);
    return picture;
}

}  // namespace tessaron
