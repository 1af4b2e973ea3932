#include "core/board/preview.h"

#include <gtest/gtest.h>

namespace tessaron {
namespace {

TEST(PreviewCycle, OverlayForFourTicksCommandBackAfterTwenty)
{
    PreviewCycle cycle;
    EXPECT_FALSE(cycle.tick().disableCommand);  // idle: nothing happens
    cycle.Tag = "Activado";  // only the exact marker runs a cycle
    EXPECT_FALSE(cycle.tick().disableCommand);
    EXPECT_EQ(cycle.CooldownTicks, 0);
    cycle.click();
    cycle.click();  // a second click before the first tick changes nothing
    EXPECT_EQ(cycle.PreviewTicks, 0);
    for (int t = 1; t <= 20; ++t) {
        const PreviewCycle::Tick tick = cycle.tick();
        EXPECT_TRUE(tick.disableCommand) << t;
        EXPECT_EQ(tick.hideOverlay, t % 4 == 0) << t;
        EXPECT_EQ(tick.enableCommand, t == 20) << t;
    }
    EXPECT_EQ(cycle.Tag, "");
    EXPECT_EQ(cycle.PreviewTicks, 0);
    EXPECT_EQ(cycle.CooldownTicks, 0);
    EXPECT_FALSE(cycle.tick().disableCommand);
}

}  // namespace
}  // namespace tessaron
