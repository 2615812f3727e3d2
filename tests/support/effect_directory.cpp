#include "effect_directory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <vector>

namespace fs = std::filesystem;

// Trees a death test's child leaves behind when it exits mid-case.
static std::vector<fs::path> liveTrees;

static void removeLiveTrees()
{
    for (const fs::path& tree : liveTrees) {
        std::error_code ignored;
        fs::remove_all(tree, ignored);
    }
}

static fs::path freshTree()
{
    std::random_device entropy;
    for (;;) {
        fs::path tree = fs::temp_directory_path() / ("vanteel-effects-" + std::to_string(entropy()));
        if (fs::create_directory(tree))
            return tree;
    }
}

static fs::path workingDirectory(const EffectDirectory& directory) { return directory.root / "work"; }

EffectDirectory::EffectDirectory()
    : root(freshTree())
    , previousWorkingDirectory(fs::current_path())
{
    fs::create_directory(root / "assets");
    fs::create_directory(workingDirectory(*this));
    fs::current_path(workingDirectory(*this));
    [[maybe_unused]] static const int cleanupRegistered = std::atexit(removeLiveTrees);
    liveTrees.push_back(root);
}

EffectDirectory::~EffectDirectory()
{
    fs::current_path(previousWorkingDirectory);
    std::error_code ignored;
    fs::remove_all(root, ignored);
    liveTrees.erase(std::remove(liveTrees.begin(), liveTrees.end(), root), liveTrees.end());
}

void writeEffectFile(const EffectDirectory& directory, const std::string& path, const std::string& bytes)
{
    const fs::path file = workingDirectory(directory) / path;
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << file;
}

void removeEffectFile(const EffectDirectory& directory, const std::string& path)
{
    fs::remove(workingDirectory(directory) / path);
}

std::string searchPrefix(const EffectDirectory& directory, const std::string& folder)
{
    const fs::path path = folder.empty() ? workingDirectory(directory) : workingDirectory(directory) / folder;
    fs::create_directories(path);
    return path.string() + "/";
}
