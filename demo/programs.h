#pragma once

#include "math.h"

// The demo's GLSL programs: sources come from the effect file "Shaders" by
// key, with fixed attribute locations and, for vertex-only programs, the
// particle record as interleaved transform-feedback output.

// Attribute locations every program is linked with.
enum AttributeLocation : unsigned int {
    PositionAttribute = 0,
    TexCoordAttribute = 1,
    NormalAttribute = 2,
    BirthTimeAttribute = 3,
    VelocityAttribute = 4,
};

// Keys are given without the "Shaders." prefix; geometryKey and fragmentKey
// may be null. Any failure is fatal. The new program is current on return.
unsigned int buildProgram(const char* vertexKey, const char* geometryKey, const char* fragmentKey);

// Set a uniform of the current program, looked up by name on every call; a
// name the program lacks is ignored.
void setInt(const char* name, int value);
void setFloat(const char* name, float value);
void setVector3(const char* name, float x, float y, float z);
void setMatrix3(const char* name, const Matrix3& value);
void setMatrix4(const char* name, const Matrix4& value);
