// sorvane: 500 random coloured points drawn as one translucent, smooth-shaded
// polygon on white, turning about (1, 1, 1) at 25 degrees per second.
//
// Controls:
//   Escape   quit (exit status 0)
//   F11      toggle full screen; leaving it restores the former size and place
//
// Command-line arguments are the toolkit's own (for example -display, -geometry).

#include "app/callbacks.h"
#include "platform/frame_timer.h"
#include "platform/glut.h"
#include "platform/standard_streams.h"
#include "scene/scene.h"

int main(int argc, char** argv)
{
    keepStandardStreamsOpen();
    reportLostOutputAtExit();
    glutInit(&argc, argv);
    // The toolkit registers callbacks on the current window, so the Scene (which
    // opens it) comes first.
    createScene();

    void (*const ignoreButton)(int, int, int, int) = ignoreEvent;
    void (*const ignoreMotion)(int, int) = ignoreEvent;

    setRedrawCallback(onDisplay);
    glutReshapeFunc(onReshape);
    glutMouseFunc(ignoreButton);
    glutKeyboardFunc(onKeyboard);
    glutSpecialFunc(onSpecial);
    glutSpecialUpFunc(onSpecialUp);
    glutPassiveMotionFunc(ignoreMotion);
    glutMotionFunc(ignoreMotion);
    armFrameTimer(0);

    glutMainLoop();
    return 0;
}
