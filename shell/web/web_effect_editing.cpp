#include "shell/diagnostics.h"
#include "shell/diagnostics/debug_output.h"
#include "shell/run/run_sequence.h"

#include <emscripten/emscripten.h>

#include <cstdio>
#include <cstring>
#include <string>

// The page's effect editor hands its text here. The rebuild reports each
// problem as one line on the debugger output channel; the lines gathered
// while it runs go to the page, which marks them in the editor.

static std::string problems;

static void collectProblem(const char* text) { problems += text; }

// clang-format off
EM_JS(void, showEffectProblemsOnPage, (const char* text), { Module.showEffectProblems(UTF8ToString(text)); });
// clang-format on

static void writeEffectFile(const char* path, const char* text)
{
    FILE* file = std::fopen(path, "wb");
    checkCondition(file != nullptr, "Can't write the edited effect file %s", path);
    const size_t length = std::strlen(text);
    const bool written = std::fwrite(text, 1, length, file) == length;
    checkCondition(std::fclose(file) == 0 && written, "Can't write the edited effect file %s", path);
}

// Replaces the effect file the demo read and rebuilds from it as a watch
// would: a section that fails leaves the programs that last built running.
// The page hears of every problem, and of none (empty text) once all built.
extern "C" EMSCRIPTEN_KEEPALIVE void applyEffectText(const char* text)
{
    const Demo& demo = runningLoop()->demo;
    writeEffectFile(demo.effectFilePath(), text);
    problems.clear();
    const DebugOutputSink before = replaceDebugOutputSink(collectProblem);
    demo.reloadShaders();
    replaceDebugOutputSink(before);
    showEffectProblemsOnPage(problems.c_str());
}
