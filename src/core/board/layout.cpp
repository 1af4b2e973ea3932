#include "core/board/layout.h"

#include "core/platform/arithmetic.h"

#include <algorithm>

namespace tessaron {
namespace {

// The window around the whole picture, before the screen has a say.
Layout uncut(const LayoutInput& in)
{
    Layout out;
    out.picWidth = in.pictureWidth;
    out.picHeight = in.pictureHeight;
    out.left = roundToInt32(in.pictureWidth / 20.0f + 225.0f);
    out.top = roundToInt32(in.pictureHeight / 20.0f + 225.0f);

    // The client area is the picture plus its margins on every side.
    out.windowWidth = in.pictureWidth + 2.0f * static_cast<float>(out.left) + in.frameWidth;
    // Summed in this order, top margin, picture, bottom margin: floats round each step.
    out.windowHeight = static_cast<float>(out.top) + in.pictureHeight + static_cast<float>(out.top) + in.frameHeight;
    return out;
}

bool tooWide(const Layout& out, const LayoutInput& in) { return out.windowWidth > in.screenWidth; }

// 200 twips short of the screen's height already count as too tall, though the cut
// window then leaves 500 free.
bool tooTall(const Layout& out, const LayoutInput& in) { return in.screenHeight - 200.0f < out.windowHeight; }

}  // namespace

Layout layoutPicture(const LayoutInput& in)
{
    Layout out = uncut(in);
    if (tooWide(out, in)) {
        out.windowWidth = in.screenWidth;
        out.left = 500;
        out.picWidth = std::max(0.0f, out.windowWidth - in.frameWidth - 2.0f * 500.0f);
    }
    if (tooTall(out, in)) {
        out.windowHeight = in.screenHeight - 500.0f;
        out.top = 500;
        out.picHeight = std::max(0.0f, out.windowHeight - in.frameHeight - 1000.0f);
    }
    out.clientWidth = out.windowWidth - in.frameWidth;
    out.clientHeight = out.windowHeight - in.frameHeight;
    return out;
}

bool showsWholePicture(const LayoutInput& in)
{
    const Layout out = uncut(in);
    return !tooWide(out, in) && !tooTall(out, in);
}

PictureSize fitToScreen(const FitInput& in)
{
    const PictureSize whole = in.picture;
    if (whole.width <= 0 || whole.height <= 0)
        return whole;
    const bool wide = whole.width >= whole.height;
    const std::int64_t longer = wide ? whole.width : whole.height;
    const std::int64_t shorter = wide ? whole.height : whole.width;
    const auto sizeAt = [&](std::int64_t length) {
        const auto side = static_cast<std::int32_t>(length);
        const std::int64_t nearest = (2 * length * shorter + longer) / (2 * longer);
        const auto other = static_cast<std::int32_t>(std::max<std::int64_t>(1, nearest));
        return wide ? PictureSize{side, other} : PictureSize{other, side};
    };
    const auto fits = [&](PictureSize size) {
        return showsWholePicture({static_cast<float>(size.width) * in.twipsX,
            static_cast<float>(size.height) * in.twipsY, in.frameWidth, in.frameHeight, in.screenWidth,
            in.screenHeight});
    };
    if (fits(whole))
        return whole;
    // The window grows with the picture, so the lengths that fit run from 1 up to some
    // length below the whole's: the last one is between `fitting` and `tooLong`.
    std::int64_t fitting = 1;
    std::int64_t tooLong = longer;
    if (!fits(sizeAt(fitting)))
        return sizeAt(fitting);
    while (tooLong - fitting > 1) {
        const std::int64_t middle = fitting + (tooLong - fitting) / 2;
        if (fits(sizeAt(middle)))
            fitting = middle;
        else
            tooLong = middle;
    }
    return sizeAt(fitting);
}

}  // namespace tessaron
