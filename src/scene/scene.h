// The one application object: the figure it draws and the window geometry it
// keeps while full screen, with one operation per kind of toolkit event.
#pragma once

#include "platform/desktop_window.h"
#include "scene/vertex.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>

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

  private:
    void requestSavedGeometry() const; // app/keyboard.cpp
    void watchRestore();               // app/keyboard.cpp

    bool fullScreen = false;
    // Between a press of F11 and its release: the presses that a held key
    // repeats come meanwhile, and switch nothing.
    bool f11Held = false;
    // The windowed geometry, captured on every entry into full screen and read
    // only on leaving it.
    int savedX = 0;
    int savedY = 0;
    int savedWidth = 0;
    int savedHeight = 0;
    // The window manager's frame around the window, as it was when full screen
    // was entered, and how far the way back from full screen has come: watched
    // until the window manager has given the frame back, or until a time
    // limit for one that never does.
    FrameExtents savedFrame;
    enum class Restore : std::uint8_t { over, frameAsSaved, frameChanged };
    Restore restore = Restore::over;
    std::chrono::steady_clock::time_point restoreWatchedUntil;
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
