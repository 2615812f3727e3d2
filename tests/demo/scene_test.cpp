#include "demo/scene.h"

#include <gtest/gtest.h>

#include <string>

TEST(AppConfig, DescribesTheDemosWindow)
{
    AppConfig config = appConfig();
    EXPECT_STREQ(config.title, "Vanteel");
    EXPECT_EQ(config.width, 1024);
    EXPECT_EQ(config.height, 1024);
    EXPECT_EQ(config.multisampling, 0);
    EXPECT_EQ(config.verticalSync, 0);
}

TEST(SceneState, StartsWithTheButtonUpAndNothingPending)
{
    const SceneState& scene = sceneState();
    EXPECT_EQ(scene.time, 0.0);
    EXPECT_EQ(scene.mouseX, 0.0f);
    EXPECT_EQ(scene.mouseY, 0.0f);
    EXPECT_EQ(scene.explosion, 0.0f);
    EXPECT_EQ(scene.mouseUp, 1.0f);
    EXPECT_EQ(scene.viewportWidth, 1024);
    EXPECT_EQ(scene.viewportHeight, 1024);
}

TEST(Advance, RunsSimulationTimeAtATenthOfWallClock)
{
    EXPECT_EQ(advance(0), 0.0f);
    EXPECT_EQ(sceneState().time, 0.0);
    float dt = advance(10000000);
    EXPECT_FLOAT_EQ(dt, 1.0f);
    EXPECT_FLOAT_EQ(dt * 5, 5.0f);
    EXPECT_DOUBLE_EQ(sceneState().time, 1.0);
}

// Guards a signed conversion: 0x80000000 microseconds is 35.8 minutes, not negative.
TEST(Advance, TreatsElapsedValuesWithTheTopBitSetAsLargePositiveNumbers)
{
    float dt = advance(0x80000000u);
    EXPECT_NEAR(dt, 214.7483648f, 1e-4f);
    EXPECT_GT(sceneState().time, 214.0);
}

// Guards the clock stalling: a float sum stops growing once each step is
// below half a unit in its last place.
TEST(Advance, KeepsCountingTinyStepsOnALongRunningClock)
{
    for (int i = 0; i < 1000000; ++i)
        advance(50);
    EXPECT_NEAR(sceneState().time, 5.0, 1e-3);
    advance(5000000000u % (1ull << 32));
    double before = sceneState().time;
    for (int i = 0; i < 1000; ++i)
        advance(50);
    EXPECT_NEAR(sceneState().time - before, 0.005, 1e-6);
}

TEST(Advance, RecomputesTheCameraMatrices)
{
    advance(16000);
    const SceneState& scene = sceneState();
    EXPECT_FLOAT_EQ(scene.projection.col0.x, 5.0f);
    EXPECT_FLOAT_EQ(scene.view.col3.z, -14.0f);
    // projection × view: the camera's translation is folded into the fourth column.
    EXPECT_NEAR(scene.modelviewProjection.col3.z, 14.0f * 502.0f / 498.0f - 2000.0f / 498.0f, 1e-4f);
    EXPECT_FLOAT_EQ(scene.modelviewProjection.col3.w, 14.0f);
}

TEST(HandleMouse, MapsTheCentreToTheOriginAndTheTopLeftCornerToMinusXPlusY)
{
    handleMouse(512, 512, MouseDown);
    EXPECT_EQ(sceneState().mouseX, 0.0f);
    EXPECT_EQ(sceneState().mouseY, 0.0f);
    handleMouse(0, 0, MouseMove);
    EXPECT_FLOAT_EQ(sceneState().mouseX, -2.8f);
    EXPECT_FLOAT_EQ(sceneState().mouseY, 2.8f);
    handleMouse(1023, 1023, MouseMove);
    EXPECT_FLOAT_EQ(sceneState().mouseX, 511 * 0.00546875f);
    EXPECT_FLOAT_EQ(sceneState().mouseY, -511 * 0.00546875f);
}

