#include "start_from_command_line.h"
#include "vanteel_demo.h"

int main(int argc, char** argv) { return runFromCommandLine(vanteelDemo(), argc, argv); }
