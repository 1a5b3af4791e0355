#include "render/projection.h"

#include <algorithm>

namespace {

constexpr double DEPTH_EXTENT = 2.0;

} // namespace

ProjectionBox projectionBox(int width, int height)
{
    // A minimised or collapsed window can report a side of 0; taking each side as
    // at least 1 keeps the ratio finite, so no infinite projection reaches OpenGL.
    const double w = std::max(width, 1);
    const double h = std::max(height, 1);
    if (width < height) {
        const double ratio = h / w;
        return {.left = -1.0,
                .right = 1.0,
                .bottom = -ratio,
                .top = ratio,
                .nearPlane = -DEPTH_EXTENT,
                .farPlane = DEPTH_EXTENT};
    }
    const double ratio = w / h;
    return {.left = -ratio,
            .right = ratio,
            .bottom = -1.0,
            .top = 1.0,
            .nearPlane = -DEPTH_EXTENT,
            .farPlane = DEPTH_EXTENT};
}
