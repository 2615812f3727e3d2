#pragma once

#include "host.h"

// The particle demo as its hosts see it.
Demo vanteelDemo();
