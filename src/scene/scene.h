// The one application object: the figure it draws and the window geometry it
// keeps while full screen, with one operation per kind of toolkit event.
#pragma once

#include "app/full_screen_switch.h"
#include "scene/vertex.h"

#include <array>
#include <cstddef>

inline constexpr std::size_t VERTEX_COUNT = 500;

class Scene {
  public:
    void init();                           // scene/scene.cpp
    void draw();                           // render/draw.cpp
    void tick();                           // render/draw.cpp
    void reshape(int width, int height);   // render/reshape.cpp
    void keyboard(int key, int x, int y);  // app/keyboard.cpp
    void special(int key, int x, int y);   // app/keyboard.cpp
    void specialUp(int key, int x, int y); // app/keyboard.cpp
    // Before each timed frame: what became of F11 and of the way back from
    // full screen since the last one.
    void watchDesktop(); // app/keyboard.cpp

  private:
    void requestSavedGeometry() const; // app/keyboard.cpp

    bool fullScreen = false;
    // The windowed geometry, captured on every entry into full screen and read
    // only on leaving it.
    int savedX = 0;
    int savedY = 0;
    int savedWidth = 0;
    int savedHeight = 0;
    // Which presses of F11 switch, and how far the way back from full screen
    // has come.
    FullScreenSwitch fullScreenSwitch;
    // Filled by init before anything reads it, so not zeroed before that
    // (cppcheck 2.22 would have every member set by a constructor).
    // cppcheck-suppress uninitMemberVarNoCtor
    std::array<Vertex, VERTEX_COUNT> vertices;
};

// Set once by createScene and never changed: the toolkit's callbacks carry no
// user pointer, so this is how they reach the Scene.
extern Scene* theScene;

// Seeds the random source with the calendar time, creates the Scene and runs
// its init, which opens the window. Needs glutInit to have run.
void createScene();
