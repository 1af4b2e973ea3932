#include "ui/platform/picture_area.h"

#include "core/platform/runtime_error.h"
#include "ui/platform/native_names.h"

#include <algorithm>
#include <optional>

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

Surface LoadedPictures::pictureArea(const std::string& path, bool scaled,
    const std::function<PictureReading(PictureSize natural)>& reading, Pixel background)
{
    std::optional<PictureReading> asked;
    const auto ask = [&](QSize natural) {
        asked = reading({natural.width(), natural.height()});
        return QSize(asked->size.width, asked->size.height);
    };
    const QString name = nameFromNative(path);
    QImage picture = scaled ? loadFittedPicture(name, ask, options_) : loadPicturePart(name, ask, options_).image;
    if (!asked)
        ask(picture.size());
    return tessaron::pictureArea(picture, asked->area, background);
}

}  // namespace tessaron
