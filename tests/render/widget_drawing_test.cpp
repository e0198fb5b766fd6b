// Widget drawings under OSMesa: pixel probes of the looks the widget GUI and the in-air menu
// rely on, the simplified drawing of graphics modes 1 and 3, and GL state left as found.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "frame/frame_globals.h"
#include "frame/texts.h"
#include "render/airwidget_drawing.h"
#include "render/font.h"
#include "render/ui_style.h"
#include "render/widget_drawing.h"
#include "tests/support/gl_fixture.h"

using skyt_test::GlContext;
using skyt_test::GlStateSnapshot;

namespace {

constexpr const char* kFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

std::array<int, 4> Rgb(int r, int g, int b) { return {r, g, b, 255}; }

// Pixel equals colour within tolerance (alpha ignored).
::testing::AssertionResult Near(std::array<int, 4> got, std::array<int, 4> want, int tol = 3) {
  for (int c = 0; c < 3; ++c)
    if (std::abs(got[c] - want[c]) > tol)
      return ::testing::AssertionFailure() << "pixel " << got[0] << "," << got[1] << "," << got[2]
                                           << " expected " << want[0] << "," << want[1] << "," << want[2];
  return ::testing::AssertionSuccess();
}

class WidgetDrawingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    graphics_mode = 0;
    gl.Clear(0, 0, 0, 1);
  }
  void TearDown() override {
    graphics_mode = 0;
    glFinish();  // OSMesa must not be destroyed with drawing still queued
  }
  GlContext gl;
};

struct Drawing {
  const char* name;
  std::function<void()> draw;
};

std::vector<Drawing> AllDrawings(const Font* font) {
  static const float curve[5] = {0, 0.3f, 0.5f, 0.8f, 1};
  return {
      {"DrawBackground", [] { DrawBackground(true); }},
      {"ButtonBackground", [] { ButtonBackground(10, 700, 140, 32, true, false, true, true); }},
      {"ButtonBackground pressed", [] { ButtonBackground(10, 700, 140, 32, true, true, true, true); }},
      {"ButtonBackgroundGreyed", [] { ButtonBackgroundGreyed(10, 650, 140, 32, true, true); }},
      {"RoundButtonBackground", [] { RoundButtonBackground(300, 600, 30, false, false, true, true); }},
      {"EditBoxBackground", [] { EditBoxBackground(10, 600, 200, 8, true, true, true); }},
      {"CheckBox", [] { CheckBox(10, 550, 24, 24, false, true, true, true, true); }},
      {"CheckBox radio", [] { CheckBox(40, 550, 24, 24, true, true, true, true, true); }},
      {"CheckBoxGreyed", [] { CheckBoxGreyed(70, 550, 24, 24, true, true); }},
      {"SliderBackground", [] { SliderBackground(10, 500, 200, 30, 0.6f, true, true, true, true); }},
      {"ScrollBar", [] { ScrollBar(10, 450, 20, 100, true, true); }},
      {"RoundButtonBackgroundDistance",
       [] { RoundButtonBackgroundDistance(500, 600, 50, true, true, false, true, false, true); }},
      {"RoundButtonBackgroundDistance masked",
       [] { RoundButtonBackgroundDistance(500, 600, 50, false, false, false, true, true, true); }},
      {"RoundButtonBackgroundDistanceVisibility", [] { RoundButtonBackgroundDistanceVisibility(500, 600, 50); }},
      {"SliderDistanceVisibility", [] { SliderDistanceVisibility(400, 400, 200, 60); }},
      {"TextDistanceVisibility", [] { TextDistanceVisibility(400, 300, 200, 60); }},
      {"SliderDistance", [] { SliderDistance(400, 400, 200, 60, 0.5f, true, true, true, true, false, true); }},
      {"SliderDistance vertical masked",
       [] { SliderDistance(700, 400, 60, 200, 0.5f, true, false, true, false, true, true); }},
      {"SliderProgressOnly", [] { SliderProgressOnly(10, 100, 300, 40, 0.5f); }},
      {"ActivationProgressDistance", [] { ActivationProgressDistance(800, 600, 50, 1); }},
      {"RoundButtonActivation", [] { RoundButtonActivation(800, 600, 50, 0.5f); }},
      {"BlinkingArrow", [] { BlinkingArrow(800, 300, 40, 40, 2, true); }},
      {"BlinkingArrowSlider", [] { BlinkingArrowSlider(800, 300, 40, 40, 0, true); }},
      {"RoundHalo", [] { RoundHalo(200, 200, 60); }},
      {"RectangleHalo", [] { RectangleHalo(200, 200, 120, 80); }},
      {"SliderHalo", [] { SliderHalo(200, 200, 120, 80); }},
      {"WebcamVignette", [] { WebcamVignette(150, 110); }},
      {"RecordingOverlayBackground", [] { RecordingOverlayBackground(300, 300, 200, 100, true); }},
      {"DrawIcon", [] { DrawIcon(UI_ICON_HOME, 100, 100, true); }},
      {"VolumeResponseCurveBackground", [] { VolumeResponseCurveBackground(300, 300, 100, 100); }},
      {"DrawFPSIndicator", [] { DrawFPSIndicator(5, 300, 55, 40, 0, true, true); }},
      {"DrawMeterGradient", [] { DrawMeterGradient(0.8f, true, nullptr); }},
      {"DrawVUMeter", [] { DrawVUMeter(100, 300, 20, 120, 0.7f, true, true); }},
      {"DrawVolumeMixer", [font] { DrawVolumeMixer(300, 500, 250, 150, 80, 60, 40, 20, 1, font); }},
      {"DrawHitSpeedCurve", [font] { DrawHitSpeedCurve(600, 300, 100, 100, 0.5f, 0.5f, 5, curve, font); }},
  };
}

