// The drawing style: colour functions, corner geometry, base shapes and the UI images.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "frame/texts.h"
#include "render/ui_style.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/test_dirs.h"

namespace {

void ExpectRgb(rgb c, double r, double g, double b) {
  EXPECT_NEAR(c.r, r, 1e-9);
  EXPECT_NEAR(c.g, g, 1e-9);
  EXPECT_NEAR(c.b, b, 1e-9);
}

using Px = std::array<int, 4>;
const Px kBlack = {0, 0, 0, 255};

// Drawing a shape leaves every piece of GL state as it was except the current colour, and
// the shade model flat (the smooth-shaded bands set it back).
void ExpectStateKept(const std::function<void()>& draw) {
  glShadeModel(GL_FLAT);
  skyt_test::GlStateSnapshot before;
  draw();
  skyt_test::GlStateSnapshot after;
  after.colour = before.colour;
  EXPECT_EQ(after, before);
  GLint shade = 0;
  glGetIntegerv(GL_SHADE_MODEL, &shade);
  EXPECT_EQ(shade, GL_FLAT);
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

}  // namespace

TEST(UiStyleColours, MeterGoesFromGreenOverYellowToRed) {
  ExpectRgb(GetMeterColor(0.0f), 0, 1, 0);
  ExpectRgb(GetMeterColor(0.5f), 1, 1, 0);
  ExpectRgb(GetMeterColor(1.0f), 1, 0, 0);
  const rgb quarter = GetMeterColor(0.25f);  // hue 90: yellow-green
  EXPECT_NEAR(quarter.r, 0.5, 1e-6);
  EXPECT_NEAR(quarter.g, 1.0, 1e-6);
}

TEST(UiStyleColours, HsvConversions) {
  const rgb h0 = hsv2rgb({0, 1, 1}), h360 = hsv2rgb({360, 1, 1});
  ExpectRgb(h360, h0.r, h0.g, h0.b);
  ExpectRgb(hsv2rgb({200, 0, 0.4}), 0.4, 0.4, 0.4);

  const hsv blue = rgb2hsv({0.2, 0.4, 0.8});
  EXPECT_NEAR(blue.h, 220, 1e-9);
  EXPECT_NEAR(blue.s, 0.75, 1e-9);
  EXPECT_NEAR(blue.v, 0.8, 1e-9);
  // Round trips through every sector of the hue circle.
  for (const rgb c : {rgb{0.9, 0.3, 0.1}, rgb{0.6, 0.7, 0.1}, rgb{0.1, 0.8, 0.3}, rgb{0.1, 0.5, 0.6},
                      rgb{0.3, 0.2, 0.9}, rgb{0.8, 0.1, 0.6}, rgb{1, 0, 0.0001}}) {
    const rgb back = hsv2rgb(rgb2hsv(c));
    ExpectRgb(back, c.r, c.g, c.b);
  }
  const hsv black = rgb2hsv({0, 0, 0});
  EXPECT_EQ(black.s, 0);
  EXPECT_EQ(black.v, 0);
  const hsv grey = rgb2hsv({0.5, 0.5, 0.5});
  EXPECT_TRUE(std::isfinite(grey.h));
  EXPECT_EQ(grey.s, 0);
  ExpectRgb(hsv2rgb(grey), 0.5, 0.5, 0.5);
  // The hue is interpolated as a plain number, the long way round.
  EXPECT_NEAR(interpolate_hsv(0.25f, {300, 1, 0}, {20, 0, 1}).h, 230, 1e-9);
}

TEST(UiStyleGeometry, CornerCutDependsOnTheRadius) {
  EXPECT_EQ(RadiusToSegmentCount(0), 4);
  EXPECT_EQ(RadiusToSegmentCount(19.9f), 4);
  EXPECT_EQ(RadiusToSegmentCount(20), 12);
  EXPECT_EQ(RadiusToSegmentCount(100), 12);

  // Four points a corner stop short of the top: the top edge sits 1.5 pixels low.
  skyt_test::GlContext gl(200, 200);
  const float red[4] = {1, 0, 0, 1};
  glColor4fv(red);
  RoundedRectSolid(20, 180, 100, 60, 19.9f);
  EXPECT_EQ(gl.Pixel(70, 179), kBlack);
  EXPECT_EQ(gl.Pixel(70, 177), (Px{255, 0, 0, 255}));
  gl.Clear();
  glColor4fv(red);
  RoundedRectSolid(20, 180, 100, 60, 20);
  EXPECT_EQ(gl.Pixel(70, 179), (Px{255, 0, 0, 255}));
}

class UiStyleShapes : public ::testing::Test {
 protected:
  skyt_test::GlContext gl_{200, 200};
  const float blue_[4] = {0, 0, 1, 1};
};

TEST_F(UiStyleShapes, SolidRoundedRectangle) {
  ExpectStateKept([&] {
    glColor4fv(blue_);
    RoundedRectSolid(20, 180, 100, 60, 20);
  });
  const Px blue = {0, 0, 255, 255};
  EXPECT_EQ(gl_.Pixel(70, 150), blue);
  EXPECT_EQ(gl_.Pixel(21, 150), blue);   // left edge, middle
  EXPECT_EQ(gl_.Pixel(118, 150), blue);  // right edge
  EXPECT_EQ(gl_.Pixel(70, 121), blue);   // bottom edge
  EXPECT_EQ(gl_.Pixel(20, 179), kBlack);  // cut corners
  EXPECT_EQ(gl_.Pixel(119, 120), kBlack);
  EXPECT_EQ(gl_.Pixel(70, 181), kBlack);
  EXPECT_EQ(gl_.Pixel(121, 150), kBlack);
  // The area of a rectangle less four corners of (4 - pi) r^2 each.
  const int filled = 200 * 200 - gl_.CountDiffering(0, 0, 200, 200, blue, 0);
  EXPECT_NEAR(filled, 6000 - (4 - M_PI) * 400, 60);
}

TEST_F(UiStyleShapes, AntialiasAddsAFadingEdge) {
  ExpectStateKept([&] { RoundedRect(20, 180, 100, 60, 10, blue_, false); });
  EXPECT_EQ(gl_.Pixel(70, 179), kBlack);
  EXPECT_EQ(gl_.Pixel(70, 175), (Px{0, 0, 255, 255}));
  const int plain = gl_.CountDiffering(0, 0, 200, 200, kBlack, 0);

  gl_.Clear();
  ExpectStateKept([&] { RoundedRect(20, 180, 100, 60, 10, blue_, true); });
  const Px edge = gl_.Pixel(70, 179);
  EXPECT_GT(edge[2], 0);
  EXPECT_LT(edge[2], 255);
  EXPECT_EQ(gl_.Pixel(70, 181), kBlack);
  EXPECT_EQ(gl_.Pixel(70, 175), (Px{0, 0, 255, 255}));
  EXPECT_GT(gl_.CountDiffering(0, 0, 200, 200, kBlack, 0), plain + 200);
}

TEST_F(UiStyleShapes, OutlineBandLiesOutsideTheRectangle) {
  const float green[4] = {0, 1, 0, 1};
  ExpectStateKept([&] { RoundedRectOutline(40, 160, 120, 80, 20, 6, green, 1.0f); });
  const Px solid = {0, 255, 0, 255};
  EXPECT_EQ(gl_.Pixel(100, 163), solid);  // above the top edge
  EXPECT_EQ(gl_.Pixel(100, 78), solid);   // below the bottom edge
  EXPECT_EQ(gl_.Pixel(37, 120), solid);   // left of the left edge
  EXPECT_EQ(gl_.Pixel(162, 120), solid);
  EXPECT_EQ(gl_.Pixel(100, 120), kBlack);  // the interior is not filled
  EXPECT_EQ(gl_.Pixel(100, 168), kBlack);

  gl_.Clear();
  RoundedRectOutline(40, 160, 120, 80, 20, 6, green, 0.0f);  // feathered
  const int inner = gl_.Pixel(100, 160)[1], outer = gl_.Pixel(100, 165)[1];
  EXPECT_GT(inner, 180);
  EXPECT_LT(outer, 60);
  EXPECT_GT(inner, gl_.Pixel(100, 163)[1]);
}

TEST_F(UiStyleShapes, BevelIsLightTopLeftWhenRaisedAndDarkWhenSunken) {
  auto luminance = [&](int x, int y) {
    const Px p = gl_.Pixel(x, y);
    return (p[0] + p[1] + p[2]) / 3;
  };
  ExpectStateKept([&] { RoundedRectGradientOutline(40, 160, 120, 80, 20, 6, true, false, 1.0f); });
  EXPECT_EQ(gl_.Pixel(100, 163), (Px{239, 238, 236, 255}));  // top: light
  EXPECT_EQ(gl_.Pixel(37, 120), (Px{239, 238, 236, 255}));   // left: light
  EXPECT_EQ(gl_.Pixel(100, 77), (Px{105, 104, 102, 255}));   // bottom: dark
  EXPECT_EQ(gl_.Pixel(162, 120), (Px{105, 104, 102, 255}));  // right: dark
  const int top_right = luminance(157, 157);  // a corner between the two
  EXPECT_GT(top_right, 110);
  EXPECT_LT(top_right, 235);

  gl_.Clear();
  ExpectStateKept([&] { RoundedRectGradientOutline(40, 160, 120, 80, 20, 6, false, true, 1.0f); });
  EXPECT_LT(luminance(100, 161), luminance(100, 79));  // sunken: dark top, light bottom
  EXPECT_LT(luminance(100, 165), luminance(100, 161));  // feathered outwards
}

TEST_F(UiStyleShapes, HalfRoundedRectangleRoundsOneSide) {
  struct Case {
    UIStyleDirection direction;
    bool tl, tr, br, bl;  // which corners are square
  };
  const Px blue = {0, 0, 255, 255};
  for (const Case& c : {Case{UI_STYLE_DOWN, true, true, false, false}, Case{UI_STYLE_UP, false, false, true, true},
                        Case{UI_STYLE_RIGHT, true, false, false, true}, Case{UI_STYLE_LEFT, false, true, true, false}}) {
    SCOPED_TRACE(c.direction);
    gl_.Clear();
    ExpectStateKept([&] {
      glColor4fv(blue_);
      HalfRoundedRectSolid(20, 180, 100, 60, 20, c.direction);
    });
    EXPECT_EQ(gl_.Pixel(20, 179) == blue, c.tl);
    EXPECT_EQ(gl_.Pixel(119, 179) == blue, c.tr);
    EXPECT_EQ(gl_.Pixel(119, 120) == blue, c.br);
    EXPECT_EQ(gl_.Pixel(20, 120) == blue, c.bl);
    EXPECT_EQ(gl_.Pixel(70, 150), blue);
    EXPECT_EQ(gl_.Pixel(19, 150), kBlack);
    EXPECT_EQ(gl_.Pixel(70, 119), kBlack);
  }
}

TEST_F(UiStyleShapes, DiscAndRect) {
  const float yellow[4] = {1, 1, 0, 1};
  ExpectStateKept([&] { Disc(100, 100, 30, yellow); });
  const Px y = {255, 255, 0, 255};
  EXPECT_EQ(gl_.Pixel(100, 100), y);
  EXPECT_EQ(gl_.Pixel(128, 100), y);
  EXPECT_EQ(gl_.Pixel(100, 71), y);
  EXPECT_EQ(gl_.Pixel(132, 100), kBlack);
  EXPECT_EQ(gl_.Pixel(122, 122), kBlack);  // outside the circle, inside its square
  EXPECT_NEAR(200 * 200 - gl_.CountDiffering(0, 0, 200, 200, y, 0), M_PI * 900, 40);

  gl_.Clear();
  ExpectStateKept([&] { Rect(10, 50, 5, 3, yellow); });
  EXPECT_EQ(200 * 200 - gl_.CountDiffering(0, 0, 200, 200, y, 0), 15);
  EXPECT_EQ(gl_.Pixel(10, 47), y);
  EXPECT_EQ(gl_.Pixel(14, 49), y);
  EXPECT_EQ(gl_.Pixel(15, 49), kBlack);
  EXPECT_EQ(gl_.Pixel(10, 50), kBlack);
}

TEST_F(UiStyleShapes, ShadowFallsBelowAndRight) {
  gl_.Clear(1, 1, 1, 1);
  ExpectStateKept([] { RoundedRectShadow(40, 160, 100, 80, 10); });
  // The shadow rectangle is (48, 152, 91, 71); its band shows below and right of it.
  EXPECT_LT(gl_.Pixel(90, 79)[0], 255);
  EXPECT_LT(gl_.Pixel(141, 110)[0], 255);
  EXPECT_EQ(gl_.Pixel(90, 110), (Px{255, 255, 255, 255}));  // interior untouched
  EXPECT_EQ(gl_.Pixel(30, 170), (Px{255, 255, 255, 255}));
}

TEST(UiStyleImages, InitLoadsTheThirteenPicturesAndCleanUpReleasesSix) {
  skyt_test::GlContext gl(64, 64);
  skyt_test::ScopedChdir cd(skyt_test::FreshDir("ui_style_images"));
  SetLanguage("de");  // none of these pictures depends on the language
  InitUIStyle();
  SetLanguage("en");
  struct Expect {
    Image* image;
    int w, h;
  };
  const Expect all[] = {{&text, 1398, 281}, {&hand, 960, 720}, {&fullscreen_icon, 58, 42}, {&windowed_icon, 58, 42},
                        {&home_icon, 58, 42}, {&t_icon, 39, 42}, {&t_crossed_icon, 39, 42}, {&three_d_icon, 60, 42},
                        {&three_d_crossed_icon, 60, 42}, {&right_foot_too_far_icon, 512, 256},
                        {&right_foot_too_near_icon, 512, 256}, {&left_foot_too_near_icon, 512, 256},
                        {&left_foot_too_far_icon, 512, 256}};
  for (const Expect& e : all) {
    EXPECT_NE(e.image->texture, 0u);
    EXPECT_EQ(e.image->width, e.w);
    EXPECT_EQ(e.image->height, e.h);
  }
  CleanUpUI();
  for (Image* released : {&hand, &text, &fullscreen_icon, &windowed_icon, &t_icon, &t_crossed_icon})
    EXPECT_EQ(released->texture, 0u);
  for (Image* kept : {&home_icon, &three_d_icon, &three_d_crossed_icon, &right_foot_too_far_icon,
                      &right_foot_too_near_icon, &left_foot_too_near_icon, &left_foot_too_far_icon}) {
    EXPECT_TRUE(glIsTexture(kept->texture));
    kept->CleanUp();  // before the context goes
  }
}
