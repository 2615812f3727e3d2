#include <gtest/gtest.h>

#include <string>

#include "effect_directory.h"
#include "shaderstore/shaderstore.h"
#include "shaderstore_answer_text.h"

using namespace shaderstore;

// Every case runs in its own process, so the store starts absent here.
TEST(Lifecycle, EveryOperationRefusesBeforeCreate)
{
    EffectDirectory directory;
    writeEffectFile(directory, "Shaders", "--A\na\n");
    EXPECT_EQ(addPath("x/", ".glsl"), 0);
    EXPECT_EQ(addDirective("*", "#version 150"), 0);
    EXPECT_EQ(getShader("Shaders.A"), nullptr);
    EXPECT_EQ(lastError(), nullptr);
    ASSERT_EQ(create(), 1);
    EXPECT_EQ(shaderText("Shaders.A"), "#line 1\na\n\n"); // nothing refused was stored
}

// A second create must not throw away the paths and directives set up so far.
TEST(Lifecycle, ASecondCreateReportsAndChangesNothing)
{
    EffectDirectory directory;
    writeEffectFile(directory, "dir/Shaders.glsl", "--A\na\n");
    ASSERT_EQ(create(), 1);
    addPath(searchPrefix(directory, "dir").c_str(), ".glsl");
    addDirective("*", "#version 150");
    EXPECT_EQ(create(), 0);
    EXPECT_EQ(lastErrorText(), "Already initialized.");
    EXPECT_EQ(shaderText("Shaders.A"), "#version 150\n#line 1\na\n\n");
}

TEST(Lifecycle, ANullKeyIsMalformedAndLoadsNothing)
{
    EffectDirectory directory;
    create();
    EXPECT_EQ(getShader(nullptr), nullptr);
    EXPECT_EQ(lastErrorText(), "Malformed effect key key '(null)'.");
}

// Only failures replace the last error; a success leaves it as it was.
TEST(Lifecycle, ASuccessKeepsTheLastError)
{
    EffectDirectory directory;
    writeEffectFile(directory, "Shaders", "--A\na\n");
    create();
    EXPECT_EQ(shaderText("Missing.A"), "<null>");
    EXPECT_EQ(lastErrorText(), "Could not find shader with key 'Missing.A'.");
    EXPECT_EQ(shaderText("Shaders.A"), "#line 1\na\n\n");
    EXPECT_EQ(lastErrorText(), "Could not find shader with key 'Missing.A'.");
}

// Without a path or a directive argument nothing is stored.
TEST(Lifecycle, NullPathsAndDirectiveTextsAreRefused)
{
    EffectDirectory directory;
    writeEffectFile(directory, "Shaders", "--A\na\n");
    create();
    EXPECT_EQ(addPath(nullptr, ".glsl"), 0);
    EXPECT_EQ(addPath("x/", nullptr), 0);
    EXPECT_EQ(addDirective("*", nullptr), 0);
    EXPECT_EQ(shaderText("Shaders.A"), "#line 1\na\n\n");
}

// Releasing gives every block back and leaves the store absent, ready to be made again.
TEST(Lifecycle, ReleaseLeavesTheStoreAbsent)
{
    EffectDirectory directory;
    writeEffectFile(directory, "Shaders", "--A\na\n");
    create();
    EXPECT_EQ(shaderText("Shaders.A"), "#line 1\na\n\n");
    release();
    EXPECT_EQ(getShader("Shaders.A"), nullptr);
    EXPECT_EQ(create(), 1);
    EXPECT_EQ(shaderText("Shaders.A"), "#line 1\na\n\n");
}
