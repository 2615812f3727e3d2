// The demo on a 3.2 core context, the only kind some platforms offer, for the
// end-to-end suites: the product's own start-up always asks for the legacy one.
#include "shell/run/command_line.h"
#include "shell/run/start_from_command_line.h"
#include "shell/run/vanteel_demo.h"

int main(int argc, char** argv)
{
    CommandLine commandLine = parseCommandLine(argc, argv);
    if (commandLine.action != CommandLineAction::Run)
        return runFromCommandLine(vanteelDemo(), argc, argv);
    commandLine.options.coreProfile = true;
    return runHost(vanteelDemo(), commandLine.options);
}
