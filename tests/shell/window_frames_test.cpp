#include "shell/window_frames.h"

#include <QDialog>

#include <gtest/gtest.h>

namespace tessaron {
namespace {

TEST(WindowFrames, SecondaryWindowsGetTheirFixedDialogFrames)
{
    ScreenMetrics metrics;  // 15 twips per pixel
    metrics.available = QRect(0, 0, 1000, 800);
    const struct {
        SecondaryWindow which;
        const char* name;
        QRect client;
    } cases[] = {
        {SecondaryWindow::Dialog, "Dialog", QRect(205, 130, 589, 539)},  // centred
        {SecondaryWindow::FormIdioma, "FormIdioma", QRect(290, 268, 463, 235)},
        {SecondaryWindow::About, "About", QRect(298, 227, 474, 302)},
    };
    for (const auto& c : cases) {
        QDialog window;
        applySecondaryFrame(&window, c.which, metrics);
        EXPECT_EQ(window.objectName(), c.name);
        EXPECT_EQ(window.geometry(), c.client) << c.name;
        EXPECT_EQ(window.minimumSize(), window.maximumSize()) << c.name;
        EXPECT_EQ(window.windowTitle(), "Tessaron");
        const Qt::WindowFlags flags = window.windowFlags();
        EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Dialog);
        EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
        EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    }
}

}  // namespace
}  // namespace tessaron
