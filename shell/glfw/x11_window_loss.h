#pragma once

struct GLFWwindow;

// GLX's error for a drawable that no longer exists, counted from the
// extension's first error code (the protocol headers that name it do not
// compile on their own).
constexpr int GlxBadDrawableError = 2;

// A client other than a window manager (or a crashing one) may destroy the
// window outright instead of asking it to close. Xlib's default answer to the
// errors that follow is to end the process with status 1; this watch turns
// the errors that mean the window is gone into a plain end of the program
// instead. Any other error on the window stays fatal, with a message naming
// it. Install it once the window's set-up is finished.
void watchForWindowLoss(GLFWwindow* window);

int windowLost();
