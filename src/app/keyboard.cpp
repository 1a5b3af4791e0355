#include "platform/exit.h"
#include "platform/glut.h"
#include "platform/standard_streams.h"
#include "platform/window_origin.h"
#include "scene/scene.h"

#include <chrono>
#include <cstdlib>

namespace {

constexpr int KEY_ESCAPE = 27;

// How long after leaving full screen a window manager may take to start
// putting the window back, and how long it may pause between its steps,
// on a busy machine: GNOME 50 took up to 0.75 s before its last step on a
// heavily loaded 2-core machine.
constexpr auto RESTORE_START_TIME = std::chrono::seconds(1);
constexpr auto RESTORE_STEP_TIME = std::chrono::seconds(1);

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
    fullScreen = !fullScreen;
    if (fullScreen) {
        const WindowOrigin origin = windowOrigin();
        savedX = origin.x;
        savedY = origin.y;
        savedWidth = glutGet(GLUT_WINDOW_WIDTH);
        savedHeight = glutGet(GLUT_WINDOW_HEIGHT);
        // A restore not yet checked is over: full screen is what was asked for.
        restoreCheckAt.reset();
        glutFullScreen();
    } else {
        requestSavedGeometry();
        restoreCheckAt = std::chrono::steady_clock::now() + RESTORE_START_TIME;
    }
}

void Scene::requestSavedGeometry() const
{
    // Size before position, so the window manager places the restored size.
    glutReshapeWindow(savedWidth, savedHeight);
    glutPositionWindow(savedX, savedY);
}

void Scene::followRestore()
{
    if (restoreCheckAt) {
        restoreCheckAt = std::chrono::steady_clock::now() + RESTORE_STEP_TIME;
    }
}

void Scene::checkRestoredWindow()
{
    if (!restoreCheckAt || std::chrono::steady_clock::now() < *restoreCheckAt) {
        return;
    }
    restoreCheckAt.reset();
    // Some window managers put a window back from full screen in steps of
    // their own, and the size and place asked for meanwhile come out wrong:
    // GNOME 48 gave it back shorter and lower by its title bar, every round
    // trip. Asked again once it is done, it complies. Once only, so that a
    // window manager that places windows its own way is not asked forever.
    const WindowOrigin origin = windowOrigin();
    if (glutGet(GLUT_WINDOW_WIDTH) != savedWidth || glutGet(GLUT_WINDOW_HEIGHT) != savedHeight ||
        origin.x != savedX || origin.y != savedY) {
        requestSavedGeometry();
    }
}
