// The demo on a 3.2 core context, the only kind some platforms offer, for the
// end-to-end suites: the product itself always asks for the legacy one.
#include "glfw_window.h"
#include "start_from_command_line.h"
#include "vanteel_demo.h"

int main(int argc, char** argv)
{
    askForCoreProfile();
    return runFromCommandLine(vanteelDemo(), argc, argv);
}
