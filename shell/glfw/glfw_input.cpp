#include "shell/glfw/glfw_input.h"

#include "shell/run/mouse_input.h"

#include <GLFW/glfw3.h>

#include <cmath>

static MouseInput mouseInput;
static MouseHandler mouseHandler;
static int handledEventCount;
static bool quitRequest;

static int64_t nowInMilliseconds()
{
    return static_cast<int64_t>(glfwGetTimerValue() * 1000 / glfwGetTimerFrequency());
}

static void onKey(GLFWwindow*, int key, int, int action, int)
{
    ++handledEventCount;
    if (key == GLFW_KEY_ESCAPE && action == GLFW_PRESS)
        quitRequest = true;
}

static void onMouseButton(GLFWwindow* window, int button, int action, int)
{
    ++handledEventCount;
    if (button != GLFW_MOUSE_BUTTON_LEFT)
        return;
    double x = 0, y = 0;
    glfwGetCursorPos(window, &x, &y);
    int pixelX = static_cast<int>(std::floor(x));
    int pixelY = static_cast<int>(std::floor(y));
    if (action == GLFW_PRESS)
        deliverMouse(pressLeftButton(&mouseInput, pixelX, pixelY, nowInMilliseconds()), mouseHandler);
    else
        deliverMouse(releaseLeftButton(&mouseInput, pixelX, pixelY), mouseHandler);
}

static void onCursorMove(GLFWwindow*, double x, double y)
{
    ++handledEventCount;
    deliverMouse(movePointer(&mouseInput, static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y))),
                 mouseHandler);
}

static void onClose(GLFWwindow*) { ++handledEventCount; }

void connectInput(GLFWwindow* window, MouseHandler handler, int clientWidth, int clientHeight)
{
    mouseHandler = handler;
    mouseInput = startMouseInput(clientWidth, clientHeight);
    glfwSetKeyCallback(window, onKey);
    glfwSetMouseButtonCallback(window, onMouseButton);
    glfwSetCursorPosCallback(window, onCursorMove);
    glfwSetWindowCloseCallback(window, onClose);
}

int takeHandledEventCount()
{
    int count = handledEventCount;
    handledEventCount = 0;
    return count;
}

bool quitRequested() { return quitRequest; }
