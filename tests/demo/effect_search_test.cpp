#include "demo/effect_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

static std::vector<std::string> files(const std::vector<EffectSearchPath>& paths)
{
    std::vector<std::string> names;
    names.reserve(paths.size());
    for (const EffectSearchPath& path : paths)
        names.push_back(path.prefix + "Shaders" + path.suffix);
    return names;
}

// Guards the order of today's candidates, first and unchanged, when nothing else is known.
TEST(EffectSearchPaths, WithoutFallbacksTheResourceDirectoryThenTheWorkingDirectory)
{
    EXPECT_EQ(files(effectSearchPaths("../assets/", {})),
              (std::vector<std::string> {"../assets/Shaders.glsl", "Shaders"}));
    EXPECT_EQ(files(effectSearchPaths("/opt/effects", {})),
              (std::vector<std::string> {"/opt/effects/Shaders.glsl", "Shaders"}));
}

TEST(EffectSearchPaths, FallbacksComeLastInTheOrderGiven)
{
    EXPECT_EQ(files(effectSearchPaths("../assets/", {"/opt/v/assets/", "/opt/share/vanteel"})),
              (std::vector<std::string> {"../assets/Shaders.glsl", "Shaders", "/opt/v/assets/Shaders.glsl",
                                         "/opt/share/vanteel/Shaders.glsl"}));
}

#if defined(_WIN32)
TEST(EffectSearchPaths, ABackslashEndsAWindowsFolder)
{
    EXPECT_EQ(files(effectSearchPaths("C:\\v\\assets\\", {"C:\\v\\share"})),
              (std::vector<std::string> {"C:\\v\\assets\\Shaders.glsl", "Shaders", "C:\\v\\share/Shaders.glsl"}));
}
#endif

TEST(EffectNotFoundLine, NamesEveryFileTriedAndTheOption)
{
    EXPECT_EQ(effectNotFoundLine("Shaders", effectSearchPaths("../assets/", {"/x/assets/", "/x/share/vanteel/"})),
              "The effect file was looked for as ../assets/Shaders.glsl, Shaders, /x/assets/Shaders.glsl, "
              "/x/share/vanteel/Shaders.glsl; name its folder with --assets DIR");
}
