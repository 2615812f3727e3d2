#include "shell/run/start_from_command_line.h"
#include "shell/run/vanteel_demo.h"

int main(int argc, char** argv) { return runFromCommandLine(vanteelDemo(), argc, argv); }
