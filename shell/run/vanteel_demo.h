#pragma once

#include "shell/host.h"

// The particle demo as its hosts see it: the record each program's entry
// point fills in, so that the demo itself knows nothing of any host.
Demo vanteelDemo();
