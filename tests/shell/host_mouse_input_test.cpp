#include "shell/run/mouse_input.h"
#include "demo/scene.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Event {
    MouseEvent kind;
    int x, y;
    bool operator==(const Event& other) const { return kind == other.kind && x == other.x && y == other.y; }
};

void PrintTo(const Event& event, std::ostream* out) { *out << event.kind << "@(" << event.x << ", " << event.y << ")"; }

// Collects what the host would pass to the demo.
struct Recorder {
    MouseInput input = startMouseInput(1024, 1024);
    std::vector<Event> delivered;

    void take(MouseDelivery delivery)
    {
        if (delivery.deliver)
            delivered.push_back({delivery.kind, delivery.x, delivery.y});
    }
    void press(int x, int y, int64_t milliseconds) { take(pressLeftButton(&input, x, y, milliseconds)); }
    void release(int x, int y) { take(releaseLeftButton(&input, x, y)); }
    void move(int x, int y) { take(movePointer(&input, x, y)); }
};

using Events = std::vector<Event>;

} // namespace

// Guards against moves leaking through while the button is up, before the
// first press as much as after a release.
TEST(MouseInput, MovesAreDeliveredOnlyWhileTheLeftButtonIsHeld)
{
    Recorder mouse;
    mouse.move(10, 20);
    mouse.press(100, 200, 0);
    mouse.move(101, 202);
    mouse.move(150, 250);
    mouse.release(150, 250);
    mouse.move(160, 260);
    EXPECT_EQ(mouse.delivered,
              (Events {{MouseDown, 100, 200}, {MouseMove, 101, 202}, {MouseMove, 150, 250}, {MouseUp, 150, 250}}));
}

// Guards the order the Win32 host (the reference) delivers a double click in.
TEST(MouseInput, ADoubleClickIsDownUpDoubleClickUp)
{
    Recorder mouse;
    mouse.press(300, 400, 1000);
    mouse.release(300, 400);
    mouse.press(300, 400, 1200);
    mouse.release(300, 400);
    EXPECT_EQ(mouse.delivered,
              (Events {{MouseDown, 300, 400}, {MouseUp, 300, 400}, {MouseDoubleClick, 300, 400}, {MouseUp, 300, 400}}));
}

// Guards the limits of the pairing rule: 500 ms and two pixels either way
// still pair; one more millisecond or pixel does not.
TEST(MouseInput, ASecondPressPairsOnlyWithin500MillisecondsAndTwoPixels)
{
    struct Case {
        int dx, dy;
        int64_t later;
        MouseEvent expected;
    };
    const Case cases[] = {
        {2, -2, 500, MouseDoubleClick}, {-2, 2, 0, MouseDoubleClick}, {0, 0, 501, MouseDown},
        {3, 0, 100, MouseDown},         {0, -3, 100, MouseDown},      {-3, 3, 100, MouseDown},
    };
    for (const Case& c : cases) {
        Recorder mouse;
        mouse.press(500, 500, 7000);
        mouse.release(500, 500);
        mouse.press(500 + c.dx, 500 + c.dy, 7000 + c.later);
        ASSERT_EQ(mouse.delivered.size(), 3u);
        EXPECT_EQ(mouse.delivered[2].kind, c.expected) << "dx " << c.dx << " dy " << c.dy << " after " << c.later;
    }
}

// Guards against a run of quick presses all becoming double clicks: the
// third starts over and may pair with a fourth; a press too late to pair
// becomes the new first click.
TEST(MouseInput, PairingStartsOverAfterADoubleClickAndAfterALatePress)
{
    Recorder mouse;
    for (int64_t milliseconds : {0, 100, 200, 300, 900, 1500, 1900}) {
        mouse.press(40, 40, milliseconds);
        mouse.release(40, 40);
    }
    std::vector<MouseEvent> presses;
    for (const Event& event : mouse.delivered)
        if (event.kind != MouseUp)
            presses.push_back(event.kind);
    EXPECT_EQ(presses,
              (std::vector<MouseEvent> {MouseDown, MouseDoubleClick, MouseDown, MouseDoubleClick, MouseDown, MouseDown,
                                        MouseDoubleClick}));
}

// Guards the drag beyond the window: moves off the client area (each edge,
// one pixel out) are dropped, the last row and column still count, and
// coming back delivers moves again.
TEST(MouseInput, MovesOutsideTheClientAreaAreDroppedDuringADrag)
{
    Recorder mouse;
    mouse.press(512, 512, 0);
    mouse.move(-1, 300);
    mouse.move(300, -1);
    mouse.move(1024, 300);
    mouse.move(300, 1024);
    mouse.move(-4000, 9000);
    mouse.move(1023, 1023);
    mouse.move(0, 0);
    EXPECT_EQ(mouse.delivered, (Events {{MouseDown, 512, 512}, {MouseMove, 1023, 1023}, {MouseMove, 0, 0}}));
}

// Guards against a release outside the window getting lost (the demo would
// think the button stays held) or carrying coordinates off the client area.
TEST(MouseInput, AReleaseIsAlwaysDeliveredWithinTheClientArea)
{
    Recorder mouse;
    mouse.press(10, 10, 0);
    mouse.release(-50, 2000);
    mouse.press(900, 20, 5000);
    mouse.release(1500, -3);
    mouse.press(700, 600, 9000);
    mouse.release(701, 599);
    EXPECT_EQ(mouse.delivered,
              (Events {{MouseDown, 10, 10},
                       {MouseUp, 0, 1023},
                       {MouseDown, 900, 20},
                       {MouseUp, 1023, 0},
                       {MouseDown, 700, 600},
                       {MouseUp, 701, 599}}));
}

// Guards the whole path into the scene: a drag that leaves the window keeps
// "mLoc" at the last point inside, never a point far off screen, and the
// release outside still lets the button up and fires the explosion.
TEST(MouseInput, ADragLeavingTheWindowKeepsTheSceneOnTheLastPointInside)
{
    Recorder mouse;
    auto forward = [](MouseDelivery delivery) {
        if (delivery.deliver)
            handleMouse(delivery.x, delivery.y, delivery.kind);
    };
    forward(pressLeftButton(&mouse.input, 512, 512, 0));
    forward(movePointer(&mouse.input, 1000, 24));
    forward(movePointer(&mouse.input, 5000, -3000));
    EXPECT_FLOAT_EQ(sceneState().mouseX, (1000 - 512) * 0.00546875f);
    EXPECT_FLOAT_EQ(sceneState().mouseY, (512 - 24) * 0.00546875f);
    EXPECT_EQ(sceneState().mouseUp, 0.0f);
    forward(releaseLeftButton(&mouse.input, 5000, -3000));
    EXPECT_EQ(sceneState().mouseUp, 1.0f);
    EXPECT_EQ(sceneState().explosion, 1.0f);
    EXPECT_FLOAT_EQ(sceneState().mouseX, (1000 - 512) * 0.00546875f);
}
