#include "app/callbacks.h"

#include "platform/glut.h"
#include "scene/scene.h"

void onDisplay()
{
    theScene->draw();
}

void onReshape(int width, int height)
{
    theScene->reshape(width, height);
}

void onTimer(int value)
{
    // Draw first, then re-arm: frames are spaced by the interval plus the drawing
    // time, so a slow frame never lets expiries pile up.
    theScene->tick();
    armFrameTimer(value);
}

void onKeyboard(unsigned char key, int x, int y)
{
    theScene->keyboard(key, x, y);
}

void onSpecial(int key, int x, int y)
{
    theScene->special(key, x, y);
}

void ignoreEvent(int /*button*/, int /*state*/, int /*x*/, int /*y*/) {}

void ignoreEvent(int /*x*/, int /*y*/) {}

void armFrameTimer(int value)
{
    glutTimerFunc(static_cast<unsigned int>(FRAME_INTERVAL_MS), onTimer, value);
}
