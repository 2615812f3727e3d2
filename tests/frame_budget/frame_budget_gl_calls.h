#pragma once

#include <GL/glew.h>

#include <string>
#include <vector>

// A thin call-counting layer between the demo and the GL: GLEW's entry
// points are swapped for counting wrappers at run time, and the GL 1.1 entry
// points, which the demo links directly, are redirected at link time
// (--wrap). While the log is on, every call the frame thread makes is
// recorded without allocating. Whatever runs inside a GL call is the
// driver's: see insideDriver().

// After every glewInit, which puts GLEW's own pointers back.
void installGlCallLog();

void startGlCallLog();
void stopGlCallLog();

// The calls recorded since the log was started, one text each: the entry
// point, then the uniform name for glGetUniformLocation or the capability
// for glEnable and glDisable ("glEnable GL_BLEND").
std::vector<std::string> loggedGlCalls();

// Marks a call into the platform's own code (the swap) as driver work and
// logs it under the given name.
struct DriverCall {
    explicit DriverCall(const char* name);
    ~DriverCall();
};

// True on the thread that is inside a logged call: allocations there belong
// to the driver.
bool insideDriver();

// Makes glGetString answer null, as a driver without a current context does.
void answerGlGetStringWithNull(bool null);

// Whether a symbol the demo's libraries import (a GLEW entry-point variable
// such as "__glewUseProgram", or a GL 1.1 function such as "glClear") reaches
// the GL through this layer.
bool isCountedEntryPoint(const std::string& symbol);
