#pragma once
// A loaded picture turned into the surface a puzzle is cut from.

#include "core/board/layout.h"
#include "core/board/puzzle_plan.h"
#include "core/platform/surface.h"
#include "ui/platform/picture_loader.h"

#include <QImage>

namespace tessaron {

// The picture area, `size` pixels: the picture's top-left part, and `background` wherever
// the picture does not reach (a picture area stretched to the screen is taller or wider
// than its picture). Every place is then whole, background included, and moves as a
// whole. Raises Out of memory when there is no room for it.
Surface pictureArea(const QImage& picture, PictureSize size, Pixel background);

// Puzzles' pictures as the picture loader reads them, with these options.
class LoadedPictures : public PuzzlePictures {
public:
    explicit LoadedPictures(const PictureOptions& options) : options_(options) {}
    Surface pictureArea(const std::string& path, bool scaled,
        const std::function<PictureReading(PictureSize natural)>& reading, Pixel background) override;

private:
    PictureOptions options_;
};

}  // namespace tessaron
