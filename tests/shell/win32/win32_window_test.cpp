#include "shell/diagnostics/debug_output.h"
#include "demo/scene.h"
#include "shell/win32/win32_pixel_format.h"
#include "shell/win32/win32_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

// Guards the centring: each half is an integer division, taken separately,
// and a window taller or wider than the screen starts at its edge.
TEST(PlaceHostWindow, CentresTheBorderlessWindowByIntegerHalves)
{
    WindowPlacement placement = placeHostWindow(1024, 1024, 1920, 1200);
    EXPECT_EQ(placement.x, 448);
    EXPECT_EQ(placement.y, 88);
    EXPECT_EQ(placement.width, 1024);
    EXPECT_EQ(placement.height, 1024);
    // 1367 / 2 - 1023 / 2 = 683 - 511, not (1367 - 1023) / 2 = 172.
    placement = placeHostWindow(1023, 1025, 1367, 769);
    EXPECT_EQ(placement.x, 172);
    EXPECT_EQ(placement.y, 0);
    EXPECT_EQ(placement.width, 1023);
    EXPECT_EQ(placement.height, 1025);
}

TEST(HostPixelFormatDescriptor, AsksForDoubleBufferedRgbWithNothingElse)
{
    PIXELFORMATDESCRIPTOR descriptor = hostPixelFormatDescriptor();
    EXPECT_EQ(descriptor.nSize, sizeof descriptor);
    EXPECT_EQ(descriptor.nVersion, 1);
    EXPECT_EQ(descriptor.dwFlags, DWORD {PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER});
    EXPECT_EQ(descriptor.iPixelType, PFD_TYPE_RGBA);
    EXPECT_EQ(descriptor.cColorBits, 24);
    EXPECT_EQ(descriptor.cDepthBits, 0);
    EXPECT_EQ(descriptor.cStencilBits, 0);
    EXPECT_EQ(descriptor.cAlphaBits, 0);
    EXPECT_EQ(descriptor.cAccumBits, 0);
    EXPECT_EQ(descriptor.cAuxBuffers, 0);
    EXPECT_EQ(descriptor.iLayerType, PFD_MAIN_PLANE);
}

// A stand-in for the driver's format chooser: records each request and offers
// a format only at one sample count.
struct ChooserScript {
    int offerAtSamples; // -1: never
    int offeredFormat;
    BOOL result;
    UINT reportedCount;
    std::vector<std::vector<int>> requests;
};

static ChooserScript script;

static BOOL WINAPI scriptedChooser(HDC, const int* attributes, const FLOAT* floatAttributes, UINT maxFormats,
                                   int* formats, UINT* formatCount)
{
    std::vector<int> request;
    for (const int* attribute = attributes; *attribute != 0; attribute += 2)
        request.insert(request.end(), {attribute[0], attribute[1]});
    script.requests.push_back(request);
    EXPECT_EQ(floatAttributes, nullptr);
    EXPECT_EQ(maxFormats, 1u);
    if (attributes[1] == script.offerAtSamples) {
        *formats = script.offeredFormat;
        *formatCount = script.reportedCount;
        return script.result;
    }
    *formatCount = 0;
    return TRUE;
}

static std::vector<std::pair<int, int>> samplesAndBuffersAsked()
{
    std::vector<std::pair<int, int>> asked;
    for (const std::vector<int>& request : script.requests) {
        EXPECT_EQ(request[0], WGL_SAMPLES_ARB);
        EXPECT_EQ(request[2], WGL_SAMPLE_BUFFERS_ARB);
        asked.emplace_back(request[1], request[3]);
    }
    return asked;
}

// Guards the search order and the fall-back result: 16 down to 0, sample
// buffers off at 1 and 0, and 0 (keep the first window) when nothing is offered.
TEST(SearchMultisamplePixelFormat, TriesEveryCountDownToZeroAndReportsNoneAsZero)
{
    script = {-1, 0, TRUE, 0, {}};
    EXPECT_EQ(searchMultisamplePixelFormat(nullptr, scriptedChooser), 0);
    std::vector<std::pair<int, int>> expected;
    for (int samples = 16; samples >= 0; --samples)
        expected.emplace_back(samples, samples >= 2 ? 1 : 0);
    EXPECT_EQ(samplesAndBuffersAsked(), expected);
}

