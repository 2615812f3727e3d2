#include "demo/info_log.h"

#include <gmock/gmock.h>

#include <string>
#include <vector>

using testing::ElementsAre;
using testing::IsEmpty;

// Every problem of the log as "LINE|KIND+MESSAGE", reading only log[0, length);
// the bytes taken must add up to no more than the log.
static std::vector<std::string> problemsOf(const std::string& log, int length = -1)
{
    const int whole = length < 0 ? int(log.size()) : length;
    const char* text = log.data();
    int left = whole;
    std::vector<std::string> problems;
    InfoLogProblem problem = {};
    for (int used; (used = readInfoLogProblem(text, left, &problem)) > 0; text += used, left -= used) {
        EXPECT_LE(used, left);
        problems.push_back(std::to_string(problem.line) + "|" + problem.kind +
                           std::string(problem.message, size_t(problem.messageLength)));
    }
    return problems;
}

TEST(InfoLog, ReadsMesasLinesWithTheirKindInTheMessage)
{
    EXPECT_THAT(problemsOf("0:12(5): error: `q' undeclared\n0:13(1): warning: extension `GL_FOO' unsupported\n"
                           "0:7(1): preprocessor error: #error 100% %s\n"),
                ElementsAre("12|error: `q' undeclared", "13|warning: extension `GL_FOO' unsupported",
                            "7|preprocessor error: #error 100% %s"));
}

TEST(InfoLog, ReadsAnglesLinesGivingTheirKindInLowerCase)
{
    EXPECT_THAT(problemsOf("ERROR: 0:8: 'q' : undeclared identifier\nWARNING: 1:9: 'foo' : unrecognized pragma\n"
                           "ERROR: 0:?: 'this' : Illegal use of reserved word\n"),
                ElementsAre("8|error: 'q' : undeclared identifier", "9|warning: 'foo' : unrecognized pragma",
                            "0|error: 'this' : Illegal use of reserved word"));
}

TEST(InfoLog, ReadsNvidiasLines)
{
    EXPECT_THAT(problemsOf("0(7) : error C0000: syntax error"), ElementsAre("7|error C0000: syntax error"));
}

// A line whose prefix does not parse to its end names no line and keeps its text.
TEST(InfoLog, LinesWithoutALocationComeWholeWithNoLine)
{
    EXPECT_THAT(problemsOf("error: fragment shader lacks `main'\nERROR: 1 compilation errors.  No code generated.\n"
                           "0:12(5) error: no colon\n0:x(1): letter\n0:3: mesa without column\n12\n"
                           "Types of uniform 'S' differ between VERTEX and FRAGMENT shaders.\n"),
                ElementsAre("0|error: fragment shader lacks `main'",
                            "0|error: 1 compilation errors.  No code generated.", "0|0:12(5) error: no colon",
                            "0|0:x(1): letter", "0|0:3: mesa without column", "0|12",
                            "0|Types of uniform 'S' differ between VERTEX and FRAGMENT shaders."));
}

// Blank lines and carriage returns are no problems; the last line needs no line feed.
TEST(InfoLog, PassesOverBlankLinesAndLineEnds)
{
    EXPECT_THAT(problemsOf("\n \t\r\n0:3(1): error: a\r\n\n0:4(2): error: b"), ElementsAre("3|error: a", "4|error: b"));
    EXPECT_THAT(problemsOf("\n\r\n  \n"), IsEmpty());
    EXPECT_THAT(problemsOf("ERROR: 0:5: "), ElementsAre("5|error: "));

    InfoLogProblem untouched = {42, "kept", nullptr, 7};
    EXPECT_EQ(readInfoLogProblem("\n\n", 2, &untouched), 0);
    EXPECT_EQ(readInfoLogProblem("0:1(1): e", -1, &untouched), 0);
    EXPECT_EQ(untouched.line, 42);
    EXPECT_EQ(readInfoLogProblem("\n0:1(1): e\nnext", 11, &untouched), 11) << "up to its line feed";
}

// Reading stops at the length given, not at a terminator.
TEST(InfoLog, ReadsNoFurtherThanTheLengthGiven)
{
    EXPECT_THAT(problemsOf("0:5(1): error: abc\n0:6(1): error: d", 17), ElementsAre("5|error: ab"));
    EXPECT_THAT(problemsOf(std::string("0:5(1): a\0b\n", 12)), ElementsAre(std::string("5|a\0b", 5)));
    EXPECT_THAT(problemsOf("0:5(12): error: x", 5), ElementsAre("0|0:5(1")) << "a number cut short";
}

// A line number that does not fit an int is no line: the text comes whole.
TEST(InfoLog, NumbersTooLargeNameNoLine)
{
    EXPECT_THAT(problemsOf("0:2147483647(1): error: largest\n0:2147483648(1): error: beyond\n"
                           "ERROR: 0:99999999999999999999: far\n99999999999999999999(1) : error C1: far\n"
                           "0:1(99999999999999999999): error: column\n"),
                ElementsAre("2147483647|error: largest", "0|0:2147483648(1): error: beyond",
                            "0|error: 0:99999999999999999999: far", "0|99999999999999999999(1) : error C1: far",
                            "0|0:1(99999999999999999999): error: column"));
}
