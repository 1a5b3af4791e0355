// What the window tells the desktop about itself, beyond what the toolkit says,
// and what the desktop tells of the frame it draws around it.
#pragma once

// How far the window manager's frame reaches beyond the window's inside on each
// side; all zero where it names none.
struct FrameExtents {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;

    bool operator==(const FrameExtents&) const = default;
};

#if defined(__EMSCRIPTEN__) || defined(_WIN32) || defined(__APPLE__)

// The browser has no window manager to tell; Windows takes the icon from the
// executable's resources, and macOS's GLUT names its windows itself.
inline void describeWindow(const char* /*title*/) {}
inline FrameExtents frameExtents()
{
    return {};
}

#else

// Tells the X window manager who the current window is and how to place it:
// its class (which ties it to the desktop entry), the process behind it, its
// title in UTF-8, its icon, and that its position means the corner of its
// inside, which is the corner the toolkit reports. Call once, right after the
// toolkit has created the window.
void describeWindow(const char* title);

// The frame around the current window as the window manager last said
// (_NET_FRAME_EXTENTS), read from the X server at the moment of asking.
FrameExtents frameExtents();

#endif
