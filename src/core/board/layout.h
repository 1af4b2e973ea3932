#pragma once
// How the main window is laid out around a picture: margins that grow with the picture,
// the window sized to hold picture and margins, and a picture larger than the screen cut
// at its right and bottom edges (the layout never scales). All values in twips. When the
// player asks for the whole picture, fitToScreen finds the size it must be scaled to first.

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
    // The picture area's corner in the client area: the left margin (the right one is the
    // same) and the top one (the bottom one too). The picture's holder has no border, so
    // this is where the hit test measures from and where the drawing starts.
    std::int32_t left = 0;
    std::int32_t top = 0;
    float windowWidth = 0;
    float windowHeight = 0;
    float clientWidth = 0;
    float clientHeight = 0;
    float picWidth = 0;         // the picture area W x H: all of the picture, or its
    float picHeight = 0;        // top-left part when the screen cuts it
};

Layout layoutPicture(const LayoutInput& in);

// Whether layoutPicture shows all of the picture: its window, margins included, cut by
// neither the screen's width nor its height.
bool showsWholePicture(const LayoutInput& in);

struct PictureSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const PictureSize&, const PictureSize&) = default;
};

struct FitInput {
    PictureSize picture;        // in pixels
    float twipsX = 15.0f;       // twips per picture pixel
    float twipsY = 15.0f;
    float frameWidth = 0;       // the window and the screen as in LayoutInput
    float frameHeight = 0;
    float screenWidth = 0;
    float screenHeight = 0;
};

// "Fit to the screen": the largest size, in the picture's proportions, whose window
// layoutPicture shows whole. A picture that is shown whole already keeps its size. The
// longer side decides and the shorter follows it to the nearest pixel (never below 1), so
// proportions are kept to half a pixel. With a frame larger than the screen nothing fits,
// and the answer is the smallest size.
PictureSize fitToScreen(const FitInput& in);

}  // namespace tessaron
