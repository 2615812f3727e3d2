#include "shell/run/user_output.h"

#include <cstdio>

void printForUser(const char* text)
{
    std::fputs(text, stdout);
    std::fflush(stdout);
}

void printProblemForUser(const char* text) { std::fputs(text, stderr); }
