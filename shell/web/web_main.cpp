#include "shell/run/start_from_command_line.h"
#include "shell/run/vanteel_demo.h"

// The page hands over its query string as the command line (web_page.html).
int main(int argc, char** argv) { return runFromCommandLine(vanteelDemo(), argc, argv); }
