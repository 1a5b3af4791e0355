// What the window tells the desktop about itself, beyond what the toolkit says.
#pragma once

#if defined(__EMSCRIPTEN__) || defined(_WIN32) || defined(__APPLE__)

// The browser has no window manager to tell; Windows takes the icon from the
// executable's resources, and macOS's GLUT names its windows itself.
inline void describeWindow(const char* /*title*/) {}

#else

// Tells the X window manager who the current window is and how to place it:
// its class (which ties it to the desktop entry), the process behind it, its
// title in UTF-8, its icon, and that its position means the corner of its
// inside, which is the corner the toolkit reports. Call once, right after the
// toolkit has created the window.
void describeWindow(const char* title);

#endif
