#include <gtest/gtest.h>

#include <string>

#include "effect_directory.h"
#include "shaderstore/shaderstore.h"
#include "shaderstore_answer_text.h"

using namespace shaderstore;

// The path is the candidate that opened: a search path's prefix, the name and
// its suffix, or the bare name of the default entry.
TEST(EffectPath, NamesTheFileThatWasRead)
{
    EffectDirectory directory;
    EXPECT_EQ(effectPath("Shaders"), nullptr);
    create();
    addPath(searchPrefix(directory, "assets").c_str(), ".glsl");
    writeEffectFile(directory, "assets/Shaders.glsl", "--A\na\n");
    writeEffectFile(directory, "Solo", "--A\nsolo\n");
    EXPECT_EQ(effectPath("Shaders"), nullptr) << "not loaded yet";
    EXPECT_EQ(shaderText("Missing.A"), "<null>");
    EXPECT_EQ(effectPath("Missing"), nullptr) << "nothing opened";

    ASSERT_EQ(shaderText("Shaders.A"), "#line 1\na\n\n");
    ASSERT_EQ(shaderText("Solo.A"), "#line 1\nsolo\n\n");
    EXPECT_STREQ(effectPath("Shaders"), (searchPrefix(directory, "assets") + "Shaders.glsl").c_str());
    EXPECT_STREQ(effectPath("Solo"), "Solo");
    EXPECT_EQ(effectPath("Shader"), nullptr);
    EXPECT_EQ(effectPath(nullptr), nullptr);
}

// After forgetting, the effect's sections are those of the file as it is now:
// changed, added and removed ones alike. Texts and paths handed out earlier
// keep their bytes, and other effects are not read again.
TEST(Forget, TheNextRequestReadsTheFileAgain)
{
    EffectDirectory directory;
    writeEffectFile(directory, "Shaders", "--A\nold\n--Gone\ngone\n");
    writeEffectFile(directory, "Other", "--A\nother\n");
    create();
    const char* oldText = getShader("Shaders.A");
    ASSERT_NE(oldText, nullptr);
    ASSERT_EQ(shaderText("Other.A"), "#line 1\nother\n\n");
    const char* oldPath = effectPath("Shaders");

    writeEffectFile(directory, "Shaders", "--New\nnew\n--A\nchanged\n");
    writeEffectFile(directory, "Other", "--A\nchanged other\n");
    EXPECT_EQ(shaderText("Shaders.A"), "#line 1\nold\n") << "read once until forgotten";
    EXPECT_EQ(forgetEffect("Shaders"), 1);
    EXPECT_EQ(effectPath("Shaders"), nullptr);
    EXPECT_EQ(shaderText("Shaders.A"), "#line 3\nchanged\n\n");
    EXPECT_EQ(shaderText("Shaders.New"), "#line 1\nnew\n");
    EXPECT_EQ(shaderText("Shaders.Gone"), "<null>");
    EXPECT_EQ(shaderText("Other.A"), "#line 1\nother\n\n");

    EXPECT_STREQ(oldText, "#line 1\nold\n");
    EXPECT_STREQ(oldPath, "Shaders");
    EXPECT_STREQ(effectPath("Shaders"), "Shaders");
}

// The file is searched and sliced as a first load would be now.
TEST(Forget, TheNextLoadUsesThePathsAndDirectivesAddedSince)
{
    EffectDirectory directory;
    writeEffectFile(directory, "Shaders", "--A\nbeside\n");
    create();
    ASSERT_EQ(shaderText("Shaders.A"), "#line 1\nbeside\n\n");
    writeEffectFile(directory, "assets/Shaders.glsl", "--A\nin assets\n");
    addPath(searchPrefix(directory, "assets").c_str(), ".glsl");
    addDirective("*", "#version 150");
    EXPECT_EQ(shaderText("Shaders.A"), "#line 1\nbeside\n\n");

    forgetEffect("Shaders");
    EXPECT_EQ(shaderText("Shaders.A"), "#version 150\n#line 1\nin assets\n\n");
    EXPECT_STREQ(effectPath("Shaders"), (searchPrefix(directory, "assets") + "Shaders.glsl").c_str());
}

TEST(Forget, AnEffectThatIsNotLoadedIsReported)
{
    EffectDirectory directory;
    writeEffectFile(directory, "Shaders", "--A\na\n");
    EXPECT_EQ(forgetEffect("Shaders"), 0);
    EXPECT_EQ(lastError(), nullptr) << "no store, nothing recorded";
    create();
    EXPECT_EQ(forgetEffect("Shaders"), 0);
    EXPECT_EQ(lastErrorText(), "Effect 'Shaders' is not loaded.");
    EXPECT_EQ(forgetEffect(nullptr), 0);
    EXPECT_EQ(lastErrorText(), "Effect '(null)' is not loaded.");

    ASSERT_EQ(shaderText("Shaders.A"), "#line 1\na\n\n");
    EXPECT_EQ(forgetEffect("Shaders"), 1);
    EXPECT_EQ(forgetEffect("Shaders"), 0) << "forgotten already";
}
