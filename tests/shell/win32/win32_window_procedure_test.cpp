#include "shell/win32/win32_window_procedure.h"

#include <gtest/gtest.h>

#include <vector>

// The suite links the window procedure without the demo and hands it this
// recorder as its mouse handler.
struct DeliveredMouse {
    int x, y;
    MouseEvent kind;
    bool operator==(const DeliveredMouse& other) const { return x == other.x && y == other.y && kind == other.kind; }
};

static std::vector<DeliveredMouse> delivered;

static void recordMouse(int x, int y, MouseEvent kind) { delivered.push_back({x, y, kind}); }

using Deliveries = std::vector<DeliveredMouse>;

static bool quitPosted(WPARAM* exitCode)
{
    MSG message;
    if (!PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        return false;
    *exitCode = message.wParam;
    return true;
}

// A real window, so DefWindowProcA has something to act on.
static HWND createTestWindow()
{
    delivered.clear();
    setWindowMouseHandler(recordMouse);
    HWND window = CreateWindowExA(0, "STATIC", "Kov App", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
    EXPECT_NE(window, nullptr);
    return window;
}

// Guards the quit request: only Escape pressed, or a close by the system.
TEST(TranslateWindowMessage, QuitsOnEscapeDownAndOnCloseOnly)
{
    EXPECT_TRUE(translateWindowMessage(WM_KEYDOWN, 27, 0, 0).postQuit);
    EXPECT_TRUE(translateWindowMessage(WM_CLOSE, 0, 0, 0).postQuit);
    EXPECT_FALSE(translateWindowMessage(WM_KEYUP, 27, 0, 0).postQuit);
    EXPECT_FALSE(translateWindowMessage(WM_CHAR, 27, 0, 0).postQuit);
    EXPECT_FALSE(translateWindowMessage(WM_SYSKEYDOWN, 27, 0, 0).postQuit);
    for (WPARAM key :
         {WPARAM {'Q'}, WPARAM {VK_RETURN}, WPARAM {VK_SPACE}, WPARAM {26}, WPARAM {28}, WPARAM {27 + 256}})
        EXPECT_FALSE(translateWindowMessage(WM_KEYDOWN, key, 0, 0).postQuit) << key;
    EXPECT_FALSE(translateWindowMessage(WM_KEYDOWN, 27, 0, 0).deliverMouse);
}

// Guards the button table and the coordinate halves (x low, y high).
TEST(TranslateWindowMessage, MapsLeftButtonMessagesToMouseEventsWithClientCoordinates)
{
    LPARAM at = MAKELPARAM(300, 700);
    struct Case {
        UINT message;
        MouseEvent kind;
    } cases[] = {{WM_LBUTTONDOWN, MouseDown}, {WM_LBUTTONUP, MouseUp}, {WM_LBUTTONDBLCLK, MouseDoubleClick}};
    for (const Case& c : cases) {
        for (int leftButtonDown : {0, 1}) {
            WindowMessageAction action = translateWindowMessage(c.message, MK_LBUTTON, at, leftButtonDown);
            EXPECT_TRUE(action.deliverMouse);
            EXPECT_FALSE(action.postQuit);
            EXPECT_EQ(action.kind, c.kind);
            EXPECT_EQ(action.x, 300);
            EXPECT_EQ(action.y, 700);
        }
    }
    for (UINT other : {UINT {WM_RBUTTONDOWN}, UINT {WM_MBUTTONUP}, UINT {WM_RBUTTONDBLCLK}, UINT {WM_MOUSEWHEEL}})
        EXPECT_FALSE(translateWindowMessage(other, 0, at, 1).deliverMouse) << other;
}

// Guards moves: only with the live left-button state down, never from wParam.
TEST(TranslateWindowMessage, MovesReachTheSceneOnlyWhileTheLeftButtonIsDown)
{
    EXPECT_FALSE(translateWindowMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 6), 0).deliverMouse);
    WindowMessageAction held = translateWindowMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 6), 1);
    EXPECT_TRUE(held.deliverMouse);
    EXPECT_EQ(held.kind, MouseMove);
    EXPECT_EQ(held.x, 5);
    EXPECT_EQ(held.y, 6);
}