// A vertex colour as 0..255 red, green and blue and alpha in hundredths.
using Shade = std::array<int, 4>;

// The shade of every vertex a drawing sends, with its window x (feedback mode: nothing is drawn).
std::vector<std::pair<float, Shade>> VertexShades(const std::function<void()>& draw) {
  std::vector<GLfloat> buffer(1 << 20);
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const GLint n = glRenderMode(GL_RENDER);
  EXPECT_GE(n, 0) << "feedback buffer too small";
  std::vector<std::pair<float, Shade>> out;
  auto vertex = [&](GLint& i) {
    auto c = [&](int k, float scale) { return static_cast<int>(std::lround(buffer[i + 3 + k] * scale)); };
    out.push_back({buffer[i], {c(0, 255), c(1, 255), c(2, 255), c(3, 100)}});
    i += 7;  // x, y, z, r, g, b, a
  };
  for (GLint i = 0; i < n;) {
    const GLint token = static_cast<GLint>(buffer[i++]);
    if (token == GL_POLYGON_TOKEN) {
      for (GLint k = static_cast<GLint>(buffer[i++]); k > 0; --k) vertex(i);
    } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
      vertex(i);
      vertex(i);
    } else if (token == GL_PASS_THROUGH_TOKEN) {
      ++i;
    } else {
      vertex(i);  // a point, bitmap or pixel rectangle
    }
  }
  return out;
}

}  // namespace

TEST_F(WidgetDrawingTest, EveryDrawingLeavesGlStateAsFoundInModes0And1) {
  Font font;
  ASSERT_TRUE(font.Init(kFontPath, 16, nullptr, 0));
  // A caller's scissor box, stencil settings and bound texture survive too.
  glScissor(1, 2, 300, 400);
  GLuint callers_texture = 0;
  glGenTextures(1, &callers_texture);
  glBindTexture(GL_TEXTURE_2D, callers_texture);
  glStencilFunc(GL_ALWAYS, 1, 1);
  glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
  glShadeModel(GL_FLAT);
  for (int mode : {0, 1}) {
    graphics_mode = mode;
    for (const Drawing& d : AllDrawings(&font)) {
      GlStateSnapshot before;
      GLint box_before[4], func_before, op_before;
      glGetIntegerv(GL_SCISSOR_BOX, box_before);
      glGetIntegerv(GL_STENCIL_FUNC, &func_before);
      glGetIntegerv(GL_STENCIL_PASS_DEPTH_PASS, &op_before);
      d.draw();
      EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << d.name;
      glColor4fv(before.colour.data());  // the current colour may change
      GlStateSnapshot after;
      EXPECT_TRUE(before == after) << d.name << " in mode " << mode;
      GLint box_after[4], func_after, op_after;
      glGetIntegerv(GL_SCISSOR_BOX, box_after);
      glGetIntegerv(GL_STENCIL_FUNC, &func_after);
      glGetIntegerv(GL_STENCIL_PASS_DEPTH_PASS, &op_after);
      EXPECT_EQ(std::vector<GLint>(box_before, box_before + 4), std::vector<GLint>(box_after, box_after + 4))
          << d.name;
      EXPECT_EQ(func_before, func_after) << d.name;
      EXPECT_EQ(op_before, op_after) << d.name;
      GLint shade;
      glGetIntegerv(GL_SHADE_MODEL, &shade);
      EXPECT_EQ(shade, GL_FLAT) << d.name;
      GLfloat line_width;
      glGetFloatv(GL_LINE_WIDTH, &line_width);
      EXPECT_EQ(line_width, 1.0f) << d.name;
    }
  }
}

