#include "shell/run/start_from_command_line.h"
#include "shell/run/vanteel_demo.h"

#include <cstdlib>
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // The runtime has already split the command line, quotes and all.
    return runFromCommandLine(vanteelDemo(), __argc, __argv);
}
