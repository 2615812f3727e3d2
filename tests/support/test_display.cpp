#include "test_display.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

// Long enough for a server that is merely busy on a loaded machine.
static constexpr std::chrono::seconds RetryCeiling(60);
static constexpr std::chrono::milliseconds RetryPause(250);

static std::string lastGlfwError;

static void recordGlfwError(int, const char* description) { lastGlfwError = description; }

// What a plain connection to a local display's socket finds, as Xlib tries
// it: the abstract name first, then the file.
struct DisplaySocket {
    std::string description;
    bool absent;
};

static bool connects(const std::string& name, bool abstract)
{
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path + (abstract ? 1 : 0), name.c_str(), sizeof address.sun_path - 2);
    const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + (abstract ? 1 : 0) + name.size());
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool connected = ::connect(socket, reinterpret_cast<const sockaddr*>(&address), length) == 0;
    const int error = errno;
    ::close(socket);
    errno = error;
    return connected;
}

static DisplaySocket findDisplaySocket(const std::string& display)
{
    if (display.empty() || display[0] != ':')
        return {"a display that is not local", false};
    const std::string path = "/tmp/.X11-unix/X" + display.substr(1, display.find('.') - 1);
    if (connects(path, true) || connects(path, false))
        return {path + " accepts connections, so the X server itself refused the client", false};
    const int error = errno;
    return {path + ": " + std::strerror(error), error == ENOENT};
}

void startGlfwOnTestDisplay()
{
    const char* display = std::getenv("DISPLAY");
    ASSERT_TRUE(display && *display) << "environment: DISPLAY is not set; run the GL tests under xvfb-run";
    glfwSetErrorCallback(recordGlfwError);
    const auto deadline = std::chrono::steady_clock::now() + RetryCeiling;
    int attempts = 0;
    DisplaySocket socket;
    for (;;) {
        ++attempts;
        if (glfwInit())
            return;
        socket = findDisplaySocket(display);
        // No server listens there at all: waiting would not bring one.
        if (socket.absent || std::chrono::steady_clock::now() > deadline)
            break;
        std::this_thread::sleep_for(RetryPause);
    }
    FAIL() << "environment: cannot open display " << display << ": " << lastGlfwError << " (" << socket.description
           << "; " << attempts << (attempts == 1 ? " attempt)" : " attempts)");
}
