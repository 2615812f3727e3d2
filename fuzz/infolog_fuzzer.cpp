// Reads arbitrary bytes as a GLSL info log, problem by problem, and checks
// each against the log's own lines: one problem for every line that is not
// blank, in order, whose message is the end of that line, with a kind the
// reader knows and a line number that stands in the part it left out.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "demo/info_log.h"
#include "fuzz_check.h"

namespace {

// The log's lines without their line end, blank ones left out.
std::vector<std::string> problemLines(const std::string& log)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < log.size()) {
        size_t lineFeed = log.find('\n', start);
        size_t end = lineFeed == std::string::npos ? log.size() : lineFeed;
        std::string line = log.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.find_first_not_of(" \t\r") != std::string::npos)
            lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string log(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> expected = problemLines(log);
    const char* text = reinterpret_cast<const char*>(data);
    int left = int(size);
    size_t index = 0;
    InfoLogProblem problem = {};
    for (int used; (used = readInfoLogProblem(text, left, &problem)) > 0; text += used, left -= used) {
        FUZZ_REQUIRE(used <= left);
        FUZZ_REQUIRE(index < expected.size());
        const std::string& line = expected[index++];
        FUZZ_REQUIRE(problem.messageLength >= 0 && size_t(problem.messageLength) <= line.size());
        FUZZ_REQUIRE(problem.message >= text && problem.message + problem.messageLength <= text + used);
        const size_t skipped = line.size() - size_t(problem.messageLength);
        FUZZ_REQUIRE(line.compare(skipped, std::string::npos, problem.message, size_t(problem.messageLength)) == 0);
        const bool known = std::strcmp(problem.kind, "") == 0 || std::strcmp(problem.kind, "error: ") == 0 ||
            std::strcmp(problem.kind, "warning: ") == 0;
        FUZZ_REQUIRE(known);
        FUZZ_REQUIRE(problem.line >= 0);
        if (problem.line > 0)
            FUZZ_REQUIRE(line.substr(0, skipped).find(std::to_string(problem.line)) != std::string::npos);
    }
    FUZZ_REQUIRE(left >= 0 && index == expected.size());
    return 0;
}
