#include "core/board/layout.h"

#include "core/platform/vb_math.h"

#include <algorithm>

namespace tessaron {

Layout layoutPicture(const LayoutInput& in)
{
    Layout out;
    out.picWidth = in.pictureWidth;
    out.picHeight = in.pictureHeight;
    out.MarginLeft = roundToInt32(in.pictureWidth / 20.0f + 225.0f);
    out.MarginTop = roundToInt32(in.pictureHeight / 20.0f + 225.0f);
    out.MarginBottom = roundToInt32(in.pictureHeight / 20.0f + 225.0f);

    // The client area is the picture plus its margins on every side.
    out.windowWidth = in.pictureWidth + 2.0f * static_cast<float>(out.MarginLeft) + in.frameWidth;
    out.windowHeight = static_cast<float>(out.MarginTop) + in.pictureHeight
        + static_cast<float>(out.MarginBottom) + in.frameHeight;
    out.picLeft = static_cast<float>(out.MarginLeft);
    out.picTop = static_cast<float>(out.MarginTop);

    if (out.windowWidth > in.screenWidth) {
        out.windowWidth = in.screenWidth;
        out.MarginLeft = 500;
        out.picWidth = std::max(0.0f, out.windowWidth - in.frameWidth - 2.0f * 500.0f);
        out.picLeft = 500.0f;
    }
    if (in.screenHeight - 200.0f < out.windowHeight) {
        out.windowHeight = in.screenHeight - 500.0f;
        out.MarginTop = 500;
        out.MarginBottom = 500;
        out.picHeight = std::max(0.0f, out.windowHeight - in.frameHeight - 1000.0f);
        out.picTop = 500.0f;
    }
    out.clientWidth = out.windowWidth - in.frameWidth;
    out.clientHeight = out.windowHeight - in.frameHeight;
    // The holder has no border, so the inner corner is its outer corner.
    out.BoardLeft = roundToInt32(out.picLeft);
    out.BoardTop = roundToInt32(out.picTop);
    return out;
}

}  // namespace tessaron
