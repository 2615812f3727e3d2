#pragma once

#include <cstdint>

// The demo's entry points, called by the host: initialise once the context
// is current and GLEW is loaded, then update and render once per frame.
void initialise();
void update(uint32_t elapsedMicroseconds);
void render();
