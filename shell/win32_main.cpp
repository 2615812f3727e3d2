#include "start_from_command_line.h"
#include "vanteel_demo.h"

#include <cstdlib>
#include <windows.h>

// The test build turns multisampling on to run the pixel-format search,
// which the demo's own configuration leaves off.
#if defined(VANTEEL_MULTISAMPLING)
static AppConfig multisampledConfiguration()
{
    AppConfig config = vanteelDemo().configuration();
    config.multisampling = 1;
    return config;
}
#endif

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    Demo demo = vanteelDemo();
#if defined(VANTEEL_MULTISAMPLING)
    demo.configuration = multisampledConfiguration;
#endif
    // The runtime has already split the command line, quotes and all.
    return runFromCommandLine(demo, __argc, __argv);
}
