#include "shell/run/user_output.h"

#include <cstring>
#include <windows.h>

// A program of the window subsystem gets no console of its own. Started from
// a prompt it is handed no standard handles either, so it joins the prompt's
// console; one whose output was redirected writes where it was sent.
static HANDLE parentConsole()
{
    static const HANDLE console = AttachConsole(ATTACH_PARENT_PROCESS)
        ? CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, 0, nullptr)
        : INVALID_HANDLE_VALUE;
    return console;
}

static void writeForUser(DWORD standardStream, const char* text)
{
    OutputDebugStringA(text);
    HANDLE stream = GetStdHandle(standardStream);
    if (stream == nullptr || stream == INVALID_HANDLE_VALUE)
        stream = parentConsole();
    if (stream == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(stream, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
}

void printForUser(const char* text) { writeForUser(STD_OUTPUT_HANDLE, text); }

void printProblemForUser(const char* text) { writeForUser(STD_ERROR_HANDLE, text); }