TEST(SearchMultisamplePixelFormat, AsksForTheFullAttributeListInOrder)
{
    script = {16, 7, TRUE, 1, {}};
    EXPECT_EQ(searchMultisamplePixelFormat(nullptr, scriptedChooser), 7);
    ASSERT_EQ(script.requests.size(), 1u);
    EXPECT_EQ(script.requests[0], (std::vector<int> {WGL_SAMPLES_ARB,        16,
                                                     WGL_SAMPLE_BUFFERS_ARB, 1,
                                                     WGL_DRAW_TO_WINDOW_ARB, 1,
                                                     WGL_SUPPORT_OPENGL_ARB, 1,
                                                     WGL_ACCELERATION_ARB,   WGL_FULL_ACCELERATION_ARB,
                                                     WGL_PIXEL_TYPE_ARB,     WGL_TYPE_RGBA_ARB,
                                                     WGL_RED_BITS_ARB,       8,
                                                     WGL_GREEN_BITS_ARB,     8,
                                                     WGL_BLUE_BITS_ARB,      8,
                                                     WGL_ALPHA_BITS_ARB,     8,
                                                     WGL_DEPTH_BITS_ARB,     24,
                                                     WGL_STENCIL_BITS_ARB,   8,
                                                     WGL_DOUBLE_BUFFER_ARB,  1}));
}

// Guards stopping at the first offer, with the counts that came before it.
TEST(SearchMultisamplePixelFormat, StopsAtTheFirstCountTheDriverOffers)
{
    script = {1, 42, TRUE, 1, {}};
    EXPECT_EQ(searchMultisamplePixelFormat(nullptr, scriptedChooser), 42);
    ASSERT_EQ(script.requests.size(), 16u);
    EXPECT_EQ(samplesAndBuffersAsked().back(), std::make_pair(1, 0));
}

// Guards against taking a format the driver did not actually report.
TEST(SearchMultisamplePixelFormat, IgnoresFailedCallsAndEmptyAnswers)
{
    script = {4, 9, FALSE, 1, {}};
    EXPECT_EQ(searchMultisamplePixelFormat(nullptr, scriptedChooser), 0);
    EXPECT_EQ(script.requests.size(), 17u);
    script = {4, 9, TRUE, 0, {}};
    EXPECT_EQ(searchMultisamplePixelFormat(nullptr, scriptedChooser), 0);
    EXPECT_EQ(script.requests.size(), 17u);
}

// The real window and context, created through Wine's or Windows' own WGL.
class HostWindowTest : public testing::Test {
protected:
    void SetUp() override { registerHostWindowClass(GetModuleHandleA(nullptr)); }
    void TearDown() override { unregisterHostWindowClass(GetModuleHandleA(nullptr)); }
};

// Guards the window's class, styles, caption and client area.
TEST_F(HostWindowTest, CreatesAVisibleBorderlessCentredWindowOfTheClass)
{
    AppConfig config = appConfig();
    HostWindow host = createHostWindow(config);
    ASSERT_NE(host.window, nullptr);
    ASSERT_NE(host.deviceContext, nullptr);
    char name[32] = {};
    GetClassNameA(host.window, name, sizeof name);
    EXPECT_STREQ(name, "Kov App");
    GetWindowTextA(host.window, name, sizeof name);
    EXPECT_STREQ(name, "Kov App");
    EXPECT_EQ(GetClassLongA(host.window, GCL_STYLE), DWORD {CS_CLASSDC | CS_DBLCLKS});
    EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrA(host.window, GCLP_HCURSOR)), LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(GetClassLongPtrA(host.window, GCLP_HBRBACKGROUND), 0);
    EXPECT_EQ(GetClassLongPtrA(host.window, GCLP_HICON), 0);
    DWORD style = GetWindowLongA(host.window, GWL_STYLE);
    EXPECT_EQ(style & (WS_POPUP | WS_VISIBLE | WS_SYSMENU), DWORD {WS_POPUP | WS_VISIBLE | WS_SYSMENU});
    EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER | WS_CHILD), 0u);
    EXPECT_EQ(GetWindowLongA(host.window, GWL_EXSTYLE) & (WS_EX_APPWINDOW | WS_EX_WINDOWEDGE), 0);

    RECT client;
    GetClientRect(host.window, &client);
    EXPECT_EQ(client.right - client.left, config.width);
    EXPECT_EQ(client.bottom - client.top, config.height);
    POINT origin = {0, 0};
    ClientToScreen(host.window, &origin);
    // Wine's screen may be smaller than the window: its top-left corner stays on it.
    EXPECT_EQ(origin.x, std::max(0, GetSystemMetrics(SM_CXSCREEN) / 2 - config.width / 2));
    EXPECT_EQ(origin.y, std::max(0, GetSystemMetrics(SM_CYSCREEN) / 2 - config.height / 2));
    DestroyWindow(host.window);
}

