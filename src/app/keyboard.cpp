#include "platform/desktop_window.h"
#include "platform/exit.h"
#include "platform/glut.h"
#include "platform/standard_streams.h"
#include "platform/window_origin.h"
#include "scene/scene.h"

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
    fullScreen = !fullScreen;
    if (fullScreen) {
        const WindowOrigin origin = windowOrigin();
        savedX = origin.x;
        savedY = origin.y;
        savedWidth = glutGet(GLUT_WINDOW_WIDTH);
        savedHeight = glutGet(GLUT_WINDOW_HEIGHT);
        savedFrame = frameExtents();
        // A way back not yet over is: full screen is what was asked for.
        restore = Restore::over;
        glutFullScreen();
    } else {
        requestSavedGeometry();
        // Without a frame there is nothing that a window manager could put
        // inside the saved place.
        if (savedFrame != FrameExtents{}) {
            restore = Restore::frameAsSaved;
        }
    }
}

void Scene::requestSavedGeometry() const
{
    // Size before position, so the window manager places the restored size.
    glutReshapeWindow(savedWidth, savedHeight);
    glutPositionWindow(savedX, savedY);
}

void Scene::watchRestore()
{
    if (restore == Restore::over) {
        return;
    }
    // The frame is read first: GNOME gives it back after its last move of the
    // window, so a place read after it is the last.
    const FrameExtents frame = frameExtents();
    if (frame != savedFrame) {
        restore = Restore::frameChanged;
        return;
    }
    const WindowOrigin origin = windowOrigin();
    const int width = glutGet(GLUT_WINDOW_WIDTH);
    const int height = glutGet(GLUT_WINDOW_HEIGHT);
    const bool sizeAsSaved = width == savedWidth && height == savedHeight;
    const bool asSaved = origin.x == savedX && origin.y == savedY && sizeAsSaved;
    // GNOME (mutter 48 and 50) puts the window back without its frame, where
    // it gives it the size and place asked for, and then gives the frame back
    // with its corner where the window's was: the window stands lower by its
    // title bar, and mostly shorter by it too, the frame keeping the window's
    // rectangle. Asked again once it has its frame, it complies. Only that is
    // undone, and once; a user's move by just the frame's size, made before
    // the frame is back, would be taken for it.
    const bool movedByFrame = origin.x == savedX + frame.left && origin.y == savedY + frame.top &&
                              (sizeAsSaved || (width == savedWidth - frame.left - frame.right &&
                                               height == savedHeight - frame.top - frame.bottom));
    if (movedByFrame && !asSaved) {
        requestSavedGeometry();
    }
    // Until the frame has changed, the window manager may not have started on
    // the way back; once it has changed back, where the window stands is the
    // window manager's doing or the user's.
    if (asSaved || movedByFrame || restore == Restore::frameChanged) {
        restore = Restore::over;
    }
}
