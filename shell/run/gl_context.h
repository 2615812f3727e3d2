#pragma once

// Prepares the current OpenGL context for the demo, whatever window system
// made it: loads the entry points beyond OpenGL 1.1 and reports the driver.
void loadOpenGlEntryPoints();

// A core-profile context draws nothing without a bound vertex array object,
// which a legacy context provides implicitly. Called only on core contexts.
void prepareCoreProfileContext();
