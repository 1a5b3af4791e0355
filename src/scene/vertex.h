// One corner of the figure and the way a random one is made.
#pragma once

struct Vertex {
    float x, y, z; // position, world units in [-1, 1]
    float r, g, b; // colour, fractions in [0, 1]
};

// Six draws from the random source, in the order x, y, z, r, g, b. The order is
// what ties a seed to a figure, so it must not change.
[[nodiscard]] Vertex randomVertex();
