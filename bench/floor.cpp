// The floor: the least a program of sorvane's shape can cost. Same toolkit,
// display mode, 600 x 600 window and 5 ms self-re-arming timer, but every frame
// is only a clear and a swap. The benchmark runs it beside sorvane so that what
// the toolkit, the driver and the X server cost shows up in both columns alike.
//
// Escape quits with status 0, like sorvane, so both runs end the same way.

#include "platform/glut.h"

#include <cstdlib>

namespace {

constexpr int WINDOW_SIZE = 600;
constexpr unsigned int FRAME_INTERVAL_MS = 5;
constexpr unsigned char KEY_ESCAPE = 27;

void drawEmptyFrame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glutSwapBuffers();
}

void onReshape(int width, int height)
{
    glViewport(0, 0, width, height);
    drawEmptyFrame();
}

void onTimer(int value)
{
    // Re-armed after drawing, as sorvane does, so the period is the interval
    // plus the frame.
    drawEmptyFrame();
    glutTimerFunc(FRAME_INTERVAL_MS, onTimer, value);
}

void onKeyboard(unsigned char key, int /*x*/, int /*y*/)
{
    if (key == KEY_ESCAPE) {
        std::exit(EXIT_SUCCESS);
    }
}

} // namespace

int main(int argc, char** argv)
{
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(WINDOW_SIZE, WINDOW_SIZE);
    glutCreateWindow("sorvane floor");
    glClearColor(1.0F, 1.0F, 1.0F, 0.0F);

    glutDisplayFunc(drawEmptyFrame);
    glutReshapeFunc(onReshape);
    glutKeyboardFunc(onKeyboard);
    glutTimerFunc(FRAME_INTERVAL_MS, onTimer, 0);

    glutMainLoop();
    return 0;
}