// Guards sign extension: halves above 32,767 are large positive coordinates.
TEST(TranslateWindowMessage, ReadsCoordinateHalvesAsUnsigned)
{
    WindowMessageAction action = translateWindowMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(40000, 65535), 0);
    EXPECT_EQ(action.x, 40000);
    EXPECT_EQ(action.y, 65535);
    action = translateWindowMessage(WM_MOUSEMOVE, 0, MAKELPARAM(32768, 0xFFFF), 1);
    EXPECT_EQ(action.x, 32768);
    EXPECT_EQ(action.y, 65535);
}

// Guards the order the platform's double click arrives in, through the real procedure.
TEST(HostWindowProcedure, DeliversADoubleClickInTheOrderItArrives)
{
    HWND window = createTestWindow();
    hostWindowProcedure(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
    hostWindowProcedure(window, WM_LBUTTONUP, 0, MAKELPARAM(10, 20));
    hostWindowProcedure(window, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(11, 21));
    hostWindowProcedure(window, WM_LBUTTONUP, 0, MAKELPARAM(11, 21));
    EXPECT_EQ(delivered,
              (Deliveries {{10, 20, MouseDown}, {10, 20, MouseUp}, {11, 21, MouseDoubleClick}, {11, 21, MouseUp}}));
    DestroyWindow(window);
}

// Guards the live button check: nobody holds the button here, so a move,
// even one whose wParam claims the button, delivers nothing.
TEST(HostWindowProcedure, IgnoresMovesWithTheLeftButtonUp)
{
    ASSERT_EQ(GetAsyncKeyState(VK_LBUTTON) & 0x8000, 0);
    HWND window = createTestWindow();
    hostWindowProcedure(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(1, 2));
    hostWindowProcedure(window, WM_MOUSEMOVE, 0, MAKELPARAM(3, 4));
    EXPECT_TRUE(delivered.empty());
    DestroyWindow(window);
}

TEST(HostWindowProcedure, PostsQuitWithStatus0OnEscapeAndNothingForOtherKeys)
{
    HWND window = createTestWindow();
    WPARAM exitCode = 99;
    hostWindowProcedure(window, WM_KEYDOWN, 'A', 0);
    hostWindowProcedure(window, WM_KEYDOWN, VK_F4, 0);
    EXPECT_FALSE(quitPosted(&exitCode));
    hostWindowProcedure(window, WM_KEYDOWN, 27, 0x00010001);
    ASSERT_TRUE(quitPosted(&exitCode));
    EXPECT_EQ(exitCode, 0u);
    DestroyWindow(window);
}

// Guards the fix for a window closed by the system (Alt+F4, the task bar):
// the default handling destroys it, and the loop must be told to end.
TEST(HostWindowProcedure, CloseDestroysTheWindowAndPostsQuitWithStatus0)
{
    HWND window = createTestWindow();
    WPARAM exitCode = 99;
    hostWindowProcedure(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    ASSERT_TRUE(quitPosted(&exitCode));
    EXPECT_EQ(exitCode, 0u);
}

// Guards the pass-through: handled or not, every message's result is DefWindowProcA's.
TEST(HostWindowProcedure, ReturnsWhatDefWindowProcReturns)
{
    HWND window = createTestWindow();
    EXPECT_EQ(hostWindowProcedure(window, WM_GETTEXTLENGTH, 0, 0), 7);
    EXPECT_EQ(hostWindowProcedure(window, WM_GETTEXTLENGTH, 0, 0), DefWindowProcA(window, WM_GETTEXTLENGTH, 0, 0));
    char caption[16] = {};
    EXPECT_EQ(hostWindowProcedure(window, WM_GETTEXT, sizeof caption, reinterpret_cast<LPARAM>(caption)), 7);
    EXPECT_STREQ(caption, "Kov App");
    struct Message {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    } handled[] = {{WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1)},
                   {WM_LBUTTONUP, 0, MAKELPARAM(1, 1)},
                   {WM_LBUTTONDBLCLK, MK_LBUTTON, 0},
                   {WM_MOUSEMOVE, 0, 0},
                   {WM_NCHITTEST, 0, MAKELPARAM(5, 5)},
                   {WM_SETCURSOR, 0, 0}};
    for (const Message& m : handled)
        EXPECT_EQ(hostWindowProcedure(window, m.message, m.wParam, m.lParam),
                  DefWindowProcA(window, m.message, m.wParam, m.lParam))
            << m.message;
    EXPECT_EQ(hostWindowProcedure(window, WM_NCHITTEST, 0, MAKELPARAM(5, 5)), HTCLIENT);
    DestroyWindow(window);
}
