#include "ui/platform/picture_area.h"

#include "core/platform/runtime_error.h"

#include <algorithm>

namespace tessaron {

Surface pictureArea(const QImage& picture, PictureSize size, Pixel background)
{
    const QImage image = picture.format() == QImage::Format_RGB32
        ? picture
        : picture.convertToFormat(QImage::Format_RGB32);
    if (image.isNull() && !picture.isNull())
        throw RuntimeError(err::OutOfMemory);  // the conversion had no room
    Surface surface;
    surface.reshape(size.width, size.height);
    const std::int32_t columns = std::clamp(size.width, 0, image.width());
    const std::int32_t rows = std::clamp(size.height, 0, image.height());
    for (std::int32_t y = 0; y < surface.height(); ++y) {
        Pixel* row = surface.row(y);
        std::int32_t copied = 0;
        if (y < rows) {
            std::copy_n(reinterpret_cast<const Pixel*>(image.constScanLine(y)), columns, row);
            copied = columns;
        }
        std::fill(row + copied, row + surface.width(), background);
    }
    return surface;
}

}  // namespace tessaron
