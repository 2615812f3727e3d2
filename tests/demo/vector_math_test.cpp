#include "demo/vector_math.h"

#include <gtest/gtest.h>

#include <cmath>

static void expectNear(Vector4 actual, Vector4 expected, float tolerance = 1e-5f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
    EXPECT_NEAR(actual.w, expected.w, tolerance);
}

static void expectNear(const Matrix4& actual, const Matrix4& expected, float tolerance = 1e-5f)
{
    expectNear(actual.col0, expected.col0, tolerance);
    expectNear(actual.col1, expected.col1, tolerance);
    expectNear(actual.col2, expected.col2, tolerance);
    expectNear(actual.col3, expected.col3, tolerance);
}

static Matrix4 sample() { return {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}}; }

TEST(Matrix4Product, AppliesColumnsToTheVectorsComponents)
{
    // Column-major: the result is col0*x + col1*y + col2*z + col3*w, which a
    // row-major mix-up would turn into (30, 70, 110, 150).
    expectNear(multiply(sample(), Vector4 {1, 1, 1, 1}), {28, 32, 36, 40});
    expectNear(multiply(sample(), Vector4 {0, 0, 0, 1}), {13, 14, 15, 16});
}

TEST(Matrix4Product, ComposesLeftAfterRightAndKeepsTheIdentityNeutral)
{
    Matrix4 translate = identityMatrix4();
    translate.col3 = {5, 0, 0, 1};
    Matrix4 scale = identityMatrix4();
    scale.col0.x = 2;
    // Scale first, then translate: x = 2*1 + 5.
    expectNear(multiply(multiply(translate, scale), Vector4 {1, 0, 0, 1}), {7, 0, 0, 1});
    expectNear(multiply(multiply(scale, translate), Vector4 {1, 0, 0, 1}), {12, 0, 0, 1});
    expectNear(multiply(identityMatrix4(), sample()), sample(), 0);
    expectNear(multiply(sample(), identityMatrix4()), sample(), 0);
}

TEST(Frustum, TheDemosProjectionHasTheExpectedElementsAndZerosElsewhere)
{
    Matrix4 expected = {};
    expected.col0.x = 5;
    expected.col1.y = 5;
    expected.col2.z = 502.0f / -498.0f;
    expected.col2.w = -1;
    expected.col3.z = 2000.0f / -498.0f;
    expectNear(frustum(-0.4f, 0.4f, -0.4f, 0.4f, 2, 500), expected);
}

TEST(Frustum, OffCentreVolumesShiftTheThirdColumn)
{
    Matrix4 m = frustum(0, 2, -1, 3, 1, 3);
    EXPECT_NEAR(m.col2.x, 1.0f, 1e-6f);
    EXPECT_NEAR(m.col2.y, 0.5f, 1e-6f);
    // The near plane's corners land on the edges of clip space.
    Vector4 corner = multiply(m, Vector4 {2, 3, -1, 1});
    EXPECT_NEAR(corner.x / corner.w, 1.0f, 1e-6f);
    EXPECT_NEAR(corner.y / corner.w, 1.0f, 1e-6f);
    EXPECT_NEAR(corner.z / corner.w, -1.0f, 1e-6f);
}

TEST(LookAt, TheDemosCameraIsATranslationBackAlongZ)
{
    Matrix4 expected = identityMatrix4();
    expected.col3 = {0, 0, -14, 1};
    expectNear(lookAt({0, 0, 14}, {0, 0, 0}, {0, 1, 0}), expected);
}

TEST(LookAt, MapsAnArbitraryEyeToTheOriginAndTheTargetOntoNegativeZ)
{
    Vector3 eye = {3, -2, 7}, target = {-1, 4, 0.5f};
    Matrix4 view = lookAt(eye, target, {0.2f, 1, 0.1f});
    expectNear(multiply(view, Vector4 {eye.x, eye.y, eye.z, 1}), {0, 0, 0, 1}, 1e-4f);
    float distance = std::sqrt(4.0f * 4 + 6.0f * 6 + 6.5f * 6.5f);
    expectNear(multiply(view, Vector4 {target.x, target.y, target.z, 1}), {0, 0, -distance, 1}, 1e-4f);
    // The rotation stays orthonormal: columns of unit length.
    Matrix3 rotation = upper3x3(view);
    EXPECT_NEAR(rotation.col0.x * rotation.col0.x + rotation.col0.y * rotation.col0.y +
                    rotation.col0.z * rotation.col0.z,
                1.0f, 1e-5f);
}

TEST(OrthonormalInverse, UndoesARigidFrame)
{
    float c = std::cos(0.7f), s = std::sin(0.7f);
    Matrix4 frame = {{c, s, 0, 0}, {-s, c, 0, 0}, {0, 0, 1, 0}, {4, -3, 2, 1}};
    expectNear(multiply(orthonormalInverse(frame), frame), identityMatrix4());
}

TEST(Upload, FloatsGoColumnAfterColumnWithoutTransposition)
{
    Matrix4Floats m4 = flatten(sample());
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(m4.values[i], static_cast<float>(i + 1));
    Matrix3 upper = upper3x3(sample());
    Matrix3Floats m3 = flatten(upper);
    const float expected[9] = {1, 2, 3, 5, 6, 7, 9, 10, 11};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(m3.values[i], expected[i]);
}
