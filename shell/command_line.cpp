#include "command_line.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#ifndef VANTEEL_VERSION
#error "the build defines VANTEEL_VERSION from the project's version"
#endif

namespace {

const char Usage[] =
    "usage: vanteel [--help] [--version] [--assets DIR] [--frames N] [--screenshot PATH]"
    " [--fixed-step MICROSECONDS] [--benchmark [SECONDS]] [--warmup SECONDS] [--stats-file PATH] [--watch]";

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

// The options in the order a user meets them; each takes a value or not.
struct Option {
    const char* name;
    enum { None, Required, Optional } value;
};
const Option Options[] = {
    {"--help", Option::None},          {"--version", Option::None},        {"--assets", Option::Required},
    {"--frames", Option::Required},    {"--screenshot", Option::Required}, {"--fixed-step", Option::Required},
    {"--benchmark", Option::Optional}, {"--warmup", Option::Required},     {"--stats-file", Option::Required},
    {"--watch", Option::None},
};

const Option* findOption(const std::string& name)
{
    for (const Option& option : Options)
        if (name == option.name)
            return &option;
    return nullptr;
}

CommandLine refuse(const std::string& problem)
{
    CommandLine result;
    result.action = CommandLineAction::UsageError;
    result.problem = problem;
    return result;
}

std::string badValue(const std::string& option, const char* value, const char* wanted)
{
    return option + " wants " + wanted + ", not \"" + value + "\"";
}

} // namespace

CommandLine parseCommandLine(int argc, const char* const* argv)
{
    CommandLine result;
    result.action = CommandLineAction::Run;
    bool warmupGiven = false, statsFileGiven = false;
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

        RunOptions& options = result.options;
        uint64_t whole = 0;
        if (name == "--help") {
            result.action = CommandLineAction::Help;
        } else if (name == "--version") {
            if (result.action != CommandLineAction::Help)
                result.action = CommandLineAction::Version;
        } else if (name == "--assets") {
            if (*value == '\0')
                return refuse("--assets wants a directory, not an empty name");
            options.assetsDirectory = value;
        } else if (name == "--frames") {
            if (!parseWhole(value, INT64_MAX, &whole))
                return refuse(badValue(name, value, "a whole number of frames above 0"));
            options.frameLimit = static_cast<int64_t>(whole);
        } else if (name == "--screenshot") {
            if (*value == '\0')
                return refuse("--screenshot wants a file name, not an empty one");
            options.screenshotPath = value;
        } else if (name == "--fixed-step") {
            if (!parseWhole(value, UINT32_MAX, &whole))
                return refuse(badValue(name, value, "whole microseconds from 1 to 4294967295"));
            options.fixedStepMicroseconds = static_cast<uint32_t>(whole);
        } else if (name == "--benchmark") {
            options.benchmark = true;
            if (value != nullptr && !parseSeconds(value, false, &options.benchmarkSeconds))
                return refuse(badValue(name, value, "seconds above 0"));
        } else if (name == "--warmup") {
            if (!parseSeconds(value, true, &options.warmupSeconds))
                return refuse(badValue(name, value, "seconds, 0 or more"));
            warmupGiven = true;
        } else if (name == "--stats-file") {
            if (*value == '\0')
                return refuse("--stats-file wants a file name, not an empty one");
            options.statsFilePath = value;
            statsFileGiven = true;
        } else if (name == "--watch") {
            options.watch = true;
        }
    }
    if ((warmupGiven || statsFileGiven) && !result.options.benchmark)
        return refuse(std::string(warmupGiven ? "--warmup" : "--stats-file") + " belongs to --benchmark");
    // A frame limit would end the benchmark before its seconds, or never matter.
    if (result.options.benchmark && result.options.frameLimit != 0)
        return refuse("--frames and --benchmark do not go together: the benchmark ends after its seconds");
    return result;
}

std::string helpText()
{
    return std::string(Usage) +
        "\n\n"
        "With no options the demo runs until Escape is pressed. Hold the left mouse\n"
        "button to pull the particles, release it to throw them out.\n\n"
        "  --help                 print this text and exit\n"
        "  --version              print the version and exit\n"
        "  --assets DIR           look for the effect file Shaders.glsl in DIR first\n"
        "                         (instead of ../assets/), then Shaders here\n"
        "  --frames N             exit after N frames (not with --benchmark)\n"
        "  --screenshot PATH      after the last frame, save the window as a PNG\n"
        "  --fixed-step MICROSECONDS\n"
        "                         advance every frame by this much time, so that runs\n"
        "                         with the same input draw the same pictures\n"
        "  --benchmark [SECONDS]  measure the frame rate for SECONDS (10) after a\n"
        "                         warm-up, print the figures and exit; a run ended\n"
        "                         sooner reports what it measured and exits with 1\n"
        "  --warmup SECONDS       the benchmark's warm-up (2)\n"
        "  --stats-file PATH      also write the benchmark's report, with every frame\n"
        "                         time, as JSON; as CSV, a row per frame, if PATH\n"
        "                         ends in .csv\n"
        "  --watch                rebuild the shaders whenever the effect file is saved;\n"
        "                         a broken save is reported and the last good shaders\n"
        "                         stay in use\n";
}

std::string versionText() { return std::string("Vanteel ") + VANTEEL_VERSION + "\n"; }

std::string usageErrorLine(const std::string& problem) { return "vanteel: " + problem + "; " + Usage + "\n"; }
