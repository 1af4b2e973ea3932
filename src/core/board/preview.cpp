#include "core/board/preview.h"

namespace tessaron {

PreviewCycle::Tick PreviewCycle::tick()
{
    Tick tick;
    if (Tag != kPreviewRunning)
        return tick;
    ++PreviewTicks;
    ++CooldownTicks;
    tick.disableCommand = true;
    if (PreviewTicks == 4) {
        tick.hideOverlay = true;
        PreviewTicks = 0;
    }
    if (CooldownTicks == 20) {
        CooldownTicks = 0;
        tick.enableCommand = true;
        Tag.clear();
    }
    return tick;
}

}  // namespace tessaron
