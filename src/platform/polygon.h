// The primitive that draws the figure. The browser's fixed-function emulation
// rejects GL_POLYGON in immediate mode; a fan from the first vertex covers the
// same pixels as the polygon that the desktop's OpenGL rasterises.
#pragma once

#include "platform/glut.h"

#if defined(__EMSCRIPTEN__)
inline constexpr GLenum FIGURE_PRIMITIVE = GL_TRIANGLE_FAN;
#else
inline constexpr GLenum FIGURE_PRIMITIVE = GL_POLYGON;
#endif
