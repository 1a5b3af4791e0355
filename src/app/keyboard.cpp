#include "platform/desktop_window.h"
#include "platform/exit.h"
#include "platform/glut.h"
#include "platform/standard_streams.h"
#include "platform/window_origin.h"
#include "scene/scene.h"

#include <chrono>
#include <cstdlib>

namespace {

constexpr int KEY_ESCAPE = 27;
// How long the way back from full screen is watched for at most: GNOME gave
// the frame back within 1.4 s with two busy processes beside the program. A
// window manager that never does is not watched for ever.
constexpr std::chrono::seconds RESTORE_WATCH_LIMIT{10};

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
    // One switch per press, however long F11 is held. A key also repeats when
    // a busy compositor passes its release on late (GNOME's, with the
    // machine's cores taken), so a short press can repeat too.
    if (key != GLUT_KEY_F11 || f11Held) {
        return;
    }
    f11Held = true;
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
        // Without a frame there is nothing that a window manager could put
        // inside the saved place. A frame that full screen took away has
        // changed already: a busy machine may draw its next frame only once
        // the window manager has given it back.
        if (savedFrame != FrameExtents{}) {
            restore = frameExtents() == savedFrame ? Restore::frameAsSaved : Restore::frameChanged;
            restoreWatchedUntil = std::chrono::steady_clock::now() + RESTORE_WATCH_LIMIT;
        }
        requestSavedGeometry();
    }
}

void Scene::specialUp(int key, int /*x*/, int /*y*/)
{
    if (key == GLUT_KEY_F11) {
        f11Held = false;
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
    if (std::chrono::steady_clock::now() > restoreWatchedUntil) {
        restore = Restore::over;
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
    const bool asSaved = origin.x == savedX && origin.y == savedY &&
                         glutGet(GLUT_WINDOW_WIDTH) == savedWidth &&
                         glutGet(GLUT_WINDOW_HEIGHT) == savedHeight;
    // Until the frame has changed, the window manager may not have started on
    // the way back.
    if (!asSaved && restore == Restore::frameAsSaved) {
        return;
    }
    // GNOME (mutter 48 and 50) puts the window back without its frame, where
    // it gives it the size and place asked for, and then gives the frame back
    // with its corner where the window's was: the window stands lower by its
    // title bar, and mostly shorter by it too; mutter 48 once put it at the
    // screen's corner instead. Asked again once it has its frame, it complies.
    // Asked once, at the frame's return: a user moves a window by its frame,
    // which was not there before, and every move after it stands.
    if (!asSaved) {
        requestSavedGeometry();
    }
    restore = Restore::over;
}
