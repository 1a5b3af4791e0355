// Where the window is, in the terms that glutPositionWindow takes back.
#pragma once

#include "platform/glut.h"

struct WindowOrigin {
    int x;
    int y;
};

inline WindowOrigin windowOrigin()
{
#if defined(_WIN32)
    // freeglut on Windows reports the client area's corner but moves the frame's
    // outer corner; the frame's left border and its top (caption included) are
    // the difference.
    return {.x = glutGet(GLUT_WINDOW_X) - glutGet(GLUT_WINDOW_BORDER_WIDTH),
            .y = glutGet(GLUT_WINDOW_Y) - glutGet(GLUT_WINDOW_BORDER_HEIGHT)};
#else
    return {.x = glutGet(GLUT_WINDOW_X), .y = glutGet(GLUT_WINDOW_Y)};
#endif
}
