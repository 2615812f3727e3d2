#include "shell/run/benchmark_setting.h"

#include "shell/run/platform_facts.h"
#include "shell/run/reported_gl_string.h"

#include <ctime>

static std::string utcNow()
{
    const std::time_t now = std::time(nullptr);
    char text[32] = "unknown";
    if (const std::tm* utc = std::gmtime(&now))
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", utc);
    return text;
}

BenchmarkSetting readBenchmarkSetting(Demo demo, const RunOptions& options, int swapInterval)
{
    const AppConfig config = demo.configuration();
    return {utcNow(),
            operatingSystemDescription(),
            reportedGlString(GL_VENDOR),
            reportedGlString(GL_RENDERER),
            reportedGlString(GL_VERSION),
            reportedGlString(GL_SHADING_LANGUAGE_VERSION),
            config.width,
            config.height,
            demo.particleCount(),
            swapInterval,
            options.fixedStepMicroseconds,
            options.warmupSeconds,
            options.benchmarkSeconds,
            fileHash(demo.effectFilePath())};
}
