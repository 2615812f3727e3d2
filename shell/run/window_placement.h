#pragma once

// Where a window starts along one axis of the screen: centred by integer
// halves, but never before the screen's start, so that a window larger than
// the screen keeps its top-left corner (and the content there) visible.
int centredWindowOrigin(int screenLength, int windowLength);
