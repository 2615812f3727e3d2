#pragma once

// Single-precision, column-major: element (row r, column c) is component r of
// column c, and vectors are multiplied on the right.

struct Vector3 {
    float x, y, z;
};

struct Vector4 {
    float x, y, z, w;
};

struct Matrix3 {
    Vector3 col0, col1, col2;
};

struct Matrix4 {
    Vector4 col0, col1, col2, col3;
};

// The floats in the order GL receives them: column after column, untransposed.
struct Matrix3Floats {
    float values[9];
};
struct Matrix4Floats {
    float values[16];
};

Matrix4 identityMatrix4();
Vector4 multiply(const Matrix4& m, Vector4 v);
Matrix4 multiply(const Matrix4& left, const Matrix4& right);
Matrix3 upper3x3(const Matrix4& m);
Matrix4 frustum(float left, float right, float bottom, float top, float nearPlane, float farPlane);
// Inverse of a rotation-plus-translation frame, by transposing the rotation.
Matrix4 orthonormalInverse(const Matrix4& frame);
Matrix4 lookAt(Vector3 eye, Vector3 target, Vector3 up);

Matrix3Floats flatten(const Matrix3& m);
Matrix4Floats flatten(const Matrix4& m);
