// The demo with multisampling on, which its own configuration leaves off, so
// that the end-to-end suite runs the host's multisampled pixel-format search.
#include "shell/run/start_from_command_line.h"
#include "shell/run/vanteel_demo.h"

#include <windows.h>

static AppConfig multisampledConfiguration()
{
    AppConfig config = vanteelDemo().configuration();
    config.multisampling = 1;
    return config;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    Demo demo = vanteelDemo();
    demo.configuration = multisampledConfiguration;
    return runFromCommandLine(demo, __argc, __argv);
}