// The palette reaches GL: each drawing sends vertices in its colour (alpha compared where
// another colour of the drawing shares the red, green and blue; -1: any alpha).
TEST_F(WidgetDrawingTest, WidgetsAreDrawnInThePaletteColours) {
  struct Row {
    const char* name;
    int mode;
    std::function<void()> draw;
    Shade shade;
  };
  const Row rows[] = {
      {"shadow", 0, [] { ButtonBackground(10, 700, 140, 32, false, false, true, false); }, {21, 20, 18, -1}},
      {"scroll bar", 0, [] { ScrollBar(10, 450, 20, 100, false, false); }, {235, 234, 232, -1}},
      {"button base", 0, [] { ButtonBackground(10, 700, 140, 32, false, false, false, false); }, {181, 180, 178, -1}},
      {"button face", 0, [] { ButtonBackground(10, 700, 140, 32, false, false, false, false); }, {224, 223, 221, -1}},
      {"hot button", 0, [] { ButtonBackground(10, 700, 140, 32, true, false, false, false); }, {235, 234, 232, -1}},
      {"pressed button", 0, [] { ButtonBackground(10, 700, 140, 32, false, true, false, false); }, {235, 234, 232, -1}},
      {"greyed button base", 0, [] { ButtonBackgroundGreyed(10, 650, 140, 32, false, false); }, {181, 180, 178, -1}},
      {"greyed button face", 0, [] { ButtonBackgroundGreyed(10, 650, 140, 32, false, false); }, {224, 223, 221, -1}},
      {"edit box", 0, [] { EditBoxBackground(10, 600, 200, 32, false, false, false); }, {235, 234, 232, -1}},
      {"active edit box", 0, [] { EditBoxBackground(10, 600, 200, 32, true, false, false); }, {245, 244, 242, -1}},
      {"radio mark", 0, [] { CheckBox(40, 550, 24, 24, true, false, true, false, false); }, {51, 50, 48, -1}},
      {"hitable in-air button", 0,
       [] { RoundButtonBackgroundDistance(500, 600, 50, true, false, true, false, false, false); }, {240, 239, 237, -1}},
      {"deactivated in-air base", 0,
       [] { RoundButtonBackgroundDistance(500, 600, 50, false, false, false, false, false, false); }, {181, 180, 178, -1}},
      {"deactivated in-air face", 0,
       [] { RoundButtonBackgroundDistance(500, 600, 50, false, false, false, false, false, false); }, {224, 223, 221, -1}},
      {"deactivated hot in-air face", 0,
       [] { RoundButtonBackgroundDistance(500, 600, 50, false, true, false, false, false, false); }, {235, 234, 232, -1}},
      {"button cloud", 0, [] { RoundButtonBackgroundDistanceVisibility(500, 600, 50); }, {219, 218, 216, 100}},
      {"text panel", 1, [] { TextDistanceVisibility(400, 300, 200, 60); }, {239, 238, 236, 90}},
      {"in-air slider fill", 0, [] { SliderDistance(400, 400, 200, 60, 0.5f, true, false, false, true, false, false); },
       {157, 180, 233, -1}},
      {"hot in-air slider fill", 0,
       [] { SliderDistance(400, 400, 200, 60, 0.5f, true, true, false, true, false, false); }, {139, 173, 251, -1}},
      {"progress bar", 0, [] { SliderProgressOnly(10, 100, 300, 40, 0.5f); }, {139, 173, 251, -1}},
      {"arrow", 0, [] { BlinkingArrow(800, 300, 40, 40, 2, false); }, {87, 137, 213, -1}},
      {"slider arrow", 0, [] { BlinkingArrowSlider(800, 300, 40, 40, 0, false); }, {255, 255, 153, -1}},
      {"recording overlay", 0, [] { RecordingOverlayBackground(300, 300, 200, 100, false); }, {255, 255, 255, -1}},
  };
  for (const Row& row : rows) {
    graphics_mode = row.mode;
    const auto shades = VertexShades(row.draw);
    const bool found = std::any_of(shades.begin(), shades.end(), [&](const auto& v) {
      return std::equal(row.shade.begin(), row.shade.begin() + 3, v.second.begin()) &&
             (row.shade[3] < 0 || row.shade[3] == v.second[3]);
    });
    EXPECT_TRUE(found) << row.name;
  }
  // The camera picture's frame (mapping at its defaults, centre column 159.5): away from the
  // vertical, the left half in the left shades only and the right half in the right ones.
  const auto shades = VertexShades([] { WebcamVignette(100, 80); });
  std::set<Shade> left, right;
  for (const auto& [x, shade] : shades) {
    if (x < 119.5f) left.insert(shade);
    if (x > 199.5f) right.insert(shade);
  }
  EXPECT_EQ(left, (std::set<Shade>{{125, 124, 122, 0}, {125, 124, 122, 100}, {209, 208, 206, 100},
                                   {21, 20, 18, 50}, {21, 20, 18, 15}, {21, 20, 18, 0}}));
  EXPECT_EQ(right, (std::set<Shade>{{239, 238, 236, 0}, {239, 238, 236, 100}, {209, 208, 206, 100},
                                    {21, 20, 18, 0}}));
}

