#include "shell/run/program_location.h"

#include <windows.h>

#include <vector>

std::string executableDirectory()
{
    // The wide call, converted to UTF-8: the program's narrow strings (the
    // command line, the paths it opens) are UTF-8 by its manifest's code page.
    std::vector<wchar_t> path(MAX_PATH);
    DWORD length = 0;
    for (;;) {
        length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length == 0)
            return "";
        if (length < path.size())
            break;
        if (path.size() >= 32768)
            return "";
        path.resize(path.size() * 2);
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, path.data(), int(length), nullptr, 0, nullptr, nullptr);
    std::string text(size_t(size > 0 ? size : 0), '\0');
    if (size <= 0 ||
        WideCharToMultiByte(CP_UTF8, 0, path.data(), int(length), &text[0], size, nullptr, nullptr) != size)
        return "";
    const size_t separator = text.find_last_of("\\/");
    return separator == std::string::npos ? "" : text.substr(0, separator);
}
