#include "shell/run/program_location.h"

#include <cstddef>

#if defined(_WIN32)
static const char Separator = '\\';
static bool isSeparator(char c) { return c == '/' || c == '\\'; }
#else
static const char Separator = '/';
static bool isSeparator(char c) { return c == '/'; }
#endif

static std::string withSeparator(const std::string& folder)
{
    return !folder.empty() && isSeparator(folder.back()) ? folder : folder + Separator;
}

// The folder above; a root ("/", "C:\\") stays as it is.
static std::string parentOf(const std::string& folder)
{
    size_t last = folder.size();
    while (last > 0 && !isSeparator(folder[last - 1]))
        --last;
    if (last == 0)
        return folder;
    const std::string above = folder.substr(0, last - 1);
    const bool aboveIsRoot = above.empty() || (above.size() == 2 && above[1] == ':');
    return aboveIsRoot ? folder.substr(0, last) : above;
}

// A relative path, "/" separated, followed from a folder, ending in a separator.
static std::string follow(std::string folder, const std::string& relative)
{
    size_t start = 0;
    while (start <= relative.size()) {
        size_t end = relative.find('/', start);
        if (end == std::string::npos)
            end = relative.size();
        const std::string name = relative.substr(start, end - start);
        if (name == "..")
            folder = parentOf(folder);
        else if (!name.empty() && name != ".")
            folder = withSeparator(folder).append(name);
        start = end + 1;
    }
    return withSeparator(folder);
}

std::vector<std::string> installedEffectDirectories(const std::string& executableDirectory,
                                                    const std::string& dataFromBin)
{
    if (executableDirectory.empty())
        return {};
    return {follow(executableDirectory, "../assets"), follow(executableDirectory, dataFromBin)};
}

std::vector<std::string> effectDirectoriesBesideProgram()
{
    return installedEffectDirectories(executableDirectory(), VANTEEL_DATA_FROM_BIN);
}
