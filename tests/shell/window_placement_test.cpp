#include "shell/run/window_placement.h"

#include <gtest/gtest.h>

// Guards the window's start on screen: centred by integer halves, and never
// before the screen's edge when the window is the larger.
TEST(CentredWindowOrigin, CentresByHalvesAndKeepsTheTopLeftCornerOnScreen)
{
    struct Row {
        int screen, window, origin;
    };
    const Row rows[] = {
        {1600, 1024, 288}, {1367, 1023, 172}, {1026, 1024, 1}, {1025, 1024, 0},
        {1024, 1024, 0},   {1023, 1024, 0},   {768, 1024, 0},  {0, 1, 0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(centredWindowOrigin(row.screen, row.window), row.origin) << row.screen << " / " << row.window;
}