// An edit box, however low (a list box of no lines is 6 high), draws nothing outside its
// rectangle: its corners never round more than half its height.
TEST_F(WidgetDrawingTest, EditBoxesStayInsideTheirRectangle) {
  for (const int h : {6, 8, 11, 32}) {
    gl.Clear(0, 0, 0, 1);
    EditBoxBackground(10, 600, 200, static_cast<float>(h), false, false, false);
    EXPECT_EQ(gl.CountDiffering(0, 600, 230, 610, {0, 0, 0, 255}), 0) << h;
    EXPECT_EQ(gl.CountDiffering(0, 540, 230, 600 - h, {0, 0, 0, 255}), 0) << h;
    EXPECT_EQ(gl.CountDiffering(0, 540, 10, 610, {0, 0, 0, 255}), 0) << h;
    EXPECT_GT(gl.CountDiffering(10, 600 - h, 210, 600, {0, 0, 0, 255}), 0) << h;
  }
}

TEST_F(WidgetDrawingTest, ButtonFacesShowHotAndPressed) {
  const int x = 100, y = 400, w = 140, h = 32;
  ButtonBackground(x, y, w, h, false, false, false, false);
  EXPECT_TRUE(Near(gl.Pixel(x + w / 2, y - h / 2), Rgb(224, 223, 221)));
  // Unpressed: the face reaches 1.4 pixels in from the left, over the rim.
  EXPECT_TRUE(Near(gl.Pixel(x + 2, y - h / 2), Rgb(224, 223, 221)));
  gl.Clear(0, 0, 0, 1);
  ButtonBackground(x, y, w, h, true, false, false, false);
  EXPECT_TRUE(Near(gl.Pixel(x + w / 2, y - h / 2), Rgb(235, 234, 232)));
  // Pressed: the active face whatever the hot flag, shifted so that the base shows at the left.
  for (bool hot : {false, true}) {
    gl.Clear(0, 0, 0, 1);
    ButtonBackground(x, y, w, h, hot, true, false, false);
    EXPECT_TRUE(Near(gl.Pixel(x + w / 2, y - h / 2), Rgb(235, 234, 232)));
    EXPECT_TRUE(Near(gl.Pixel(x + 2, y - h / 2), Rgb(181, 180, 178)));
  }
  // A greyed button never has a shadow.
  gl.Clear(0, 0, 0, 1);
  ButtonBackgroundGreyed(x, y, w, h, true, false);
  EXPECT_EQ(gl.CountDiffering(x + w + 1, y - h - 9, x + w + 9, y - h, Rgb(0, 0, 0)), 0);
  // The round button's face is centred on its centre.
  gl.Clear(0, 0, 0, 1);
  RoundButtonBackground(x, y, 30, false, false, false, false);
  EXPECT_TRUE(Near(gl.Pixel(x, y), Rgb(224, 223, 221)));
  // And it is a disc of its radius: as many pixels as pi r^2.
  EXPECT_NEAR(gl.CountDiffering(x - 40, y - 40, x + 40, y + 40, Rgb(0, 0, 0), 0), M_PI * 30 * 30, 50);
}

