#include "core/board/preview.h"

#include <gtest/gtest.h>

namespace tessaron {
namespace {

TEST(PreviewCycle, OverlayForFourTicksCommandBackAfterTwentyAndAgainForTheNextCycle)
{
    PreviewCycle cycle;
    EXPECT_FALSE(cycle.tick().disableCommand);  // idle: nothing happens
    for (int round = 0; round < 2; ++round) {
        cycle.click();
        cycle.click();  // a second click before the first tick changes nothing
        for (int t = 1; t <= 20; ++t) {
            const PreviewCycle::Tick tick = cycle.tick();
            EXPECT_TRUE(tick.disableCommand) << t;
            EXPECT_EQ(tick.hideOverlay, t % 4 == 0) << t;
            EXPECT_EQ(tick.enableCommand, t == 20) << t;
        }
        EXPECT_FALSE(cycle.tick().disableCommand);  // idle again
    }
}

}  // namespace
}  // namespace tessaron
