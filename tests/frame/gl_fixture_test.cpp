// The offscreen context draws in window pixels with y upwards, as the program does.
#include <gtest/gtest.h>

#include "tests/support/gl_fixture.h"

TEST(GlFixture, DrawsInWindowPixelsWithYUp) {
  skyt_test::GlContext gl(64, 32);
  glColor4f(1, 0, 0, 1);
  glRecti(0, 0, 10, 5);
  EXPECT_EQ(gl.Pixel(2, 2), (std::array<int, 4>{255, 0, 0, 255}));
  EXPECT_EQ(gl.Pixel(2, 20), (std::array<int, 4>{0, 0, 0, 255}));
  EXPECT_EQ(gl.CountDiffering(0, 0, 64, 32, {0, 0, 0, 255}), 50);
}
