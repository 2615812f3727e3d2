#pragma once

struct GLFWwindow;

// A client other than a window manager (or a crashing one) may destroy the
// window outright instead of asking it to close. Xlib's default answer to the
// errors that follow is to end the process with status 1; this watch turns
// errors about the window into a plain end of the program instead. Install it
// once the window's set-up is finished.
void watchForWindowLoss(GLFWwindow* window);

int windowLost();
