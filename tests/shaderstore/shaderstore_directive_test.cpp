#include <gtest/gtest.h>

#include <string>

#include "effect_directory.h"
#include "shaderstore/shaderstore.h"
#include "shaderstore_answer_text.h"

using namespace shaderstore;

static const char* const particleEffect = "--Particle.VS\nvs\n--tf.VS\ntf\n--Composite.FS\nfs\n";

// Directives come out oldest first, each on its own line, before the "#line" line.
TEST(Directives, AppearInTheOrderTheyWereAdded)
{
    EffectDirectory directory;
    writeEffectFile(directory, "Shaders", particleEffect);
    create();
    addDirective("*", "#version 150");
    addDirective("", "#define D2");
    addDirective(nullptr, "#define D3");
    EXPECT_EQ(shaderText("Shaders.tf.VS"), "#version 150\n#define D2\n#define D3\n#line 3\ntf\n");
}

// A token reaches sections whose name has it as a part, exactly and case-sensitively.
TEST(Directives, ATokenReachesSectionsWithThatNamePart)
{
    EffectDirectory directory;
    writeEffectFile(directory, "Shaders", particleEffect);
    create();
    addDirective("VS", "#define VERTEX");
    addDirective("vs", "#define LOWER");
    addDirective("Particle.VS", "#define DOTTED");
    addDirective("Particle", "#define PARTICLE");
    EXPECT_EQ(shaderText("Shaders.Particle.VS"), "#define VERTEX\n#define PARTICLE\n#line 1\nvs\n");
    EXPECT_EQ(shaderText("Shaders.tf.VS"), "#define VERTEX\n#line 3\ntf\n");
    EXPECT_EQ(shaderText("Shaders.Composite.FS"), "#line 5\nfs\n\n");
}

// The effect name reaches every section of that effect and of no other; a
// directive that applies several ways still goes in once.
TEST(Directives, TheEffectNameReachesOnlyItsOwnSections)
{
    EffectDirectory directory;
    writeEffectFile(directory, "Shaders", "--Particle.VS\nvs\n--Shaders.X\nx\n");
    writeEffectFile(directory, "Other", "--Main\nother\n");
    create();
    addDirective("Shaders", "#define SHADERS");
    EXPECT_EQ(shaderText("Shaders.Particle.VS"), "#define SHADERS\n#line 1\nvs\n");
    EXPECT_EQ(shaderText("Shaders.Shaders.X"), "#define SHADERS\n#line 3\nx\n\n");
    EXPECT_EQ(shaderText("Other.Main"), "#line 1\nother\n\n");
}

// Sections are finished when sliced: later directives reach only effects loaded later.
TEST(Directives, ReachOnlyEffectsSlicedAfterThemselves)
{
    EffectDirectory directory;
    writeEffectFile(directory, "Shaders", particleEffect);
    writeEffectFile(directory, "Later", "--A\na\n");
    create();
    addDirective("*", "#version 150");
    EXPECT_EQ(shaderText("Shaders.tf.VS"), "#version 150\n#line 3\ntf\n");
    addDirective("*", "#define LATE");
    EXPECT_EQ(shaderText("Shaders.tf.VS"), "#version 150\n#line 3\ntf\n");
    EXPECT_EQ(shaderText("Later.A"), "#version 150\n#define LATE\n#line 1\na\n\n");
}
