#pragma once

#include <QIcon>
#include <QImage>

namespace tessaron {

// The game's own icon: a small picture cut into a 3 x 3 grid with the bottom-right
// place empty, drawn in the 16 colours of the classic palette so it stays legible at
// 16 pixels. Drawn rather than loaded, so every size is sharp.
QImage appIconImage(int size);
QIcon appIcon();

}  // namespace tessaron
