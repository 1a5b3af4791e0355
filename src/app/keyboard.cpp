#include "platform/desktop_window.h"
#include "platform/exit.h"
#include "platform/glut.h"
#include "platform/keyboard_state.h"
#include "platform/standard_streams.h"
#include "platform/window_origin.h"
#include "scene/scene.h"

#include <chrono>
#include <cstdlib>

namespace {

constexpr int KEY_ESCAPE = 27;

} // namespace

// Escape needs none of the Scene's state, but every event has its Scene
// operation, so this one stays a member like the others (clang-tidy and
// cppcheck from 2.22 on would make it static).
// cppcheck-suppress functionStatic
// NOLINTNEXTLINE(readability-convert-member-functions-to-static)
void Scene::keyboard(int key, int /*x*/, int /*y*/)
{
    // exit() rather than a return through the toolkit: the main loop does not
    // return. Progress lines that could not be written make the run a failure,
    // as they would for any tool whose output was lost: status 1. Checked
    // before exit(), since the exit handlers of other libraries run before
    // the program's own check there, and one that crashes or ends the process
    // would leave the loss unreported.
    if (key == KEY_ESCAPE) {
        checkStandardOutput();
        exitProgram(EXIT_SUCCESS);
    }
}

void Scene::special(int key, int /*x*/, int /*y*/)
{
    if (key != GLUT_KEY_F11) {
        return;
    }
    DesktopSight sight;
    sight.now = std::chrono::steady_clock::now();
    sight.frame = frameExtents();
    if (fullScreenSwitch.press(fullScreen, sight) != FullScreenRequest::switchOver) {
        return;
    }
    fullScreen = !fullScreen;
    if (fullScreen) {
        const WindowOrigin origin = windowOrigin();
        savedX = origin.x;
        savedY = origin.y;
        savedWidth = glutGet(GLUT_WINDOW_WIDTH);
        savedHeight = glutGet(GLUT_WINDOW_HEIGHT);
        glutFullScreen();
    } else {
        requestSavedGeometry();
    }
}

void Scene::specialUp(int key, int /*x*/, int /*y*/)
{
    if (key == GLUT_KEY_F11) {
        fullScreenSwitch.release();
    }
}

void Scene::watchDesktop()
{
    DesktopSight sight;
    sight.now = std::chrono::steady_clock::now();
    if (fullScreenSwitch.awaitsRelease()) {
        sight.f11Down = f11Down();
    }
    if (fullScreenSwitch.watchesWayBack()) {
        sight.frame = frameExtents();
        const WindowOrigin origin = windowOrigin();
        sight.place = {.x = origin.x,
                       .y = origin.y,
                       .width = glutGet(GLUT_WINDOW_WIDTH),
                       .height = glutGet(GLUT_WINDOW_HEIGHT)};
    }
    if (fullScreenSwitch.beforeFrame(
            sight, {.x = savedX, .y = savedY, .width = savedWidth, .height = savedHeight}) ==
        FullScreenRequest::savedPlaceAgain) {
        requestSavedGeometry();
    }
}

void Scene::requestSavedGeometry() const
{
    // Size before position, so the window manager places the restored size.
    glutReshapeWindow(savedWidth, savedHeight);
    glutPositionWindow(savedX, savedY);
}
