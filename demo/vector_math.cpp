#include "demo/vector_math.h"

#include <cmath>

static Vector3 subtract(Vector3 a, Vector3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

static float dot(Vector3 a, Vector3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

static Vector3 cross(Vector3 a, Vector3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

static Vector3 normalise(Vector3 v)
{
    float inverseLength = 1.0f / std::sqrt(dot(v, v));
    return {v.x * inverseLength, v.y * inverseLength, v.z * inverseLength};
}

static Vector3 xyz(Vector4 v) { return {v.x, v.y, v.z}; }

Matrix4 identityMatrix4() { return {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}; }

Vector4 multiply(const Matrix4& m, Vector4 v)
{
    return {
        m.col0.x * v.x + m.col1.x * v.y + m.col2.x * v.z + m.col3.x * v.w,
        m.col0.y * v.x + m.col1.y * v.y + m.col2.y * v.z + m.col3.y * v.w,
        m.col0.z * v.x + m.col1.z * v.y + m.col2.z * v.z + m.col3.z * v.w,
        m.col0.w * v.x + m.col1.w * v.y + m.col2.w * v.z + m.col3.w * v.w,
    };
}

Matrix4 multiply(const Matrix4& left, const Matrix4& right)
{
    return {multiply(left, right.col0), multiply(left, right.col1), multiply(left, right.col2),
            multiply(left, right.col3)};
}

Matrix3 upper3x3(const Matrix4& m) { return {xyz(m.col0), xyz(m.col1), xyz(m.col2)}; }

Matrix4 frustum(float left, float right, float bottom, float top, float nearPlane, float farPlane)
{
    float inverseWidth = 1.0f / (right - left);
    float inverseHeight = 1.0f / (top - bottom);
    float inverseDepth = 1.0f / (nearPlane - farPlane);
    Matrix4 m = {};
    m.col0.x = 2 * nearPlane * inverseWidth;
    m.col1.y = 2 * nearPlane * inverseHeight;
    m.col2.x = (right + left) * inverseWidth;
    m.col2.y = (top + bottom) * inverseHeight;
    m.col2.z = (nearPlane + farPlane) * inverseDepth;
    m.col2.w = -1;
    m.col3.z = 2 * nearPlane * farPlane * inverseDepth;
    return m;
}

Matrix4 orthonormalInverse(const Matrix4& frame)
{
    Vector3 c0 = xyz(frame.col0), c1 = xyz(frame.col1), c2 = xyz(frame.col2), t = xyz(frame.col3);
    return {
        {c0.x, c1.x, c2.x, 0},
        {c0.y, c1.y, c2.y, 0},
        {c0.z, c1.z, c2.z, 0},
        {-dot(c0, t), -dot(c1, t), -dot(c2, t), 1},
    };
}

Matrix4 lookAt(Vector3 eye, Vector3 target, Vector3 up)
{
    Vector3 z = normalise(subtract(eye, target));
    Vector3 u = normalise(up);
    Vector3 x = normalise(cross(u, z));
    Vector3 y = cross(z, x);
    Matrix4 eyeFrame = {{x.x, x.y, x.z, 0}, {y.x, y.y, y.z, 0}, {z.x, z.y, z.z, 0}, {eye.x, eye.y, eye.z, 1}};
    return orthonormalInverse(eyeFrame);
}

Matrix3Floats flatten(const Matrix3& m)
{
    return {{m.col0.x, m.col0.y, m.col0.z, m.col1.x, m.col1.y, m.col1.z, m.col2.x, m.col2.y, m.col2.z}};
}

Matrix4Floats flatten(const Matrix4& m)
{
    return {{m.col0.x, m.col0.y, m.col0.z, m.col0.w, m.col1.x, m.col1.y, m.col1.z, m.col1.w, m.col2.x, m.col2.y,
             m.col2.z, m.col2.w, m.col3.x, m.col3.y, m.col3.z, m.col3.w}};
}