TEST(HandleMouse, PressHoldsTheButtonAndReleaseFiresWithoutMoving)
{
    handleMouse(100, 200, MouseDown);
    EXPECT_EQ(sceneState().mouseUp, 0.0f);
    EXPECT_EQ(sceneState().explosion, 0.0f);
    handleMouse(900, 900, MouseUp);
    EXPECT_EQ(sceneState().mouseUp, 1.0f);
    EXPECT_EQ(sceneState().explosion, 1.0f);
    EXPECT_FLOAT_EQ(sceneState().mouseX, (100 - 512) * 0.00546875f);
    EXPECT_FLOAT_EQ(sceneState().mouseY, (512 - 200) * 0.00546875f);
    // Two releases before a frame still make one pulse, cleared once.
    handleMouse(0, 0, MouseUp);
    clearExplosion();
    EXPECT_EQ(sceneState().explosion, 0.0f);
}

TEST(HandleMouse, MovesChangeOnlyTheLocation)
{
    handleMouse(300, 300, MouseMove);
    EXPECT_EQ(sceneState().mouseUp, 1.0f);
    EXPECT_EQ(sceneState().explosion, 0.0f);
    EXPECT_FLOAT_EQ(sceneState().mouseX, -212 * 0.00546875f);
}

TEST(HandleMouse, ADoubleClicksSecondPressIsIgnoredButMovesWhileHeldStillCount)
{
    handleMouse(10, 10, MouseDown);
    handleMouse(10, 10, MouseUp);
    clearExplosion();
    handleMouse(20, 20, MouseDoubleClick);
    EXPECT_EQ(sceneState().mouseUp, 1.0f);
    EXPECT_FLOAT_EQ(sceneState().mouseX, (10 - 512) * 0.00546875f);
    handleMouse(30, 30, MouseMove);
    EXPECT_FLOAT_EQ(sceneState().mouseX, (30 - 512) * 0.00546875f);
    handleMouse(30, 30, MouseUp);
    EXPECT_EQ(sceneState().explosion, 1.0f);
}

TEST(HandleMouse, UnknownKindsChangeNothing)
{
    handleMouse(0, 0, static_cast<MouseEvent>(8));
    EXPECT_EQ(sceneState().mouseX, 0.0f);
    EXPECT_EQ(sceneState().mouseUp, 1.0f);
    EXPECT_EQ(sceneState().explosion, 0.0f);
}

// Guards the window size's reach: the mouse maps the height onto the same
// 5.6 view units at every size, and the projection widens with the aspect
// instead of stretching the picture.
TEST(ResizeScene, MouseMappingAndProjectionFollowTheWindow)
{
    struct Row {
        int width, height, x, y;
        float mouseX, mouseY, projectionX;
    };
    const Row rows[] = {
        {1024, 1024, 0, 0, -2.8f, 2.8f, 5.0f},
        {640, 480, 0, 0, -320 * 5.6f / 480, 2.8f, 5.0f * 480 / 640},
        {640, 480, 320, 240, 0.0f, 0.0f, 5.0f * 480 / 640},
        {480, 640, 479, 639, 239 * 5.6f / 640, -319 * 5.6f / 640, 5.0f * 640 / 480},
    };
    for (const Row& row : rows) {
        resizeScene(row.width, row.height);
        handleMouse(row.x, row.y, MouseDown);
        advance(0);
        const std::string size = std::to_string(row.width) + "x" + std::to_string(row.height);
        EXPECT_EQ(appConfig().width, row.width) << size;
        EXPECT_EQ(appConfig().height, row.height) << size;
        EXPECT_FLOAT_EQ(sceneState().mouseX, row.mouseX) << size;
        EXPECT_FLOAT_EQ(sceneState().mouseY, row.mouseY) << size;
        EXPECT_FLOAT_EQ(sceneState().projection.col0.x, row.projectionX) << size;
        EXPECT_FLOAT_EQ(sceneState().projection.col1.y, 5.0f) << size;
    }
    resizeScene(1024, 1024);
    handleMouse(0, 0, MouseUp);
}
