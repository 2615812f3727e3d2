// The demo on a 3.2 core context, the only kind some platforms offer, for the
// end-to-end suites: the product itself always asks for the legacy one.
#include "shell/glfw/glfw_window.h"
#include "shell/run/start_from_command_line.h"
#include "shell/run/vanteel_demo.h"

int main(int argc, char** argv)
{
    askForCoreProfile();
    return runFromCommandLine(vanteelDemo(), argc, argv);
}
