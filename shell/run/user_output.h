#pragma once

// Text for the person who started the program: help, the version, benchmark
// results, and what was wrong with the command line. On Linux these are
// standard output and standard error; on Windows the debugger output channel
// and, when the program was started from a console, that console as well.
void printForUser(const char* text);
void printProblemForUser(const char* text);
