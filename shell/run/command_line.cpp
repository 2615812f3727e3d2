#include "shell/run/command_line.h"

#include "demo/scene.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>

#ifndef VANTEEL_VERSION
#error "the build defines VANTEEL_VERSION from the project's version"
#endif

namespace {

bool parseWhole(const char* text, uint64_t largest, uint64_t* value)
{
    if (*text < '0' || *text > '9')
        return false;
    errno = 0;
    char* end = nullptr;
    unsigned long long parsed = std::strtoull(text, &end, 10);
    if (errno != 0 || *end != '\0' || parsed == 0 || parsed > largest)
        return false;
    *value = parsed;
    return true;
}

bool parseSeconds(const char* text, bool zeroAllowed, double* value)
{
    if ((*text < '0' || *text > '9') && *text != '.')
        return false;
    char* end = nullptr;
    double parsed = std::strtod(text, &end);
    // A week is more than any run needs; the bound keeps the arithmetic finite.
    if (*end != '\0' || !std::isfinite(parsed) || parsed > 604800 || (parsed == 0 && !zeroAllowed))
        return false;
    *value = parsed;
    return true;
}

// "WIDTHxHEIGHT", each side a whole number of pixels from 1 to 32767, the
// largest an X11 or Win32 window can be.
bool parseSize(const char* text, int* width, int* height)
{
    const char* times = std::strchr(text, 'x');
    if (times == nullptr)
        return false;
    const std::string widthText(text, size_t(times - text));
    uint64_t parsedWidth = 0, parsedHeight = 0;
    if (!parseWhole(widthText.c_str(), 32767, &parsedWidth) || !parseWhole(times + 1, 32767, &parsedHeight))
        return false;
    *width = int(parsedWidth);
    *height = int(parsedHeight);
    return true;
}

// A default as the help writes it: "10", "0.5".
std::string number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// The bounds --particles takes, for its help and its complaint.
const std::string ParticleBounds =
    "from " + std::to_string(MinimumParticleCount) + " to " + std::to_string(MaximumParticleCount);

std::string badValue(const char* option, const char* value, const char* wanted)
{
    return std::string(option) + " wants " + wanted + ", not \"" + value + "\"";
}

// What an option does to the command line with its value (null when it takes
// none, or an optional one was not given); returns the problem, or "".
using ApplyOption = std::string (*)(CommandLine* line, const char* value);

// Everything about one option in one place: how it is written, what it
// takes, what --help says of it and what it does. Help lines after the first
// are indented under it.
struct Option {
    const char* name;
    enum { None, Required, Optional } value;
    const char* valueName;
    std::string help;
    ApplyOption apply;
};

const Option Options[] = {
    {"--help", Option::None, "", "print this text and exit",
     [](CommandLine* line, const char*) {
         line->action = CommandLineAction::Help;
         return std::string();
     }},
    {"--version", Option::None, "", "print the version and exit",
     [](CommandLine* line, const char*) {
         if (line->action != CommandLineAction::Help)
             line->action = CommandLineAction::Version;
         return std::string();
     }},
    {"--assets", Option::Required, "DIR",
     "look for the effect file Shaders.glsl in DIR first\n(instead of ../assets/), then Shaders here",
     [](CommandLine* line, const char* value) {
         if (*value == '\0')
             return std::string("--assets wants a directory, not an empty name");
         line->options.assetsDirectory = value;
         return std::string();
     }},
    {"--frames", Option::Required, "N", "exit after N frames (not with --benchmark)",
     [](CommandLine* line, const char* value) {
         uint64_t frames = 0;
         if (!parseWhole(value, INT64_MAX, &frames))
             return badValue("--frames", value, "a whole number of frames above 0");
         line->options.frameLimit = static_cast<int64_t>(frames);
         return std::string();
     }},
    {"--screenshot", Option::Required, "PATH", "after the last frame, save the window as a PNG",
     [](CommandLine* line, const char* value) {
         if (*value == '\0')
             return std::string("--screenshot wants a file name, not an empty one");
         line->options.screenshotPath = value;
         return std::string();
     }},
    {"--fixed-step", Option::Required, "MICROSECONDS",
     "advance every frame by this much time, so that runs\nwith the same input draw the same pictures",
     [](CommandLine* line, const char* value) {
         uint64_t step = 0;
         if (!parseWhole(value, UINT32_MAX, &step))
             return badValue("--fixed-step", value, "whole microseconds from 1 to 4294967295");
         line->options.fixedStepMicroseconds = static_cast<uint32_t>(step);
         return std::string();
     }},
    {"--benchmark", Option::Optional, "SECONDS",
     "measure the frame rate for SECONDS (" + number(RunOptions().benchmarkSeconds) +
         ") after a\nwarm-up, print the figures and exit; a run ended\n"
         "sooner reports what it measured and exits with 1",
     [](CommandLine* line, const char* value) {
         line->options.benchmark = true;
         if (value != nullptr && !parseSeconds(value, false, &line->options.benchmarkSeconds))
             return badValue("--benchmark", value, "seconds above 0");
         return std::string();
     }},
    {"--warmup", Option::Required, "SECONDS", "the benchmark's warm-up (" + number(RunOptions().warmupSeconds) + ")",
     [](CommandLine* line, const char* value) {
         if (!parseSeconds(value, true, &line->options.warmupSeconds))
             return badValue("--warmup", value, "seconds, 0 or more");
         line->warmupGiven = true;
         return std::string();
     }},
    {"--stats-file", Option::Required, "PATH",
     "also write the benchmark's report, with every frame\ntime, as JSON; as CSV, a row per frame, if PATH\nends in "
     ".csv",
     [](CommandLine* line, const char* value) {
         if (*value == '\0')
             return std::string("--stats-file wants a file name, not an empty one");
         line->options.statsFilePath = value;
         return std::string();
     }},
    {"--size", Option::Required, "WxH",
     "the window's size in pixels (" + std::to_string(DefaultWindowWidth) + "x" + std::to_string(DefaultWindowHeight) +
         ")",
     [](CommandLine* line, const char* value) {
         if (!parseSize(value, &line->options.width, &line->options.height))
             return badValue("--size", value, "WIDTHxHEIGHT, each from 1 to 32767 pixels");
         return std::string();
     }},
    {"--fullscreen", Option::None, "", "cover the primary monitor at its resolution",
     [](CommandLine* line, const char*) {
         line->options.fullscreen = true;
         return std::string();
     }},
    {"--vsync", Option::None, "", "wait for the display's refresh before each frame",
     [](CommandLine* line, const char*) {
         line->options.verticalSync = VerticalSync::On;
         return std::string();
     }},
    {"--no-vsync", Option::None, "", "draw frames as fast as they come (the default)",
     [](CommandLine* line, const char*) {
         line->options.verticalSync = VerticalSync::Off;
         return std::string();
     }},
    {"--particles", Option::Required, "N",
     "simulate N particles (" + std::to_string(DefaultParticleCount) + "), " + ParticleBounds,
     [](CommandLine* line, const char* value) {
         uint64_t count = 0;
         if (!parseWhole(value, MaximumParticleCount, &count) || count < MinimumParticleCount)
             return badValue("--particles", value, ("a whole number " + ParticleBounds).c_str());
         line->options.particleCount = int64_t(count);
         return std::string();
     }},
    {"--record", Option::Required, "DIR",
     "save every frame shown as DIR/frame-000001.png and on,\non a fixed step of 1/60 s unless --fixed-step is given",
     [](CommandLine* line, const char* value) {
         if (*value == '\0')
             return std::string("--record wants a directory, not an empty name");
         line->options.recordDirectory = value;
         return std::string();
     }},
    {"--watch", Option::None, "",
     "rebuild the shaders whenever the effect file is saved;\na broken save is reported and the last good "
     "shaders\nstay in use",
     [](CommandLine* line, const char*) {
         line->options.watch = true;
         return std::string();
     }},
};

// The single-letter spellings people type first.
const char* const ShortForms[][2] = {{"-h", "--help"}, {"-V", "--version"}};

const Option* findOption(const std::string& name)
{
    std::string longName = name;
    for (const auto& form : ShortForms)
        if (name == form[0])
            longName = form[1];
    for (const Option& option : Options)
        if (longName == option.name)
            return &option;
    return nullptr;
}

// "-h, --help" where there is a short form.
std::string spelledOut(const Option& option)
{
    for (const auto& form : ShortForms)
        if (std::strcmp(form[1], option.name) == 0)
            return std::string(form[0]) + ", " + option.name;
    return option.name;
}

// "--name", "--name VALUE" or "--name [VALUE]", as usage and help write it.
std::string synopsis(const Option& option, const std::string& name)
{
    std::string text = name;
    if (option.value == Option::Required)
        text += std::string(" ") + option.valueName;
    else if (option.value == Option::Optional)
        text += std::string(" [") + option.valueName + "]";
    return text;
}

std::string usage()
{
    std::string text = "usage: vanteel";
    for (const Option& option : Options)
        text += " [" + synopsis(option, option.name) + "]";
    return text;
}

CommandLine refuse(const std::string& problem)
{
    CommandLine result;
    result.action = CommandLineAction::UsageError;
    result.problem = problem;
    return result;
}

} // namespace

