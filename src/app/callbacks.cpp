#include "app/callbacks.h"

#include "platform/frame_timer.h"
#include "platform/glut.h"
#include "render/clock.h"
#include "scene/scene.h"

#include <cstdint>

namespace {

// The calendar time of the last expiry, and the value to re-arm with when the
// re-arming waits for the idle callback.
std::int64_t lastExpiryMs = 0;
int deferredValue = 0;

void armWhenIdle()
{
    glutIdleFunc(nullptr);
    armFrameTimer(deferredValue);
}

} // namespace

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
    // time, so a slow frame never lets expiries pile up. The toolkit has
    // handled every event it had read before it runs a timer, so what the
    // desktop shows here comes after them.
    theScene->watchDesktop();
    theScene->tick();

    // The toolkit times its timers with the calendar clock and runs every timer
    // due by the time it read before this call. Were the clock set back during
    // the frame, a timer armed here would be due at once, again and again until
    // the clock caught up, and no input would be read meanwhile. Arming from the
    // idle callback lets the main loop come round and read the clock afresh.
    const std::int64_t now = elapsedMilliseconds();
    const bool clockWentBack = now < lastExpiryMs;
    lastExpiryMs = now;
    if (clockWentBack) {
        deferredValue = value;
        glutIdleFunc(armWhenIdle);
        return;
    }
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

void onSpecialUp(int key, int x, int y)
{
    theScene->specialUp(key, x, y);
}

void ignoreEvent(int /*button*/, int /*state*/, int /*x*/, int /*y*/) {}

void ignoreEvent(int /*x*/, int /*y*/) {}

void armFrameTimer(int value)
{
    requestFrame(static_cast<unsigned int>(FRAME_INTERVAL_MS), onTimer, value);
}
