#include "core/board/preview.h"

namespace tessaron {

PreviewCycle::Tick PreviewCycle::tick()
{
    Tick tick;
    if (!running)
        return tick;
    ++previewTicks;
    ++cooldownTicks;
    tick.disableCommand = true;
    if (previewTicks == 4) {
        tick.hideOverlay = true;
        previewTicks = 0;
    }
    if (cooldownTicks == 20) {
        cooldownTicks = 0;
        tick.enableCommand = true;
        running = false;
    }
    return tick;
}

}  // namespace tessaron
