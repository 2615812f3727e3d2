#include "shell/run/program_location.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Folders = std::vector<std::string>;

TEST(InstalledEffectDirectories, NoneWhenTheProgramsFolderIsUnknown)
{
    EXPECT_EQ(installedEffectDirectories("", "../share/vanteel"), Folders {});
}

#if !defined(_WIN32)
TEST(InstalledEffectDirectories, TheAssetsBesideBinThenTheDataFolder)
{
    EXPECT_EQ(installedEffectDirectories("/opt/vanteel-1.0.0/bin", "../share/vanteel"),
              (Folders {"/opt/vanteel-1.0.0/assets/", "/opt/vanteel-1.0.0/share/vanteel/"}));
    EXPECT_EQ(installedEffectDirectories("/usr/bin", "../share/vanteel"),
              (Folders {"/usr/assets/", "/usr/share/vanteel/"}));
}

TEST(InstalledEffectDirectories, ARootStaysARoot)
{
    EXPECT_EQ(installedEffectDirectories("/bin", "../share/vanteel"), (Folders {"/assets/", "/share/vanteel/"}));
    EXPECT_EQ(installedEffectDirectories("/", "../../data/./v"), (Folders {"/assets/", "/data/v/"}));
}

#else
TEST(InstalledEffectDirectories, WindowsFoldersComeWithBackslashes)
{
    EXPECT_EQ(installedEffectDirectories("C:\\Program Files\\Vanteel\\bin", "../share/vanteel"),
              (Folders {"C:\\Program Files\\Vanteel\\assets\\", "C:\\Program Files\\Vanteel\\share\\vanteel\\"}));
    EXPECT_EQ(installedEffectDirectories("C:\\bin", "../share/vanteel"),
              (Folders {"C:\\assets\\", "C:\\share\\vanteel\\"}));
    // A "/" in the program's folder separates folders as well.
    EXPECT_EQ(installedEffectDirectories("D:/games/vanteel/bin", "../share/vanteel"),
              (Folders {"D:\\games\\vanteel\\assets\\", "D:\\games\\vanteel\\share\\vanteel\\"}));
}
#endif

// The running test program is a file in a folder that exists.
TEST(ExecutableDirectory, NamesTheTestProgramsFolder)
{
    const std::string folder = executableDirectory();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '/');
    EXPECT_NE(folder.find("shell"), std::string::npos) << folder;
}
