#include "platform/glut.h"
#include "render/projection.h"
#include "scene/scene.h"

void Scene::reshape(int width, int height)
{
    // The projection stays the current matrix from here on; draw's push, rotate
    // and pop act on it, and the model-view matrix stays the identity.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glViewport(0, 0, width, height);
    const ProjectionBox box = projectionBox(width, height);
    glOrtho(box.left, box.right, box.bottom, box.top, box.nearPlane, box.farPlane);

    // Drawn at once, so the new shape never shows a stretched frame.
    draw();
}
