#pragma once

// The scripted replay in the demo's own window; writes its last frame to
// outputPath as PNG. Run from a folder whose "../assets/" holds the effect
// file (the build folder does).
void runReplayInWindow(const char* outputPath);
