#include "frame_benchmark_png.h"
#include "frame_benchmark_replay.h"
#include "gl_fixture.h"

#include <GLFW/glfw3.h>

#include <fstream>
#include <sstream>

// The scripted replay of the real effect file against a picture committed
// with it. When the shaders change on purpose, regenerate the picture from
// the build folder and look at it before committing:
//   ./frame_benchmark --replay ../tests/frame_budget_replay_reference.png

static GLFWwindow* replayWindow;

static void swapReplayWindow() { glfwSwapBuffers(replayWindow); }

static std::string fileText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

struct Difference {
    long pixelsOverTolerance;
    int largestChannelStep;
};

static Difference compareImages(const RgbImage& actual, const RgbImage& expected, int tolerance)
{
    Difference difference = {0, 0};
    for (size_t pixel = 0; pixel + 2 < actual.pixels.size(); pixel += 3) {
        int largest = 0;
        for (size_t channel = 0; channel < 3; ++channel)
            largest = std::max(largest, std::abs(int(actual.pixels[pixel + channel]) - int(expected.pixels[pixel + channel])));
        difference.pixelsOverTolerance += largest > tolerance;
        difference.largestChannelStep = std::max(difference.largestChannelStep, largest);
    }
    return difference;
}

class ReplayTest : public GlTest {
protected:
    EffectDirectory effects;
};
// The host's own kind of context only: a core context rasterises points by
// the sprite rules, which place many of them a pixel away, so the same run
// draws a visibly different picture there.
INSTANTIATE_TEST_SUITE_P(Contexts, ReplayTest, testing::Values(ContextKind::Legacy), contextKindName);

// Guards any change to what the demo draws: shaders, uniforms, buffer roles,
// blending, the composite, the clock or the mouse path. A renderer of another
// version may round differently, hence the small tolerance.
TEST_P(ReplayTest, ScriptedRunEndsOnTheReferencePicture)
{
    const std::string effect = fileText(std::string(VANTEEL_ASSETS_DIR) + "/Shaders.glsl");
    ASSERT_FALSE(effect.empty());
    effects.writeAsset("Shaders.glsl", effect);
    replayWindow = window;
    RgbImage actual = replayScriptedRun(swapReplayWindow);
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    RgbImage expected;
    ASSERT_TRUE(readPng(VANTEEL_REPLAY_REFERENCE, &expected)) << "cannot read " << VANTEEL_REPLAY_REFERENCE;
    ASSERT_EQ(actual.width, expected.width);
    ASSERT_EQ(actual.height, expected.height);
    if (actual.pixels == expected.pixels)
        return;

    const std::string saved = std::string(VANTEEL_TEST_OUTPUT_DIR) + "/frame_budget_replay_actual.png";
    writePng(saved, actual);
    Difference difference = compareImages(actual, expected, 3);
    const long allowed = long(actual.width) * actual.height / 200;
    EXPECT_LE(difference.pixelsOverTolerance, allowed)
        << "the replay differs from " << VANTEEL_REPLAY_REFERENCE << " (largest step "
        << difference.largestChannelStep << "/255); this run's picture is " << saved
        << "; if the change is intended, regenerate the reference as the comment at the top of this file says";
}
