// When memory runs out anywhere inside the store, it must answer null or the
// complete text, never a partial one, stay usable, and lose no block.
#include <gtest/gtest.h>

#include <string>

#include "allocation_failure_sweep.h"
#include "effect_directory.h"
#include "shaderstore/shaderstore.h"
#include "shaderstore_answer_text.h"
#include "store_allocation_counting.h"

using namespace shaderstore;
using Failure = AllocationFailure;

namespace {

const char* const effectText = "// shared\n--Particle.VS\nvoid main(){}\n--\nnotes\n-- Composite.FS tail\nout vec4 c;\n"
                               "--tf.VS\nin vec3 p;\nout vec3 q;\nvoid main(){ q = p; }\n";
const std::string particleText = "#version 150\n#define VERTEX\n#line 2\nvoid main(){}\n";

bool isFailureMessage(const std::string& error)
{
    return error == "<none>" || error == "Could not find shader with key 'Shaders.Particle.VS'." ||
        error == "Malformed effect key key 'Shaders.Particle.VS'.";
}

void setUpStore(const EffectDirectory& directory)
{
    ASSERT_EQ(create(), 1);
    ASSERT_EQ(addPath(searchPrefix(directory, "assets").c_str(), ".glsl"), 1);
    ASSERT_EQ(addDirective("*", "#version 150"), 1);
    ASSERT_EQ(addDirective("VS", "#define VERTEX"), 1);
}

} // namespace

TEST(AllocationFailure, GetShaderOnARealEffectFile)
{
    EffectDirectory directory;
    writeEffectFile(directory, "assets/Shaders.glsl", effectText);
    AllocationCounter counter;
    StoreAllocationsCounted counting(counter);
    int requests = exerciseEveryFailure(counter, [&](AllocationCounter& counted, Failure failure, int k) {
        setUpStore(directory);
        armAllocationFailure(counted, failure, k);
        const char* text = getShader("Shaders.Particle.VS");
        disarmAllocationFailure(counted);
        if (text != nullptr) {
            EXPECT_EQ(std::string(text), particleText);
        } else {
            EXPECT_PRED1(isFailureMessage, lastErrorText());
            if (failure == Failure::FromOn) {
                // Whether or not the effect was recorded, a retry gives all or nothing.
                std::string retried = shaderText("Shaders.Particle.VS");
                EXPECT_TRUE(retried == particleText || retried == "<null>") << retried;
            }
        }
        // The other sections are whole, or absent when the slicing failed.
        std::string other = shaderText("Shaders.tf.VS");
        EXPECT_TRUE(other == "<null>" ||
                    other ==
                        "#version 150\n#define VERTEX\n#line 8\nin vec3 p;\nout vec3 q;\nvoid main(){ q = p; }\n\n")
            << other;
        release();
    });
    EXPECT_GT(requests, 20);
}

// Set-up calls either store what they were given or report 0 and store nothing.
TEST(AllocationFailure, CreateAddPathAndAddDirective)
{
    EffectDirectory directory;
    writeEffectFile(directory, "assets/Shaders.glsl", effectText);
    AllocationCounter counter;
    StoreAllocationsCounted counting(counter);
    exerciseEveryFailure(counter, [&](AllocationCounter& counted, Failure failure, int k) {
        armAllocationFailure(counted, failure, k);
        int created = create();
        int pathAdded = addPath(searchPrefix(directory, "assets").c_str(), ".glsl");
        int starAdded = addDirective("*", "#version 150");
        int vertexAdded = addDirective("VS", "#define VERTEX");
        disarmAllocationFailure(counted);
        if (created == 0) {
            EXPECT_EQ(pathAdded + starAdded + vertexAdded, 0);
            EXPECT_EQ(getShader("Shaders.Particle.VS"), nullptr);
            return;
        }
        writeEffectFile(directory, "Shaders", "--Particle.VS\nfrom the working directory\n");
        std::string expected = std::string(starAdded ? "#version 150\n" : "") +
            (vertexAdded ? "#define VERTEX\n" : "") +
            (pathAdded ? "#line 2\nvoid main(){}\n" : "#line 1\nfrom the working directory\n\n");
        EXPECT_EQ(shaderText("Shaders.Particle.VS"), expected);
        removeEffectFile(directory, "Shaders");
        release();
    });
}

// Two effects loaded in turn with failures during the second: the first's sections stay intact.
TEST(AllocationFailure, AFailedLoadLeavesEarlierSectionsIntact)
{
    EffectDirectory directory;
    writeEffectFile(directory, "assets/Shaders.glsl", effectText);
    writeEffectFile(directory, "assets/Other.glsl", "--Main\nother\n");
    AllocationCounter counter;
    StoreAllocationsCounted counting(counter);
    exerciseEveryFailure(counter, [&](AllocationCounter& counted, Failure failure, int k) {
        setUpStore(directory);
        ASSERT_EQ(shaderText("Shaders.Particle.VS"), particleText);
        armAllocationFailure(counted, failure, k);
        const char* other = getShader("Other.Main");
        disarmAllocationFailure(counted);
        if (other != nullptr) {
            EXPECT_STREQ(other, "#version 150\n#line 1\nother\n\n");
        }
        EXPECT_EQ(shaderText("Shaders.Particle.VS"), particleText);
        release();
    });
}

// Re-reading a forgotten effect with failures along the way: the new text is
// whole or absent, the text handed out before is untouched, and release gives
// back the forgotten sections too.
TEST(AllocationFailure, RereadingAForgottenEffect)
{
    EffectDirectory directory;
    AllocationCounter counter;
    StoreAllocationsCounted counting(counter);
    exerciseEveryFailure(counter, [&](AllocationCounter& counted, Failure failure, int k) {
        writeEffectFile(directory, "assets/Shaders.glsl", effectText);
        setUpStore(directory);
        const char* before = getShader("Shaders.Particle.VS");
        ASSERT_NE(before, nullptr);
        writeEffectFile(directory, "assets/Shaders.glsl", "--Particle.VS\nchanged\n");
        armAllocationFailure(counted, failure, k);
        ASSERT_EQ(forgetEffect("Shaders"), 1);
        const char* after = getShader("Shaders.Particle.VS");
        const char* path = effectPath("Shaders");
        disarmAllocationFailure(counted);
        if (after != nullptr) {
            EXPECT_STREQ(after, "#version 150\n#define VERTEX\n#line 1\nchanged\n\n");
        }
        if (path != nullptr) {
            EXPECT_EQ(std::string(path), searchPrefix(directory, "assets") + "Shaders.glsl");
        }
        EXPECT_EQ(std::string(before), particleText);
        release();
    });
}
