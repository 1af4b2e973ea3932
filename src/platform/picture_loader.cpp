#include "platform/picture_loader.h"

#include "platform/metafile_render.h"
#include "platform/runtime_error.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

namespace tessaron {
namespace {

QImage opaque(const QImage& image, const QColor& background)
{
    QImage result(image.size(), QImage::Format_RGB32);
    result.fill(background);
    QPainter painter(&result);
    painter.drawImage(0, 0, image);
    return result;
}

QImage decode(const QString& path, QSize scaledTo, const PictureOptions& options)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw RuntimeError(err::FileNotFound);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw RuntimeError(err::PermissionDenied);
    const QByteArray head = file.peek(4);
    if (isMetafile(head))
        return renderMetafile(file.readAll(), options.twipsX, options.twipsY);
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    if (scaledTo.isValid())
        reader.setScaledSize(scaledTo);
    const QImage image = reader.read();
    if (image.isNull())
        throw RuntimeError(err::InvalidPicture);
    return opaque(image, options.background);
}

}  // namespace

QImage loadPicture(const QString& path, const PictureOptions& options)
{
    return decode(path, {}, options);
}

QImage loadPreview(const QString& path, QSize, const PictureOptions& options)
{
    return decode(path, {}, options);
}

}  // namespace tessaron