CommandLine parseCommandLine(int argc, const char* const* argv)
{
    CommandLine result;
    result.action = CommandLineAction::Run;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        // --name=value is the same as --name value.
        const char* attached = nullptr;
        std::string name = argument;
        size_t equals = argument.find('=');
        if (argument.compare(0, 2, "--") == 0 && equals != std::string::npos) {
            name = argument.substr(0, equals);
            attached = argv[i] + equals + 1;
        }
        const Option* option = findOption(name);
        if (option == nullptr)
            return refuse(argument.compare(0, 1, "-") == 0 ? "unknown option \"" + argument + "\""
                                                           : "unexpected argument \"" + argument + "\"");
        if (option->value == Option::None && attached != nullptr)
            return refuse(name + " takes no value");
        const char* value = attached;
        if (value == nullptr && option->value == Option::Required) {
            if (i + 1 >= argc)
                return refuse(name + " needs a value");
            value = argv[++i];
        }
        if (value == nullptr && option->value == Option::Optional && i + 1 < argc &&
            std::strncmp(argv[i + 1], "--", 2) != 0)
            value = argv[++i];
        const std::string problem = option->apply(&result, value);
        if (!problem.empty())
            return refuse(problem);
    }
    const RunOptions& options = result.options;
    if ((result.warmupGiven || options.statsFilePath) && !options.benchmark)
        return refuse(std::string(result.warmupGiven ? "--warmup" : "--stats-file") + " belongs to --benchmark");
    // A frame limit would end the benchmark before its seconds, or never matter.
    if (options.benchmark && options.frameLimit != 0)
        return refuse("--frames and --benchmark do not go together: the benchmark ends after its seconds");
    if (options.benchmark && options.recordDirectory)
        return refuse("--record and --benchmark do not go together: writing the frames is what it would measure");
    if (options.fullscreen && options.width != 0)
        return refuse("--size and --fullscreen do not go together: full screen is the monitor's size");
    // A recording plays back at 60 frames a second, so it advances as they do.
    if (options.recordDirectory && options.fixedStepMicroseconds == 0)
        result.options.fixedStepMicroseconds = RecordingStepMicroseconds;
    return result;
}

std::string helpText()
{
    // The descriptions start in this column, under a name too long to share their line.
    const size_t column = 25;
    std::string text = usage() +
        "\n\n"
        "With no options the demo runs until Escape is pressed. Hold the left mouse\n"
        "button to pull the particles, release it to throw them out. An option's\n"
        "value may follow it or be joined to it with =, as in --size=640x480.\n\n";
    for (const Option& option : Options) {
        std::string left = "  " + synopsis(option, spelledOut(option));
        text += left.size() < column ? left + std::string(column - left.size(), ' ')
                                     : left + "\n" + std::string(column, ' ');
        for (const char* line = option.help.c_str(); *line != '\0';) {
            const char* end = std::strchr(line, '\n');
            const size_t length = end ? size_t(end - line) : std::strlen(line);
            text.append(line, length).append("\n");
            line += length;
            if (*line == '\n') {
                ++line;
                text += std::string(column, ' ');
            }
        }
    }
    return text;
}

std::string versionText() { return std::string("Vanteel ") + VANTEEL_VERSION + "\n"; }

std::string usageErrorLine(const std::string& problem) { return "vanteel: " + problem + "; " + usage() + "\n"; }
