#include "render/projection.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void expectBox(const ProjectionBox& box, double left, double right, double bottom, double top)
{
    EXPECT_DOUBLE_EQ(box.left, left);
    EXPECT_DOUBLE_EQ(box.right, right);
    EXPECT_DOUBLE_EQ(box.bottom, bottom);
    EXPECT_DOUBLE_EQ(box.top, top);
    EXPECT_EQ(box.nearPlane, -2.0);
    EXPECT_EQ(box.farPlane, 2.0);
}

TEST(ProjectionBox, ShorterSideSpansMinusOneToOne)
{
    expectBox(projectionBox(600, 600), -1, 1, -1, 1);
    expectBox(projectionBox(600, 300), -2, 2, -1, 1);
    expectBox(projectionBox(300, 600), -1, 1, -2, 2);
}

TEST(ProjectionBox, SlightlyWideWindowTakesTheWideBranch)
{
    expectBox(projectionBox(601, 600), -601.0 / 600.0, 601.0 / 600.0, -1, 1);
    expectBox(projectionBox(600, 601), -1, 1, -601.0 / 600.0, 601.0 / 600.0);
}

TEST(ProjectionBox, ZeroSidesGiveAFiniteBox)
{
    for (const auto& [w, h] :
         {std::pair{0, 0}, std::pair{0, 600}, std::pair{600, 0}, std::pair{-5, 10}}) {
        const ProjectionBox box = projectionBox(w, h);
        for (double edge : {box.left, box.right, box.bottom, box.top}) {
            EXPECT_TRUE(std::isfinite(edge)) << w << " x " << h;
        }
        EXPECT_LT(box.left, box.right);
        EXPECT_LT(box.bottom, box.top);
    }
    expectBox(projectionBox(600, 0), -600, 600, -1, 1);
    expectBox(projectionBox(0, 600), -1, 1, -600, 600);
}

} // namespace