// Guards the shut-down's reading of its one call: the host unregisters the
// class while the window Escape leaves open still exists, which Win32
// refuses; a class without windows goes.
TEST_F(HostWindowTest, UnregisteringSaysWhetherAWindowOfTheClassKeptIt)
{
    HostWindow host = createHostWindow(appConfig());
    EXPECT_EQ(unregisterHostWindowClass(GetModuleHandleA(nullptr)), DWORD {ERROR_CLASS_HAS_WINDOWS});
    DestroyWindow(host.window);
    EXPECT_EQ(unregisterHostWindowClass(GetModuleHandleA(nullptr)), 0u);
    EXPECT_NE(unregisterHostWindowClass(GetModuleHandleA(nullptr)), 0u) << "a class unregistered twice";
}

// Guards the fix for a fruitless search: with no format the first window and
// its context stay, instead of an invalid format on a new window.
TEST_F(HostWindowTest, KeepsTheFirstWindowAndContextWhenNoMultisampledFormatIsFound)
{
    HostWindow first = createHostWindow(appConfig());
    attachRenderingContext(first, 0);
    HGLRC firstContext = wglGetCurrentContext();
    ASSERT_NE(firstContext, nullptr);

    HostWindow kept = applyMultisampleFormat(first, 0, appConfig());
    EXPECT_EQ(kept.window, first.window);
    EXPECT_EQ(kept.deviceContext, first.deviceContext);
    EXPECT_TRUE(IsWindow(first.window));
    EXPECT_EQ(wglGetCurrentContext(), firstContext);
    EXPECT_GT(GetPixelFormat(first.deviceContext), 0);
    DestroyWindow(first.window);
}

// Guards the re-creation: a new window at the same place with the found
// format current, the first window gone.
TEST_F(HostWindowTest, SwitchesToANewWindowWithTheMultisampledFormat)
{
    HostWindow first = createHostWindow(appConfig());
    attachRenderingContext(first, 0);
    HGLRC firstContext = wglGetCurrentContext();
    RECT firstBounds;
    GetWindowRect(first.window, &firstBounds);

    // Any driver offers a format by the end of the search, where it asks
    // for no sample buffers at all.
    HostWindow second = switchToMultisampleWindow(first, appConfig());
    ASSERT_NE(second.window, first.window);
    EXPECT_FALSE(IsWindow(first.window));
    ASSERT_TRUE(IsWindow(second.window));
    HGLRC secondContext = wglGetCurrentContext();
    EXPECT_NE(secondContext, nullptr);
    EXPECT_NE(secondContext, firstContext);
    EXPECT_EQ(wglGetCurrentDC(), second.deviceContext);
    EXPECT_GT(GetPixelFormat(second.deviceContext), 0);
    RECT secondBounds;
    GetWindowRect(second.window, &secondBounds);
    EXPECT_TRUE(EqualRect(&firstBounds, &secondBounds));
    char name[32] = {};
    GetClassNameA(second.window, name, sizeof name);
    EXPECT_STREQ(name, "Kov App");
    DestroyWindow(second.window);
}

// A death test's child reports to the parent on stderr only, which the
// debugger channel never reaches.
static void reportOnStderr()
{
    replaceDebugOutputSink([](const char* text) { std::fputs(text, stderr); });
}

// Guards against carrying on with a null handle: each failure a test can
// provoke stops the program, naming the call and its error.
TEST_F(HostWindowTest, AFailedWin32CallIsFatalAndNamed)
{
    // The class is already registered by the fixture.
    EXPECT_EXIT(
        {
            reportOnStderr();
            registerHostWindowClass(GetModuleHandleA(nullptr));
        },
        testing::ExitedWithCode(1), "RegisterClassExA failed \\(error 1410\\)\\.\n\n$");
    EXPECT_EXIT(
        {
            reportOnStderr();
            unregisterHostWindowClass(GetModuleHandleA(nullptr));
            createHostWindow(appConfig());
        },
        testing::ExitedWithCode(1), "CreateWindowExA failed \\(error \\d+\\)\\.\n\n$");
    // Far beyond any driver's format count.
    EXPECT_EXIT(
        {
            reportOnStderr();
            attachRenderingContext(createHostWindow(appConfig()), 1 << 20);
        },
        testing::ExitedWithCode(1), "SetPixelFormat failed \\(error \\d+\\)\\.\n\n$");
}
