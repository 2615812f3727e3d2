#include "shell/run/effect_watch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "effect_directory.h"

namespace {

constexpr int64_t Interval = EffectWatchIntervalMicroseconds;

struct WatchTest : testing::Test {
    EffectDirectory directory;
    std::string path = searchPrefix(directory) + "Shaders.glsl";
};

} // namespace

// Guards looking on every frame: the file is looked at again only once the
// interval since the last look is over, so a change waits for that look.
TEST_F(WatchTest, ASizeChangeShowsAtTheFirstLookDueAfterIt)
{
    writeEffectFile(directory, "Shaders.glsl", "--A\na\n");
    EffectWatch watch = startEffectWatch(path.c_str(), 1000);
    EXPECT_FALSE(effectFileChanged(&watch, 1000 + Interval)) << "nothing changed yet";

    writeEffectFile(directory, "Shaders.glsl", "--A\nlonger\n");
    EXPECT_FALSE(effectFileChanged(&watch, 1000 + Interval + 1));
    EXPECT_FALSE(effectFileChanged(&watch, 1000 + 2 * Interval - 1));
    EXPECT_TRUE(effectFileChanged(&watch, 1000 + 2 * Interval));
    EXPECT_FALSE(effectFileChanged(&watch, 1000 + 3 * Interval)) << "a change is reported once";
}

// Guards comparing sizes alone, or whole seconds: a save that keeps the size,
// a fraction of a second after the last one, is still a save.
TEST_F(WatchTest, ANewTimeWithTheSameSizeIsAChange)
{
    writeEffectFile(directory, "Shaders.glsl", "--A\na\n");
    const auto saved = std::filesystem::last_write_time(path);
    EffectWatch watch = startEffectWatch(path.c_str(), 0);

    writeEffectFile(directory, "Shaders.glsl", "--A\nb\n");
    std::filesystem::last_write_time(path, saved + std::chrono::milliseconds(1));
    EXPECT_TRUE(effectFileChanged(&watch, Interval));
    EXPECT_FALSE(effectFileChanged(&watch, 2 * Interval));
}

// A save that deletes the file and writes a new one, as some editors do, may
// be looked at in between: both steps are changes.
TEST_F(WatchTest, DeletionAndRecreationAreBothChanges)
{
    writeEffectFile(directory, "Shaders.glsl", "--A\na\n");
    const auto saved = std::filesystem::last_write_time(path);
    EffectWatch watch = startEffectWatch(path.c_str(), 0);

    removeEffectFile(directory, "Shaders.glsl");
    EXPECT_TRUE(effectFileChanged(&watch, Interval));
    EXPECT_FALSE(effectFileChanged(&watch, 2 * Interval)) << "still missing is no change";

    writeEffectFile(directory, "Shaders.glsl", "--A\na\n");
    std::filesystem::last_write_time(path, saved);
    EXPECT_TRUE(effectFileChanged(&watch, 3 * Interval)) << "the same bytes and time, back from missing";
}
