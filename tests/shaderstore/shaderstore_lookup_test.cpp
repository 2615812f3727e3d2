#include <gtest/gtest.h>

#include <string>

#include "effect_directory.h"
#include "shaderstore/shaderstore.h"
#include "shaderstore_answer_text.h"

using namespace shaderstore;

// The longest stored key that begins the request wins, whatever the "." boundaries.
TEST(Lookup, AnswersWithTheLongestStoredPrefixOfTheKey)
{
    EffectDirectory directory;
    writeEffectFile(directory, "Shaders", "--Part\np\n--Particle.VS\nvs\n--Particle\nparticle\n");
    create();
    EXPECT_EQ(shaderText("Shaders.Particle.VS"), "#line 3\nvs\n");
    EXPECT_EQ(shaderText("Shaders.Particle.VS.debug"), "#line 3\nvs\n");
    EXPECT_EQ(shaderText("Shaders.Particle.VSX"), "#line 3\nvs\n");
    EXPECT_EQ(shaderText("Shaders.Particle.FS"), "#line 5\nparticle\n\n");
    EXPECT_EQ(shaderText("Shaders.Partial"), "#line 1\np\n");
    EXPECT_EQ(shaderText("Shaders.Par"), "<null>");
    EXPECT_EQ(lastErrorText(), "Could not find shader with key 'Shaders.Par'.");
}

// A stored key longer than the request never answers it.
TEST(Lookup, NeverAnswersWithALongerKey)
{
    EffectDirectory directory;
    writeEffectFile(directory, "Shaders", "--Particle.VS\nvs\n");
    create();
    EXPECT_EQ(shaderText("Shaders.Particle"), "<null>");
    EXPECT_EQ(lastErrorText(), "Could not find shader with key 'Shaders.Particle'.");
}

// A key without "." names its effect by the whole key: the effect loads, no section answers.
TEST(Lookup, AKeyWithoutADotLoadsTheEffectButFindsNothing)
{
    EffectDirectory directory;
    writeEffectFile(directory, "Shaders", "--A\na\n");
    create();
    EXPECT_EQ(shaderText("Shaders"), "<null>");
    EXPECT_EQ(lastErrorText(), "Could not find shader with key 'Shaders'.");
    removeEffectFile(directory, "Shaders");
    EXPECT_EQ(shaderText("Shaders.A"), "#line 1\na\n\n"); // sliced by the first request
}

// Only sections of the requested effect can answer.
TEST(Lookup, SectionsOfOneEffectNeverAnswerAnother)
{
    EffectDirectory directory;
    writeEffectFile(directory, "One", "--A\none\n");
    writeEffectFile(directory, "Two", "--B\ntwo\n");
    create();
    EXPECT_EQ(shaderText("One.A"), "#line 1\none\n\n");
    EXPECT_EQ(shaderText("Two.A"), "<null>");
    EXPECT_EQ(shaderText("Two.B"), "#line 1\ntwo\n\n");
    EXPECT_EQ(shaderText("One.B"), "<null>");
}

// Each effect file is read once: later requests, answered or not, use what was sliced.
TEST(LoadOnce, ASecondRequestReturnsTheSamePointerWithoutReadingAgain)
{
    EffectDirectory directory;
    writeEffectFile(directory, "Shaders", "--A\noriginal\n");
    create();
    const char* first = getShader("Shaders.A");
    ASSERT_NE(first, nullptr);
    writeEffectFile(directory, "Shaders", "--A\nchanged\n--B\nnew\n");
    EXPECT_EQ(getShader("Shaders.A"), first);
    EXPECT_STREQ(first, "#line 1\noriginal\n\n");
    EXPECT_EQ(shaderText("Shaders.B"), "<null>");
    EXPECT_EQ(lastErrorText(), "Could not find shader with key 'Shaders.B'.");
}

// A file that opens but holds nothing still counts as loaded.
TEST(LoadOnce, AnEmptyFileIsLoadedWithNoSections)
{
    EffectDirectory directory;
    writeEffectFile(directory, "Empty", "");
    create();
    EXPECT_EQ(shaderText("Empty.A"), "<null>");
    writeEffectFile(directory, "Empty", "--A\na\n");
    EXPECT_EQ(shaderText("Empty.A"), "<null>");
}

// Newest path first, the default (the bare name in the working directory) last.
TEST(SearchPaths, TheNewestPathIsTriedFirstAndTheDefaultLast)
{
    EffectDirectory directory;
    writeEffectFile(directory, "Shaders", "--A\ndefault\n");
    writeEffectFile(directory, "old/Shaders.glsl", "--A\nold\n");
    writeEffectFile(directory, "new/Shaders.fx", "--A\nnew\n");
    create();
    addPath(searchPrefix(directory, "old").c_str(), ".glsl");
    addPath(searchPrefix(directory, "new").c_str(), ".fx");
    EXPECT_EQ(shaderText("Shaders.A"), "#line 1\nnew\n\n");
    writeEffectFile(directory, "Solo", "--A\nsolo default\n");
    EXPECT_EQ(shaderText("Solo.A"), "#line 1\nsolo default\n\n");
}

// A search in which nothing opened records nothing: a later request searches
// again, with a path added since tried first.
TEST(SearchPaths, AFailedSearchIsRetriedWithPathsAddedLater)
{
    EffectDirectory directory;
    create();
    addPath(searchPrefix(directory, "first").c_str(), ".glsl");
    EXPECT_EQ(shaderText("Fx.A"), "<null>");
    EXPECT_EQ(lastErrorText(), "Could not find shader with key 'Fx.A'.");

    writeEffectFile(directory, "Fx", "--A\ndefault\n");
    writeEffectFile(directory, "first/Fx.glsl", "--A\nfirst\n");
    writeEffectFile(directory, "second/Fx.glsl", "--A\nsecond\n");
    addPath(searchPrefix(directory, "second").c_str(), ".glsl");
    EXPECT_EQ(shaderText("Fx.A"), "#line 1\nsecond\n\n");
}

// Guards a directory blocking the fallback: one named like the candidate opens
// on some systems and reads as nothing, and must not end the search.
TEST(SearchPaths, ADirectoryInPlaceOfTheFileIsPassedOver)
{
    EffectDirectory directory;
    writeEffectFile(directory, "Shaders", "--A\nbeside\n");
    writeEffectFile(directory, "assets/Shaders.glsl/inside", "--A\ninside\n");
    create();
    addPath(searchPrefix(directory, "assets").c_str(), ".glsl");
    EXPECT_EQ(shaderText("Shaders.A"), "#line 1\nbeside\n\n");
}