TEST_F(WidgetDrawingTest, CheckBoxMarks) {
  const int x = 100, y = 400;
  for (bool radio : {false, true}) {
    gl.Clear(1, 1, 1, 1);
    CheckBox(x, y, 24, 24, radio, false, false, true, true);
    // No mark: nothing darker than the bevel inside the face.
    int dark = 0;
    for (int py = y - 20; py < y - 5; ++py)
      for (int px = x + 6; px < x + 20; ++px)
        if (gl.Pixel(px, py)[0] < 150) ++dark;
    EXPECT_EQ(dark, 0) << "radio " << radio;
  }
  gl.Clear(1, 1, 1, 1);
  CheckBox(x, y, 24, 24, true, false, true, false, false);
  EXPECT_TRUE(Near(gl.Pixel(x + 12, y - 12), Rgb(51, 50, 48)));
  gl.Clear(1, 1, 1, 1);
  CheckBox(x, y, 24, 24, false, false, true, false, false);
  EXPECT_GT(gl.CountDiffering(x + 4, y - 22, x + 22, y - 4, Rgb(235, 234, 232), 60), 5);
  GLboolean smooth;
  glGetBooleanv(GL_LINE_SMOOTH, &smooth);
  EXPECT_FALSE(smooth);
}

TEST_F(WidgetDrawingTest, SliderFill) {
  const int x = 100, y = 400, w = 200, h = 30;
  // Less than two pixels of value: the track only.
  SliderBackground(x, y, w, h, 1.5f / w, true, false, false, false);
  EXPECT_TRUE(Near(gl.Pixel(x + 8, y - h / 2), Rgb(235, 234, 232)));
  gl.Clear(0, 0, 0, 1);
  SliderBackground(x, y, w, h, 1, true, false, false, false);
  const auto fill = gl.Pixel(x + w - 10, y - h / 2);
  EXPECT_FALSE(Near(fill, Rgb(235, 234, 232), 10));
  EXPECT_GT(fill[2], fill[0]) << "blue fill";
}

