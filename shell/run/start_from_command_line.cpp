#include "shell/run/start_from_command_line.h"

#include "shell/run/command_line.h"
#include "shell/diagnostics.h"
#include "shell/run/user_output.h"

int runFromCommandLine(Demo demo, int argc, const char* const* argv)
{
    // Before anything allocates: parsing the command line already does.
    makeOutOfMemoryFatal();
    CommandLine commandLine = parseCommandLine(argc, argv);
    switch (commandLine.action) {
    case CommandLineAction::Help:
        printForUser(helpText().c_str());
        return 0;
    case CommandLineAction::Version:
        printForUser(versionText().c_str());
        return 0;
    case CommandLineAction::UsageError:
        printProblemForUser(usageErrorLine(commandLine.problem).c_str());
        return 2;
    case CommandLineAction::Run:
        break;
    }
    return runHost(demo, commandLine.options);
}
