#include "scene/scene.h"

#include "platform/desktop_window.h"
#include "platform/glut.h"
#include "platform/keyboard_state.h"
#include "platform/standard_streams.h"
#include "scene/random.h"

#include <cstdint>
#include <ctime>
#include <iostream>

Scene* theScene = nullptr;

namespace {

constexpr int WINDOW_SIZE = 600;
constexpr const char* WINDOW_TITLE = "Sorvane for Keth (brovask 2001)";

} // namespace

void createScene()
{
    // Truncation to 32 bits is intended: only the low bits vary between runs.
    seedRandom(static_cast<std::uint32_t>(std::time(nullptr)));
    // Never deleted: the Scene lives until the process exits.
    theScene = new Scene;
    theScene->init();
}

void Scene::init()
{
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);

    // One progress line per vertex, each printed before its draws. No flush per
    // line, but one once all are printed: exit handlers of the libraries that
    // open the window run before the C library's final flush, and one that
    // crashes (Mesa's on riscv64, once) would lose what was left.
    for (std::size_t i = 0; i < VERTEX_COUNT; ++i) {
        std::cout << "generating vertex " << i << '\n';
        vertices[i] = randomVertex();
    }
    flushStandardOutput();

    glutInitWindowSize(WINDOW_SIZE, WINDOW_SIZE);
    glutCreateWindow(WINDOW_TITLE);
    describeWindow(WINDOW_TITLE);
    makeKeyRepeatDetectable();

    glEnable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glShadeModel(GL_SMOOTH);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glClearColor(1.0F, 1.0F, 1.0F, 0.0F);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
