#pragma once

// Starts GLFW on the display named by DISPLAY. Xvfb, with many suites
// connecting at once, now and then refuses a connection that a later attempt
// gets, so a refusal is retried for a while; a display that still cannot be
// opened, or that has no server at all, fails the test with the reason, as
// the environment's fault rather than the code's.
void startGlfwOnTestDisplay();