TEST_F(WidgetDrawingTest, InAirButtonIsAFlatDiscInSimplifiedModes) {
  const int cx = 400, cy = 400, r = 50;
  for (int mode : {1, 3}) {
    graphics_mode = mode;
    gl.Clear(0, 0, 0, 1);
    RoundButtonBackgroundDistance(cx, cy, r, true, false, true, true, false, true);
    EXPECT_TRUE(Near(gl.Pixel(cx, cy), Rgb(240, 239, 237)));
    EXPECT_TRUE(Near(gl.Pixel(cx, cy - r + 2), Rgb(240, 239, 237))) << "no bevel in mode " << mode;
    EXPECT_TRUE(Near(gl.Pixel(cx + r + 6, cy - r - 6), Rgb(0, 0, 0))) << "no shadow";
    // Not hitable: the face over the base, which shows as a rim at the bottom and the right.
    gl.Clear(0, 0, 0, 1);
    RoundButtonBackgroundDistance(cx, cy, r, true, false, false, true, false, true);
    EXPECT_TRUE(Near(gl.Pixel(cx, cy), Rgb(224, 223, 221))) << "face in mode " << mode;
    EXPECT_TRUE(Near(gl.Pixel(cx, cy - r + 2), Rgb(181, 180, 178))) << "rim below in mode " << mode;
    EXPECT_TRUE(Near(gl.Pixel(cx + r - 2, cy), Rgb(181, 180, 178))) << "rim right in mode " << mode;
  }
  for (int mode : {0, 2, 4}) {
    graphics_mode = mode;
    gl.Clear(0, 0, 0, 1);
    RoundButtonBackgroundDistance(cx, cy, r, true, false, true, true, false, true);
    EXPECT_TRUE(Near(gl.Pixel(cx, cy), Rgb(240, 239, 237)));
    EXPECT_FALSE(Near(gl.Pixel(cx, cy - r + 2), Rgb(240, 239, 237), 20)) << "bevel in mode " << mode;
  }
  // Deactivated: no shadow even when asked.
  graphics_mode = 0;
  gl.Clear(1, 1, 1, 1);
  RoundButtonBackgroundDistance(cx, cy, r, false, false, false, true, false, true);
  EXPECT_EQ(gl.CountDiffering(cx + r + 2, cy - r - 10, cx + r + 10, cy - r + 10, Rgb(255, 255, 255)), 0);
  gl.Clear(1, 1, 1, 1);
  RoundButtonBackgroundDistance(cx, cy, r, true, false, false, true, false, true);
  EXPECT_GT(gl.CountDiffering(cx - r, cy - r - 12, cx + r + 12, cy - r, Rgb(255, 255, 255)), 0);
}

TEST_F(WidgetDrawingTest, InAirSliderFillAndProgressBar) {
  const int x = 100, y = 400, w = 300, h = 60;
  for (int mode : {0, 1}) {
    graphics_mode = mode;
    gl.Clear(0, 0, 0, 1);
    SliderDistance(x, y, w, h, 0, true, false, false, true, false, false);
    const auto track = gl.Pixel(x + w - 20, y - h / 2);
    EXPECT_TRUE(Near(gl.Pixel(x + 20, y - h / 2), track)) << "no fill at 0, mode " << mode;
    gl.Clear(0, 0, 0, 1);
    SliderDistance(x, y, w, h, 1, true, false, false, true, false, false);
    EXPECT_FALSE(Near(gl.Pixel(x + w - 20, y - h / 2), track, 10)) << "full fill, mode " << mode;
    EXPECT_TRUE(Near(gl.Pixel(x + 20, y - h / 2), gl.Pixel(x + w - 20, y - h / 2)));
  }
  graphics_mode = 0;
  gl.Clear(0, 0, 0, 1);
  SliderProgressOnly(x, y, w, h, 1.9f / w);
  EXPECT_EQ(gl.CountDiffering(0, 0, gl.width(), gl.height(), Rgb(0, 0, 0)), 0);
  SliderProgressOnly(x, y, w, h, 0.5f);
  EXPECT_TRUE(Near(gl.Pixel(x + 50, y - h / 2), Rgb(139, 173, 251)));
  EXPECT_TRUE(Near(gl.Pixel(x + w - 50, y - h / 2), Rgb(0, 0, 0)));
}

