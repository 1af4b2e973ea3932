#pragma once
// The finished-picture preview's timeline: the overlay stays up until the fourth tick of
// the one-second timer, and the command stays unavailable until the twentieth.

#include <cstdint>

namespace tessaron {

struct PreviewCycle {
    bool running = false;             // from the command until the cycle's twentieth tick
    std::int16_t previewTicks = 0;    // ticks since the overlay was shown, back to 0 after 4
    std::int16_t cooldownTicks = 0;   // ticks since the cycle began, back to 0 after 20

    struct Tick {
        bool disableCommand = false;
        bool hideOverlay = false;
        bool enableCommand = false;
    };

    // The command: the caller shows the overlay; the counters are left alone.
    void click() { running = true; }
    // One timer tick: what to do to the command and the overlay. Nothing while no cycle
    // runs.
    Tick tick();
};

}  // namespace tessaron
