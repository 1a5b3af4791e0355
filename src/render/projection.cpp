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
        return {-1.0, 1.0, -ratio, ratio, -DEPTH_EXTENT, DEPTH_EXTENT};
    }
    const double ratio = w / h;
    return {-ratio, ratio, -1.0, 1.0, -DEPTH_EXTENT, DEPTH_EXTENT};
}
