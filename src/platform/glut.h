// The one place that knows where the windowing toolkit's header lives; it brings
// the OpenGL 1.1 declarations with it.
#pragma once

#if defined(__APPLE__)
#include <GLUT/glut.h>
#elif defined(_WIN32) || !defined(__EMSCRIPTEN__)
// freeglut built for Windows installs its header under its own name only; on
// Linux that name brings its extensions too (glutExit).
#include <GL/freeglut.h>
#else
#include <GL/glut.h>
#endif
