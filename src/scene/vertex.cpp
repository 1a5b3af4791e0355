#include "scene/vertex.h"

#include "scene/random.h"

Vertex randomVertex()
{
    Vertex v{};
    v.x = positionFromUnit(randomUnit());
    v.y = positionFromUnit(randomUnit());
    v.z = positionFromUnit(randomUnit());
    v.r = randomUnit();
    v.g = randomUnit();
    v.b = randomUnit();
    return v;
}
