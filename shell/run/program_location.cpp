#include "shell/run/program_location.h"

#include <filesystem>

namespace fs = std::filesystem;

// A relative path followed from a folder, as text ending in a separator;
// ".." at a root ("/", "C:\\") stays there.
static std::string follow(const std::string& folder, const std::string& relative)
{
    std::string followed = (fs::u8path(folder) / fs::u8path(relative)).lexically_normal().u8string();
    if (followed.back() != char(fs::path::preferred_separator))
        followed += char(fs::path::preferred_separator);
    return followed;
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
