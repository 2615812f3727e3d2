#include "shell/run/program_location.h"

#if !defined(__EMSCRIPTEN__)
#include <unistd.h>
#endif

std::string executableDirectory()
{
#if defined(__EMSCRIPTEN__)
    return "";
#else
    // The link names the program's file with every symbolic link resolved.
    std::string path(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", &path[0], path.size());
    if (length <= 0 || size_t(length) >= path.size())
        return "";
    path.resize(size_t(length));
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash == 0 ? 1 : slash);
#endif
}
