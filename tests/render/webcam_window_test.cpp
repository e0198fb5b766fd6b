// The mapping from camera pixels to window pixels.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include "render/webcam_window.h"
#include "tests/support/gl_fixture.h"

namespace {

using Map = WebcamWindowMapping;

// The camera picture takes the window's height and 1.4 times that as width, centred (wider or
// narrower than the window); camera rows grow downwards, window rows upwards.
TEST(WebcamWindow, CentredPictureMapping) {
  skyt_test::GlContext gl(64, 64);
  const struct { int w, h; float left; } windows[] = {{1280, 720, 136}, {960, 720, -24}, {1008, 720, 0}};
  for (const auto& c : windows) {
    Map::CenterWebcam(c.w, c.h);
    const float width = 1.4f * float(c.h);
    EXPECT_FLOAT_EQ(Map::WebcamXToWindowX(0), c.left) << c.w;
    EXPECT_FLOAT_EQ(Map::WebcamXToWindowX(319), c.left + width) << c.w;
    EXPECT_FLOAT_EQ(Map::WebcamYToWindowY(239), float(c.h)) << c.w;
    EXPECT_FLOAT_EQ(Map::WebcamWidthToWindowWidth(319), width) << c.w;
    EXPECT_FLOAT_EQ(Map::WebcamHeightToWindowHeight(239), float(c.h)) << c.w;
    // The GL matrix takes the camera's corners where the functions do.
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    Map::ApplyWebcamToWindowScale();
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    glPopMatrix();
    EXPECT_FLOAT_EQ(m[12], c.left) << c.w;
    EXPECT_FLOAT_EQ(m[0] * 319 + m[12], c.left + width) << c.w;
    EXPECT_FLOAT_EQ(m[5] * 239 + m[13], float(c.h)) << c.w;
  }
}

}  // namespace
