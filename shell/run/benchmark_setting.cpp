#include "shell/run/benchmark_setting.h"

#include "shell/run/platform_facts.h"

#include <GL/glew.h>

#include <ctime>

static std::string glText(GLenum name)
{
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : "unknown";
}

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
            glText(GL_VENDOR),
            glText(GL_RENDERER),
            glText(GL_VERSION),
            glText(GL_SHADING_LANGUAGE_VERSION),
            config.width,
            config.height,
            demo.particleCount(),
            swapInterval,
            options.fixedStepMicroseconds,
            options.warmupSeconds,
            options.benchmarkSeconds,
            fileHash(demo.effectFilePath())};
}