TEST_F(WidgetDrawingTest, IconsSitAtTheirLowerLeftCornerAndShiftWhenPressed) {
  std::vector<unsigned char> red(8 * 6 * 4);
  for (size_t i = 0; i < red.size(); i += 4) {
    red[i] = 255;
    red[i + 3] = 255;
  }
  home_icon.Init(Image::RGBA, 8, 6, red.data());
  DrawIcon(UI_ICON_HOME, 100, 100, false);
  EXPECT_TRUE(Near(gl.Pixel(100, 100), Rgb(255, 0, 0)));
  EXPECT_TRUE(Near(gl.Pixel(107, 105), Rgb(255, 0, 0)));
  EXPECT_TRUE(Near(gl.Pixel(108, 100), Rgb(0, 0, 0)));
  gl.Clear(0, 0, 0, 1);
  DrawIcon(UI_ICON_HOME, 100, 100, true);
  EXPECT_TRUE(Near(gl.Pixel(100, 100), Rgb(0, 0, 0)));
  EXPECT_TRUE(Near(gl.Pixel(102, 98), Rgb(255, 0, 0)));
  EXPECT_TRUE(Near(gl.Pixel(109, 103), Rgb(255, 0, 0)));
  home_icon.CleanUp();
  // Each icon draws its own picture (the others have none).
  const std::pair<UIIconID, Image*> icons[] = {
      {UI_ICON_FULLSCREEN, &fullscreen_icon}, {UI_ICON_WINDOWED, &windowed_icon},   {UI_ICON_HOME, &home_icon},
      {UI_ICON_T, &t_icon},                   {UI_ICON_T_CROSSED, &t_crossed_icon}, {UI_ICON_THREE_D, &three_d_icon},
      {UI_ICON_THREE_D_CROSSED, &three_d_crossed_icon}};
  for (const auto& [id, image] : icons) {
    gl.Clear(0, 0, 0, 1);
    image->Init(Image::RGBA, 8, 6, red.data());
    DrawIcon(id, 200, 100, false);
    EXPECT_TRUE(Near(gl.Pixel(200, 100), Rgb(255, 0, 0))) << "icon " << id;
    image->CleanUp();
  }
}

// The title artwork: 880 pixels wide, centred, its top 20 pixels under the window's.
TEST_F(WidgetDrawingTest, BackgroundTitleIsCentredUnderTheTop) {
  // Pictures large enough that the clamped edges blend only within a few pixels.
  std::vector<unsigned char> green(64 * 48 * 4, 0), red(256 * 64 * 4, 0);
  for (size_t i = 0; i < green.size(); i += 4) green[i + 1] = green[i + 3] = 255;
  for (size_t i = 0; i < red.size(); i += 4) red[i] = red[i + 3] = 255;
  hand.Init(Image::RGBA, 64, 48, green.data());
  text.Init(Image::RGBA, 256, 64, red.data());
  DrawBackground(true);
  const int left = (gl.width() - 880) / 2, top = gl.height() - 20;
  const struct {
    int x, y;
    bool title;
  } probes[] = {{left + 5, top - 5, true},   {left + 875, top - 215, true}, {left - 5, top - 5, false},
                {left + 885, top - 5, false}, {left + 5, top + 5, false},   {left + 5, top - 225, false}};
  for (const auto& p : probes)
    EXPECT_TRUE(Near(gl.Pixel(p.x, p.y), p.title ? Rgb(255, 0, 0) : Rgb(0, 255, 0))) << p.x << "," << p.y;
  text.CleanUp();
  hand.CleanUp();
}

TEST_F(WidgetDrawingTest, FrameRateIndicatorAndMeters) {
  for (int mode : {0, 1}) {
    graphics_mode = mode;
    DrawFPSIndicator(5, 300, 55, 40, 0, true, true);
    EXPECT_TRUE(Near(gl.Pixel(30, 280), Rgb(85, 242, 23))) << mode;
    DrawFPSIndicator(5, 300, 55, 40, 2, true, true);
    EXPECT_TRUE(Near(gl.Pixel(30, 280), Rgb(245, 57, 20))) << mode;
  }
  graphics_mode = 0;
  float top[3] = {-1, -1, -1};
  DrawMeterGradient(0, true, top);
  EXPECT_EQ(top[0], -1) << "nothing for an empty meter";
  DrawMeterGradient(1, true, top);
  EXPECT_NEAR(top[0], 1, 1e-5);
  EXPECT_NEAR(top[1], 0, 1e-5);
  // The VU meter rises from the bottom to the level, clipped to its face.
  gl.Clear(0, 0, 0, 1);
  DrawVUMeter(100, 400, 30, 200, 0.5f, false, true);
  const auto low = gl.Pixel(115, 220);
  EXPECT_GT(low[1], 200);
  EXPECT_LT(low[2], 60) << "meter colour near the bottom";
  EXPECT_TRUE(Near(gl.Pixel(115, 380), Rgb(235, 234, 232))) << "face above the level";
}

