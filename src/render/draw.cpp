#include "platform/glut.h"
#include "platform/polygon.h"
#include "render/clock.h"
#include "scene/scene.h"

namespace {

constexpr float VERTEX_ALPHA = 0.1F;

} // namespace

void Scene::draw()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    // Push and pop act on whichever matrix is current (the projection, once the
    // window has been reshaped), so no rotation carries over to the next frame.
    glPushMatrix();
    glRotatef(rotationAngle(elapsedMilliseconds()), 1.0F, 1.0F, 1.0F);

    // The whole table is one polygon, passed as it is, even where it crosses
    // itself.
    glBegin(FIGURE_PRIMITIVE);
    for (const Vertex& v : vertices) {
        glColor4f(v.r, v.g, v.b, VERTEX_ALPHA);
        glVertex3f(v.x, v.y, v.z);
    }
    glEnd();

    glPopMatrix();
    glutSwapBuffers();
}

void Scene::tick()
{
    draw();
}
