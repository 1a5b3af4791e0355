// The orthographic box that keeps the picture's proportions in any window.
#pragma once

struct ProjectionBox {
    double left, right, bottom, top, nearPlane, farPlane;
};

// The window's shorter side spans -1 to 1 and the longer side proportionally
// more. The depth range of -2 to 2 holds every rotated vertex, none of which lies
// farther than sqrt(3) from the origin.
[[nodiscard]] ProjectionBox projectionBox(int width, int height);
