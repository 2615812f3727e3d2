#pragma once

#include "demo/vector_math.h"

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

// Where the effect file is searched first, in place of "../assets/"; a "/" is
// appended when missing. Takes effect only before the first build.
void useResourceDirectory(const char* directory);
// A folder searched after the resource directory and the working directory,
// in the order added (the folders beside the installed program). Takes effect
// only before the first build.
void addFallbackDirectory(const char* directory);

// Keys are given without the "Shaders." prefix; geometryKey and fragmentKey
// may be null. Any failure is fatal. The new program is current on return.
unsigned int buildProgram(const char* vertexKey, const char* geometryKey, const char* fragmentKey);
// The same build for a demo that is running: a missing section, a compile or
// a link failure prints the reason and returns 0, leaving no program or
// shader behind and the current program as it was. Each problem is printed
// on a line of its own, "FILE:LINE: MESSAGE (KEY)": the effect file's name
// without folders, the line it names in that file (counted from 1; a problem
// with no line, a link problem say, gets its section's header line, the
// vertex section's for a link), the compiler's message without its location,
// and the section's key. A missing section is "FILE: no section KEY (KEY)".
unsigned int rebuildProgram(const char* vertexKey, const char* geometryKey, const char* fragmentKey);
// Deletes a program and the shaders attached to it.
void deleteProgram(unsigned int program);

// The effect file the programs' sources were read from; null before the first
// build, and while the file last searched for was not found.
const char* effectFilePath();
// The next build reads the effect file again instead of the sections read before.
void forgetEffectFile();

// Set a uniform of the current program, looked up by name on every call; a
// name the program lacks is ignored.
void setInt(const char* name, int value);
void setFloat(const char* name, float value);
void setVector3(const char* name, float x, float y, float z);
void setMatrix3(const char* name, const Matrix3& value);
void setMatrix4(const char* name, const Matrix4& value);
