#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bytestring_test_support.h"
#include "effect_directory.h"
#include "shaderstore/internal/effect_slicing.h"
#include "shaderstore/shaderstore.h"
#include "shaderstore_answer_text.h"
#include "store_allocation_counting.h"

using namespace shaderstore;

// A store that reads effect "E" from the working directory, with no directives.
static void storeWithEffect(const EffectDirectory& directory, const std::string& bytes)
{
    ASSERT_EQ(create(), 1);
    writeEffectFile(directory, "E", bytes);
}

TEST(Slicing, WorkedExampleByteForByte)
{
    EffectDirectory directory;
    writeEffectFile(directory, "assets/Shaders.glsl",
                    "// shared\n--Particle.VS\nvoid main(){}\n--\nnotes\n-- Composite.FS tail\nout vec4 c;\n");
    create();
    ASSERT_EQ(addPath(searchPrefix(directory, "assets").c_str(), ".glsl"), 1);
    ASSERT_EQ(addDirective("*", "#version 150"), 1);
    EXPECT_EQ(shaderText("Shaders.Particle.VS"), "#version 150\n#line 2\nvoid main(){}\n");
    EXPECT_EQ(shaderText("Shaders.Composite.FS"), "#version 150\n#line 6\nout vec4 c;\n\n");
    EXPECT_EQ(shaderText("Shaders.notes"), "<null>");
}

// Files are read untranslated: carriage returns stay, and a name stops before one.
TEST(Slicing, CarriageReturnsStayOnEveryLine)
{
    EffectDirectory directory;
    storeWithEffect(directory, "--A\r\nx = 1;\r\ny = 2;\r\n--B\r\nz\r\n");
    EXPECT_EQ(shaderText("E.A"), "#line 1\nx = 1;\r\ny = 2;\r\n");
    EXPECT_EQ(shaderText("E.B"), "#line 4\nz\r\n\n");
}

// The last line gets a line feed whether or not the file ends with one.
TEST(Slicing, LastLineEndsInALineFeedWithOrWithoutOneInTheFile)
{
    EffectDirectory directory;
    storeWithEffect(directory, "--A\nlast");
    writeEffectFile(directory, "F", "--A\nlast\n");
    EXPECT_EQ(shaderText("E.A"), "#line 1\nlast\n");
    EXPECT_EQ(shaderText("F.A"), "#line 1\nlast\n\n");
}

// "--" alone closes the section; lines up to the next header belong to none.
TEST(Slicing, ClosingLinesDropTheLinesThatFollow)
{
    EffectDirectory directory;
    storeWithEffect(directory, "--A\na\n--\ndropped\n--B\nb\n-- %$!\nalso dropped\n--\xC3\xA9\nstill dropped\n");
    EXPECT_EQ(shaderText("E.A"), "#line 1\na\n");
    EXPECT_EQ(shaderText("E.B"), "#line 5\nb\n");
}

// Only two leading dashes make a header; a single dash is an ordinary body line.
TEST(Slicing, SingleDashLinesAreBodyLines)
{
    EffectDirectory directory;
    storeWithEffect(directory, "--A\n-\n-x\n- -A\n-\n");
    EXPECT_EQ(shaderText("E.A"), "#line 1\n-\n-x\n- -A\n-\n\n");
}

// The name is the first run of name characters after "--"; the rest of the line is ignored.
TEST(Slicing, HeaderNamesSkipLeadingNoiseAndStopAtTheFirstNonNameByte)
{
    EffectDirectory directory;
    storeWithEffect(directory, "---Foo\none\n");
    writeEffectFile(directory, "G", "-- Foo Bar\ntwo\n");
    writeEffectFile(directory, "H", "--Foo-Bar\nthree\n");
    writeEffectFile(directory, "I", "--  tf.VS_2 // comment\nfour\n");
    EXPECT_EQ(shaderText("E.Foo"), "#line 1\none\n\n");
    EXPECT_EQ(shaderText("G.Foo"), "#line 1\ntwo\n\n");
    EXPECT_EQ(shaderText("H.Foo"), "#line 1\nthree\n\n");
    EXPECT_EQ(shaderText("H.Foo-Bar"), "#line 1\nthree\n\n"); // answered by the prefix H.Foo
    EXPECT_EQ(shaderText("I.tf.VS_2"), "#line 1\nfour\n\n");
    EXPECT_EQ(shaderText("G.Bar"), "<null>");
}

// A pre-decrement at the start of a line reads as a header line.
TEST(Slicing, BodyLinesStartingWithTwoDashesOpenOrCloseSections)
{
    EffectDirectory directory;
    storeWithEffect(directory, "--A\nx\n--i;\ny\n-- ;\nz\n");
    EXPECT_EQ(shaderText("E.A"), "#line 1\nx\n");
    EXPECT_EQ(shaderText("E.i"), "#line 3\ny\n");
}

TEST(Slicing, RepeatedSectionNameAnswersWithTheLaterOne)
{
    EffectDirectory directory;
    storeWithEffect(directory, "--A\nfirst\n--A\nsecond\n");
    EXPECT_EQ(shaderText("E.A"), "#line 3\nsecond\n\n");
}

static std::vector<std::string> keysOf(const ChainNode* chain)
{
    std::vector<std::string> keys;
    for (; chain != nullptr; chain = chain->next)
        keys.push_back(contents(chain->first) + "=" + contents(chain->second));
    return keys;
}

