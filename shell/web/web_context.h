#pragma once

#include "demo/scene.h"

// The canvas's WebGL 2 context. Mobile browsers take a context away when its
// tab goes to the background, desktop ones on a GPU reset; the page keeps its
// canvas and the browser may give the context back later, empty.

// Creates the context at the demo's size and makes it current; fatal when
// the browser offers none. canvasSelector names the canvas ("#canvas").
void createWebGl2Context(const char* canvasSelector, const AppConfig& config);

// Calls lost when the context is taken away (the browser is asked to keep
// the canvas for a restore), and restored, with the context current again,
// when it comes back.
void watchContextLoss(const char* canvasSelector, void (*lost)(), void (*restored)());

// True from the moment the context is gone, which may come before the
// browser's event says so, until it is restored.
bool contextLost();
