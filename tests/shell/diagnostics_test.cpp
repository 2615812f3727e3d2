#include "debug_capture.h"
#include "shell/diagnostics.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <string>

using Writes = std::vector<std::string>;

// Guards the buffer bound: a message must be cut at 1,023 characters, whole below.
TEST(DebugPrint, WritesMessagesUpTo1023CharactersWholeAndCutsLongerOnes)
{
    DebugCapture capture;
    std::string exact(1023, 'a');
    std::string longer = std::string(1023, 'b') + "cdef";
    debugPrint("%s", exact.c_str());
    debugPrint("%s", longer.c_str());
    debugPrint("%s", std::string(1024, 'z').c_str());
    ASSERT_EQ(capture.writes().size(), 3u);
    EXPECT_EQ(capture.writes()[0], exact);
    EXPECT_EQ(capture.writes()[1], std::string(1023, 'b'));
    EXPECT_EQ(capture.writes()[2], std::string(1023, 'z'));
}

// Guards against a formatter that adds a newline or treats argument text as a format.
TEST(DebugPrint, AddsNothingAndPrintsPercentSignsInArgumentsVerbatim)
{
    DebugCapture capture;
    debugPrint("OpenGL Version: %s\n", "4.5 (Core 100%s %d)");
    debugPrint("no newline");
    EXPECT_EQ(capture.writes(), (Writes {"OpenGL Version: 4.5 (Core 100%s %d)\n", "no newline"}));
}

TEST(CheckCondition, NonZeroConditionWritesNothingAndReturns)
{
    DebugCapture capture;
    checkCondition(1, "Unable to create FBO.");
    checkCondition(-7, "%s %d", "never formatted", 3);
    EXPECT_TRUE(capture.writes().empty());
}

// The fatal paths run in a child process, which reports its writes on stderr
// in a shape the parent can match exactly.
static void printWritesAndDie(void (*fail)())
{
    static DebugCapture* capture = new DebugCapture;
    static std::string joined;
    std::atexit([] {
        for (const std::string& write : capture->writes())
            joined += "[" + write + "]";
        std::fputs(joined.c_str(), stderr);
    });
    fail();
}

TEST(FatalError, ExitsWithStatus1AfterTheMessageAndASeparateNewline)
{
    EXPECT_EXIT(printWritesAndDie([] { fatalError("Can't find vertex shader: %s\n", "Shaders.Composite.VS"); }),
                testing::ExitedWithCode(1), "^\\[Can't find vertex shader: Shaders.Composite.VS\n\\]\\[\n\\]$");
    EXPECT_EXIT(printWritesAndDie([] { fatalError("Unable to create FBO."); }), testing::ExitedWithCode(1),
                "^\\[Unable to create FBO.\\]\\[\n\\]$");
}

TEST(CheckCondition, ZeroConditionIsFatalWithTheLogPrintedVerbatim)
{
    EXPECT_EXIT(printWritesAndDie([] { checkCondition(0, "%s", "0:1(2): error: 100% wrong %d"); }),
                testing::ExitedWithCode(1), "^\\[0:1\\(2\\): error: 100% wrong %d\\]\\[\n\\]$");
}

TEST(FatalError, CutsALongMessageBeforeTheSeparateNewline)
{
    // Spelled out: the Windows build's regular expressions have no repetition counts.
    std::string expected = "^\\[" + std::string(1023, 'x') + "\\]\\[\n\\]$";
    EXPECT_EXIT(printWritesAndDie([] { fatalError("%s", std::string(2000, 'x').c_str()); }), testing::ExitedWithCode(1),
                expected);
}

// Guards a failed allocation ending the process through std::terminate (a
// signal) instead of with status 1 and a message.
TEST(OutOfMemory, IsFatalWithStatus1AndAMessage)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reports a failed allocation itself, before any handler runs";
#endif
    EXPECT_EXIT(printWritesAndDie([] {
                    makeOutOfMemoryFatal();
                    // More than any address space holds, so it cannot succeed.
                    volatile size_t impossible = SIZE_MAX / 2;
                    ::operator delete(::operator new(impossible));
                }),
                testing::ExitedWithCode(1), "^\\[Out of memory.\n\\]\\[\n\\]$");
}
