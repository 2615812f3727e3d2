#include "shell/web/web_figures.h"

#include "shell/run/benchmark_report.h"

#include <emscripten/emscripten.h>

#include <cstdio>
#include <string>

static constexpr int64_t FiguresIntervalMicroseconds = 1000000;

static int64_t shownAt;
static int64_t framesWhenShown;

// clang-format off
EM_JS(void, showStatusOnPage, (const char* text), { Module.showStatus(UTF8ToString(text)); });
EM_JS(void, showFiguresOnPage, (const char* text), { Module.showFigures(UTF8ToString(text)); });
EM_JS(void, showBenchmarkOnPage, (const char* text, const char* json), {
    console.log(UTF8ToString(json));
    Module.showBenchmark(UTF8ToString(text), UTF8ToString(json));
});
// clang-format on

static int64_t microseconds(const FrameLoop& loop, int64_t reading)
{
    return int64_t(double(reading) * 1e6 / double(loop.clock.frequency));
}

void startFrameFigures(const FrameLoop& loop, int64_t now)
{
    shownAt = microseconds(loop, now);
    framesWhenShown = loop.framesPresented;
}

void showFrameFigures(const FrameLoop& loop, int64_t now)
{
    const int64_t elapsed = microseconds(loop, now) - shownAt;
    const int64_t frames = loop.framesPresented - framesWhenShown;
    if (elapsed < FiguresIntervalMicroseconds || frames == 0)
        return;
    char text[96];
    std::snprintf(text, sizeof text, "%.1f fps, %.1f ms a frame (frame %lld)", double(frames) * 1e6 / double(elapsed),
                  double(elapsed) / 1e3 / double(frames), static_cast<long long>(loop.framesPresented));
    showFiguresOnPage(text);
    startFrameFigures(loop, now);
}

void showBenchmarkResults(const FrameLoop& loop)
{
    showBenchmarkOnPage(benchmarkText(loop.benchmark).c_str(), benchmarkJson(loop.benchmark).c_str());
}

void showStatus(const char* text) { showStatusOnPage(text); }
