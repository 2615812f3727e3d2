#include "shell/run/window_placement.h"

int centredWindowOrigin(int screenLength, int windowLength)
{
    const int centred = screenLength / 2 - windowLength / 2;
    return centred < 0 ? 0 : centred;
}
