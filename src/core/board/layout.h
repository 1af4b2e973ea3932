#pragma once
// How the main window is laid out around a picture: margins that grow with the picture,
// the window sized to hold picture and margins, and a picture larger than the screen cut
// at its right and bottom edges (never scaled). All values in twips.

#include <cstdint>

namespace tessaron {

struct LayoutInput {
    float pictureWidth = 0;     // the picture holder at the picture's natural size
    float pictureHeight = 0;
    float frameWidth = 0;       // window width minus client width (borders)
    float frameHeight = 0;      // window height minus client height (title, menu bar, borders)
    float screenWidth = 0;
    float screenHeight = 0;
};

struct Layout {
    std::int32_t MarginLeft = 0;
    std::int32_t MarginTop = 0;
    std::int32_t MarginBottom = 0;
    std::int32_t BoardLeft = 0;
    std::int32_t BoardTop = 0;
    float windowWidth = 0;
    float windowHeight = 0;
    float clientWidth = 0;
    float clientHeight = 0;
    float picLeft = 0;          // the holder's outer corner: where the hit test measures from
    float picTop = 0;
    float picWidth = 0;         // the picture area W x H: all of the picture, or its
    float picHeight = 0;        // top-left part when the screen cuts it
};

Layout layoutPicture(const LayoutInput& in);

}  // namespace tessaron
