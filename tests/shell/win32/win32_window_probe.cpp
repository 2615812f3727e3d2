// Prints what another process sees of the host's window, one "name value"
// line per fact, for the end-to-end script to compare:
//   win32_window_probe            describe the window of class "Kov App"
//   win32_window_probe close      ask it to close as the task bar does
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argumentCount, char** arguments)
{
    HWND window = FindWindowA("Kov App", nullptr);
    if (!window) {
        std::printf("window none\n");
        return 1;
    }
    if (argumentCount > 1 && std::strcmp(arguments[1], "close") == 0)
        return PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;

    char text[64] = {};
    GetClassNameA(window, text, sizeof text);
    std::printf("class %s\n", text);
    GetWindowTextA(window, text, sizeof text);
    std::printf("caption %s\n", text);
    std::printf("class_style 0x%08lx\n", GetClassLongA(window, GCL_STYLE));
    std::printf("style 0x%08lx\n", static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)));
    std::printf("extended_style 0x%08lx\n", static_cast<unsigned long>(GetWindowLongA(window, GWL_EXSTYLE)));
    RECT client;
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    std::printf("client %ldx%ld+%ld+%ld\n", client.right - client.left, client.bottom - client.top, origin.x, origin.y);
    std::printf("screen %dx%d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    std::printf("visible %d\n", IsWindowVisible(window) ? 1 : 0);
    return 0;
}
