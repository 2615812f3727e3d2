#include "demo/effect_search.h"

static bool endsInSeparator(const std::string& directory)
{
#if defined(_WIN32)
    return !directory.empty() && (directory.back() == '/' || directory.back() == '\\');
#else
    return !directory.empty() && directory.back() == '/';
#endif
}

static std::string asDirectory(const std::string& directory)
{
    return endsInSeparator(directory) ? directory : directory + '/';
}

std::vector<EffectSearchPath> effectSearchPaths(const std::string& resourceDirectory,
                                                const std::vector<std::string>& fallbackDirectories)
{
    std::vector<EffectSearchPath> paths = {{asDirectory(resourceDirectory), ".glsl"}, {"", ""}};
    for (const std::string& directory : fallbackDirectories)
        paths.push_back({asDirectory(directory), ".glsl"});
    return paths;
}

std::string effectNotFoundLine(const char* effectName, const std::vector<EffectSearchPath>& paths)
{
    std::string line = "The effect file was looked for as ";
    for (size_t i = 0; i < paths.size(); ++i)
        line += (i == 0 ? "" : ", ") + paths[i].prefix + effectName + paths[i].suffix;
    return line + "; name its folder with --assets DIR";
}
