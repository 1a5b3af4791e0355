#include "platform/exit.h"
#include "platform/glut.h"
#include "platform/window_origin.h"
#include "scene/scene.h"

#include <cstdlib>

namespace {

constexpr int KEY_ESCAPE = 27;

} // namespace

// Escape needs none of the Scene's state, but every event has its Scene
// operation, so this one stays a member like the others.
// NOLINTNEXTLINE(readability-convert-member-functions-to-static)
void Scene::keyboard(int key, int /*x*/, int /*y*/)
{
    // exit() rather than a return through the toolkit: the main loop does not
    // return. Progress lines that could not be written still make the run a
    // failure, as they would for any tool whose output was lost: the check at
    // exit (platform/standard_streams.h) turns the status into 1.
    if (key == KEY_ESCAPE) {
        exitProgram(EXIT_SUCCESS);
    }
}

void Scene::special(int key, int /*x*/, int /*y*/)
{
    if (key != GLUT_KEY_F11) {
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
        // Size before position, so the window manager places the restored size.
        glutReshapeWindow(savedWidth, savedHeight);
        glutPositionWindow(savedX, savedY);
    }
}