TEST_F(WidgetDrawingTest, VolumeMixerFadersFollowTheirVolumes) {
  Font font;
  ASSERT_TRUE(font.Init(kFontPath, 16, nullptr, 0));
  const float x = 300, y = 500, w = 250, h = 150;
  const float s = (w - 50) * 0.33f;
  const int master_x = static_cast<int>(x + 25), drums_x = static_cast<int>(x + 25 + s);
  gl.Clear(0, 0, 0, 1);
  DrawVolumeMixer(x, y, w, h, /*drums*/ 0, /*master*/ 100, 50, 50, 1, &font);
  // Master at 100: its fader's top is 20 pixels above y.
  EXPECT_FALSE(Near(gl.Pixel(master_x + 15, static_cast<int>(y) + 17), Rgb(0, 0, 0), 20));
  EXPECT_TRUE(Near(gl.Pixel(master_x + 15, static_cast<int>(y) + 23), Rgb(0, 0, 0), 20));
  // Drums at 0: its fader's centre is on the bottom line.
  EXPECT_FALSE(Near(gl.Pixel(drums_x + 15, static_cast<int>(y - h) - 17), Rgb(0, 0, 0), 20));
  EXPECT_FALSE(Near(gl.Pixel(drums_x + 15, static_cast<int>(y - h) + 17), Rgb(0, 0, 0), 20));
  EXPECT_TRUE(glIsEnabled(GL_BLEND)) << "the caller's blending stays on";
}

TEST_F(WidgetDrawingTest, HitSpeedCurveWithOnePointDoesNotDivideByZero) {
  // A spacing of w / 0 would put the area's vertices at NaN or infinity and draw nothing: the
  // area under a one-point curve must reach the current hit speed (half the width), no further.
  const float one[1] = {0.5f};
  const int x = 100, y = 400, w = 100, h = 100;
  for (int count : {1, 0}) {
    gl.Clear(0, 0, 0, 1);
    DrawHitSpeedCurve(x, y, w, h, 0.5f, 0.5f, count, count ? one : nullptr, nullptr);
    const auto panel = gl.Pixel(x + w / 2, y - h - 20);
    EXPECT_EQ(Near(gl.Pixel(x + w / 4, y - h + h / 4), panel, 20), count == 0) << "count " << count;
    EXPECT_TRUE(Near(gl.Pixel(x + 3 * w / 4, y - h + h / 4), panel, 20)) << "count " << count;
  }
}

TEST_F(WidgetDrawingTest, HitSpeedCurveVolumeLabelBreaksIntoLines) {
  Font font;
  ASSERT_TRUE(font.Init(kFontPath, 16, nullptr, 0));
  const int x = 300, y = 400, fh = 16;
  // Each language's lines, bottom one first: glyphs in each line's band, nothing right of them.
  for (const auto& [language, lines] : {std::pair<const char*, std::vector<const char*>>{"en", {"Volume"}},
                                        {"de", {"stärke", "Laut-"}}}) {
    SetLanguage(language);
    gl.Clear(1, 1, 1, 1);
    DrawHitSpeedCurve(x, y, 100, 100, 0.5f, 0.5f, 0, nullptr, &font);
    for (size_t i = 0; i < lines.size(); ++i) {
      const int bottom = y + 8 + static_cast<int>(fh * GetLineHeightRatio() * static_cast<float>(i));
      const int end = x - 4 + static_cast<int>(font.GetWidth(lines[i]));
      EXPECT_GT(gl.CountDiffering(x - 4, bottom, end, bottom + fh, Rgb(255, 255, 255), 128), 10) << lines[i];
      EXPECT_EQ(gl.CountDiffering(end + 1, bottom, x + 100, bottom + fh, Rgb(255, 255, 255), 128), 0) << lines[i];
    }
  }
  SetLanguage("en");
}

TEST_F(WidgetDrawingTest, VignetteHalvesMeetWithoutAStep) {
  // Camera and window pixels alike (the mapping's defaults): the middle of the rim at the top
  // and the bottom of the ellipse, across the centre column.
  WebcamVignette(100, 80);
  for (int row : {201, 38}) {
    int largest = 0;
    for (int px = 150; px < 170; ++px)
      largest = std::max(largest, std::abs(gl.Pixel(px + 1, row)[0] - gl.Pixel(px, row)[0]));
    EXPECT_LE(largest, 8) << "row " << row;
  }
}
