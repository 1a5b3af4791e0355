// The icon as the window shows it to the desktop, made at build time from the
// icons that the desktop entry uses (the program reads no files).
#pragma once

#include <span>

// _NET_WM_ICON's layout: for each size in turn, the width, the height, then
// the pixels row by row as 0xAARRGGBB. Xlib takes 32-bit properties as longs.
extern const std::span<const unsigned long> WINDOW_ICON;