// Both copies are kept, newest first, and both get the directives.
TEST(Slicing, RepeatedSectionNameKeepsBothSectionsWithDirectives)
{
    AllocationCounter counter;
    StoreAllocationsCounted counting(counter);
    OwnedString effect = owned(bytestring::fromCString("E"));
    ChainNode* directives = nullptr;
    ASSERT_EQ(pushFront(&directives, bytestring::fromCString("*"), bytestring::fromCString("#version 150\n")), 0);
    ChainNode* sections = nullptr;
    ASSERT_EQ(sliceEffect(effect.get(), bytestring::fromCString("--A\nfirst\n--A\nsecond"), directives, &sections), 0);
    EXPECT_EQ(keysOf(sections),
              (std::vector<std::string> {"E.A=#version 150\n#line 3\nsecond\n", "E.A=#version 150\n#line 1\nfirst\n"}));
    releaseChain(sections);
    releaseChain(directives);
    effect.reset();
    EXPECT_EQ(counter.liveBlocks.size(), 0u);
}

// A line whose allocation failed (a null entry) must neither crash the store nor
// yield a section with a line missing: the whole effect counts as unreadable.
TEST(Slicing, ANullLineFailsTheWholeEffectAndAddsNothing)
{
    AllocationCounter counter;
    StoreAllocationsCounted counting(counter);
    OwnedString effect = owned(bytestring::fromCString("E"));
    OwnedString text = owned(bytestring::fromCString("--A\na\nb\n--B\nc"));
    ByteStringList* lines = bytestring::split(text.get(), '\n');
    ASSERT_NE(lines, nullptr);
    bytestring::destroy(lines->entries[2]);
    lines->entries[2] = nullptr;
    ChainNode* sections = nullptr;
    ASSERT_EQ(pushFront(&sections, bytestring::fromCString("X.Y"), bytestring::fromCString("kept\n")), 0);
    EXPECT_EQ(sliceLines(effect.get(), lines, nullptr, &sections), -1);
    EXPECT_EQ(keysOf(sections), (std::vector<std::string> {"X.Y=kept\n"}));
    bytestring::destroyList(lines);
    releaseChain(sections);
    effect.reset();
    text.reset();
    EXPECT_EQ(counter.liveBlocks.size(), 0u);
}

TEST(NameCharacters, AreAsciiLettersDigitsUnderscoreAndDot)
{
    std::string accepted;
    for (int c = 0; c < 256; ++c) {
        if (isNameChar(static_cast<unsigned char>(c)))
            accepted.push_back(static_cast<char>(c));
    }
    EXPECT_EQ(accepted, ".0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz");
}

// Compilers count the line after "#line N" as N + 1 before GLSL 3.30 and as N
// from 3.30 and in GLSL ES; either way the first body line must come out as
// its own line in the file, here 3, whichever "#version" reaches the section.
TEST(LineNumbers, FollowTheVersionThatReachesEachSection)
{
    EffectDirectory directory;
    storeWithEffect(directory, "\n--A.VS\nbody\n--A.FS\nbody\n--A.GS\nbody\n--B.VS\nbody\n--B.FS\nbody\n--B.GS\nbody");
    addDirective("A", "#version 300 es\nprecision highp float;");
    addDirective("B", "// no version");
    addDirective("VS", "#version\t330 core");
    addDirective("FS", "#version 100");
    addDirective("GS", "#version 150 // es");
    EXPECT_EQ(shaderText("E.A.VS"), "#version 300 es\nprecision highp float;\n#version\t330 core\n#line 3\nbody\n");
    EXPECT_EQ(shaderText("E.A.FS"), "#version 300 es\nprecision highp float;\n#version 100\n#line 5\nbody\n");
    EXPECT_EQ(shaderText("E.B.VS"), "// no version\n#version\t330 core\n#line 9\nbody\n");
    EXPECT_EQ(shaderText("E.B.FS"), "// no version\n#version 100\n#line 11\nbody\n");
    EXPECT_EQ(shaderText("E.B.GS"), "// no version\n#version 150 // es\n#line 12\nbody\n");
    EXPECT_EQ(shaderText("E.A.GS"), "#version 300 es\nprecision highp float;\n#version 150 // es\n#line 7\nbody\n");
}

// The header's line as the section that answers a key was sliced, by the
// same longest-prefix rule; nothing for a key no section answers.
TEST(LineNumbers, HeaderLineIsThatOfTheAnsweringSection)
{
    EXPECT_EQ(headerLine("E.A"), 0) << "no store";
    EffectDirectory directory;
    storeWithEffect(directory, "--A\na\n--A.VS\nvs\n\n--A\nlater\n");
    EXPECT_EQ(headerLine("E.A"), 0) << "nothing read yet";
    ASSERT_EQ(shaderText("E.A.VS"), "#line 3\nvs\n\n");
    EXPECT_EQ(headerLine("E.A.VS"), 3);
    EXPECT_EQ(headerLine("E.A.VS.more"), 3);
    EXPECT_EQ(headerLine("E.A"), 6) << "the later of two equal keys";
    EXPECT_EQ(headerLine("E.B"), 0);
    EXPECT_EQ(headerLine(nullptr), 0);
    EXPECT_EQ(lastErrorText(), "<none>");
}
