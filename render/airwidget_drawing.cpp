#include "render/airwidget_drawing.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "frame/frame_globals.h"
#include "frame/texts.h"
#include "render/font.h"
#include "render/ui_style.h"
#include "render/widget_drawing.h"
#include "render/widget_drawing_state.h"
#include "render/webcam_window.h"

namespace {

constexpr float kPi = 3.14159265358979f;

const float inside_shade[4] = {1.0f, 1.0f, 153 / 255.0f, 0.0f};
const float middle_shade[4] = {1.0f, 1.0f, 153 / 255.0f, 0.9f};
const float state_colors[3][4] = {{85 / 255.0f, 242 / 255.0f, 23 / 255.0f, 1.0f},
                                  {245 / 255.0f, 57 / 255.0f, 20 / 255.0f, 1.0f},
                                  {245 / 255.0f, 57 / 255.0f, 20 / 255.0f, 1.0f}};
const float vrcb_colour[4] = {0.9f, 0.9f, 0.9f, 0.9f};
const float visibility_outer_colour[4] = {219 / 255.0f, 218 / 255.0f, 216 / 255.0f, 0.9f};
const float text_panel_outer_colour[4] = {239 / 255.0f, 238 / 255.0f, 236 / 255.0f, 0.9f};
const float line_light[4] = {0.95f, 0.945f, 0.94f, 1.0f};
const float line_dark[4] = {0.2f, 0.195f, 0.19f, 1.0f};
const float tick_colour[4] = {0.65f, 0.645f, 0.64f, 0.75f};
const float axis_colour[4] = {0.21f, 0.205f, 0.2f, 1.0f};

// Modes 1 and 3 draw plain rectangles and discs only.
bool Simplified() { return DrawsSimplified(graphics_mode); }

void GlRect(float x, float y, float w, float h, const float* colour) {
  glColor4fv(colour);
  glRectf(x, y, x + w, y - h);
}

void SolidWithEdge(float x, float y, float w, float h, float radius, const float* colour,
                   bool antialias) {
  glColor4fv(colour);
  RoundedRectSolid(x, y, w, h, radius);
  if (antialias) RoundedRectOutline(x, y, w, h, radius, 1, colour, 0);
}

// Draws the base with the stencil test on when masked (the caller set the stencil function).
class MaskScope {
 public:
  explicit MaskScope(bool masked) : masked_(masked), was_(glIsEnabled(GL_STENCIL_TEST)) {
    if (masked_) glEnable(GL_STENCIL_TEST);
  }
  ~MaskScope() {
    if (masked_ && !was_) glDisable(GL_STENCIL_TEST);
  }

 private:
  bool masked_;
  GLboolean was_;
};

rgb MeterColourAt(float t) { return GetMeterColor(0.3f * std::pow(t, 11.0f) + 0.7f * t); }

void Arrow(float x, float y, float w, float h, int direction, bool advance, const float* colour,
           int& frame_number) {
  const float inner = kPi * static_cast<float>(frame_number) / 70.0f;
  const double s = std::sin(kPi * std::sin(static_cast<double>(inner)) + 3 * kPi / 2);
  float angle = 0;
  bool known = true;
  switch (direction) {
    case 0: y -= 6 * static_cast<float>(s); angle = 180; break;
    case 1: y += 6 * static_cast<float>(s); angle = 0; break;
    case 2: x += 6 * static_cast<float>(s); angle = -90; break;
    case 3: x -= 6 * static_cast<float>(s); angle = 90; break;
    default: known = false; break;
  }
  static const float points[7][2] = {{0.5f, 1},   {0, 0.5f},    {0.25f, 0.5f}, {0.25f, 0},
                                     {0.75f, 0},  {0.75f, 0.5f}, {1, 0.5f}};
  glPushMatrix();
  glTranslatef(x, y, 0);
  glScalef(w, h, 1);
  if (known) glRotatef(angle, 0, 0, 1);
  glTranslatef(-0.5f, 0, 0);
  glColor4fv(colour);
  glBegin(GL_TRIANGLE_FAN);
  for (const auto& p : points) glVertex2f(p[0], p[1]);
  glEnd();
  {
    skyt::EnableGuard smooth(GL_LINE_SMOOTH, true);
    glLineWidth(4);
    glColor4f(0, 0, 0, 1);
    glBegin(GL_LINE_LOOP);
    for (const auto& p : points) glVertex2f(p[0], p[1]);
    glEnd();
    glLineWidth(1);
  }
  glPopMatrix();
  if (advance) ++frame_number;
}

// A text centred or left-aligned in black.
void Label(const Font* font, float x, float y, int align, const char* s) {
  if (!font || !s) return;
  glColor4f(0, 0, 0, 1);
  font->Print(x, y, static_cast<Font::Alignment>(align), s);
}

// The lines of a '|'-separated label; a '|' at the end only ends the last line.
std::vector<std::string> LabelLines(const char* s) {
  std::vector<std::string> lines(1);
  for (; *s; ++s) {
    if (*s != '|') lines.back() += *s;
    else if (s[1]) lines.emplace_back();
  }
  return lines;
}

}  // namespace

void RoundButtonBackgroundDistance(float cx, float cy, float r, bool activated, bool hot,
                                   bool hitable, bool shadow, bool masked, bool antialias) {
  const float* base = activated ? button_bevel_color : distance_button_deactivated_bevel_color;
  const float* face = activated ? (hot ? button_hot_color : button_color)
                                : (hot ? distance_button_deactivated_hot_color
                                       : distance_button_deactivated_color);
  if (Simplified()) {
    if (hitable) {
      Disc(cx, cy, r, button_hitable_color);
      return;
    }
    {
      MaskScope mask(masked);
      Disc(cx, cy, r, base);
    }
    // The face sits up and left inside the base, touching it at the top left, so that the base
    // shows as a rim at the right and the bottom as in the full drawing.
    constexpr float kRim = 3.2f, kShift = kRim / (1 + std::numbers::sqrt2_v<float>);
    Disc(cx - kShift, cy + kShift, r - (kRim - kShift), face);
    return;
  }
  const float x = cx - r, y = cy + r, cr = r - 4.7f, alpha = activated ? 1.0f : 0.5f;
  if (shadow && activated) RoundedRectShadow(x - 1, y + 1, 2 * r, 2 * r, r - 9.2f);
  RoundedRectGradientOutline(x + 3.2f, y - 3.2f, 2 * r - 6.4f, 2 * r - 6.4f, cr, 3.2f, true, false, alpha);
  if (antialias) RoundedRectGradientOutline(x, y, 2 * r, 2 * r, cr + 3.2f, 1, true, true, alpha);
  {
    MaskScope mask(masked && !hitable);
    SolidWithEdge(x + 3.2f, y - 3.2f, 2 * r - 6.4f, 2 * r - 6.4f, cr, base, antialias);
  }
  SolidWithEdge(x + 3, y - 3, 2 * r - 9.4f, 2 * r - 9.4f, cr, hitable ? button_hitable_color : face,
                antialias);
}

void RoundButtonBackgroundDistanceVisibility(float cx, float cy, float r) {
  if (Simplified()) {
    Disc(cx, cy, r + 50, distance_menu_visibility_color);
    return;
  }
  const float x = cx - r, y = cy + r, cr = r - 4.7f;
  RoundedRectOutline(x - 25, y + 25, 2 * r + 50, 2 * r + 50, cr + 25, 25, visibility_outer_colour, 0);
  RoundedRectOutline(x, y, 2 * r, 2 * r, cr, 25, distance_menu_visibility_color, 0.9f);
}

void SliderDistanceVisibility(float x, float y, float w, float h) {
  if (Simplified()) {
    glColor4fv(distance_menu_visibility_color);
    glRectf(x - 50, y + 50, x + w + 50, y - h - 50);
    return;
  }
  RoundedRectOutline(x - 25, y + 25, w + 50, h + 50, 45, 25, visibility_outer_colour, 0);
  RoundedRectOutline(x, y, w, h, 20, 25, distance_menu_visibility_color, 0.9f);
}

void TextDistanceVisibility(float x, float y, float w, float h) {
  if (Simplified()) {
    glColor4fv(distance_menu_text_visibility_color);
    glRectf(x - 20, y + 20, x + w + 20, y - h);
    return;
  }
  glColor4fv(distance_menu_text_visibility_color);
  RoundedRectSolid(x, y + 10, w, h, 8);
  RoundedRectOutline(x - 10, y + 20, w + 20, h + 20, 18, 10, text_panel_outer_colour, 0);
  RoundedRectOutline(x, y + 10, w, h, 8, 10, distance_menu_text_visibility_color, 0.9f);
}

void SliderDistance(float x, float y, float w, float h, float value, bool activated, bool hot,
                    bool shadow, bool horizontal, bool masked, bool antialias) {
  const float* track = activated ? (hot ? edit_box_active_color : edit_box_color)
                                 : distance_button_deactivated_color;
  const float* fill = hot ? distance_slider_highlighted_color : distance_slider_color;
  const int filled = static_cast<int>((horizontal ? w : h) * value);
  if (Simplified()) {
    {
      MaskScope mask(masked);
      GlRect(x, y, w, h, left_vignette_edge2);
    }
    GlRect(x + 3.2f, y - 3.2f, w - 6.4f, h - 6.4f, track);
    if (filled > 0) {
      glColor4fv(fill);
      if (horizontal)
        glRectf(x + 3.2f, y - 3.2f, x + 3.2f + (w - 6.4f) * value, y - h + 3.2f);
      else
        glRectf(x + 3.2f, y - h + 3.2f + (h - 6.4f) * value, x + w - 3.2f, y - h + 3.2f);
    }
    return;
  }
  const float alpha = activated ? 1.0f : 0.5f;
  if (shadow && activated) RoundedRectShadow(x, y, w, h, 20);
  RoundedRectGradientOutline(x + 3.2f, y - 3.2f, w - 6.4f, h - 6.4f, 20, 3.2f, false, false, alpha);
  if (antialias) RoundedRectGradientOutline(x, y, w, h, 23.2f, 1, false, true, alpha);
  {
    MaskScope mask(masked);
    SolidWithEdge(x + 3.2f, y - 3.2f, w - 7.4f, h - 7.4f, 20,
                  activated ? button_bevel_color : distance_button_deactivated_bevel_color, antialias);
  }
  SolidWithEdge(x + 6.2f, y - 6.2f, w - 9.4f, h - 9.4f, 20, track, antialias);
  if (filled <= 0) return;
  if (horizontal) {
    skyt::ScissorGuard scissor(static_cast<int>(x) - 1, static_cast<int>(y - h),
                               static_cast<int>(w * value), static_cast<int>(h));
    SolidWithEdge(x + 6.2f, y - 6.2f, w - 9.4f, h - 9.4f, 20, fill, antialias);
  } else {
    skyt::ScissorGuard scissor(static_cast<int>(x) - 1, static_cast<int>(y - static_cast<int>(h)),
                               static_cast<int>(w), static_cast<int>(h * value));
    SolidWithEdge(x + 6.2f, y - 6.2f, w - 9.4f, h - 9.4f, 20, fill, antialias);
  }
}

void SliderProgressOnly(float x, float y, float w, float h, float value) {
  const int n = static_cast<int>(value * w);
  if (n < 2) return;
  skyt::ScissorGuard scissor(static_cast<int>(x - 1), static_cast<int>(y - h), n, static_cast<int>(h));
  glColor4fv(distance_slider_progress_only_color);
  RoundedRectSolid(x + 6.2f, y - 6.2f, w - 9.4f, h - 9.4f, 6);
}

void ActivationProgressDistance(float cx, float cy, float r, float progress) {
  glShadeModel(GL_SMOOTH);
  glBegin(GL_TRIANGLE_FAN);
  glColor4f(1, 1, 0.95f, 0.2f);
  glVertex2f(cx, cy);
  const float limit = -2 * kPi * progress;
  const float step = progress * 0.8f / 64;
  float alpha = 0.2f;
  for (float a = 0; a > limit; a -= kPi / 32) {
    glColor4f(1, 1, 0.95f, alpha);
    glVertex2f(cx + r * std::cos(a + kPi / 2), cy + r * std::sin(a + kPi / 2));
    alpha += step;
  }
  glEnd();
  glShadeModel(GL_FLAT);
}

void RoundButtonActivation(float cx, float cy, float r, float progress) {
  glShadeModel(GL_SMOOTH);
  glBegin(GL_TRIANGLE_STRIP);
  float alpha = 0.5f;
  for (float a = 0; a < 6.28318f * progress; a += kPi / 16) {
    glColor4f(1, 1, 1, alpha);
    glVertex2f(cx + (r + 20) * std::cos(a), cy + (r + 20) * std::sin(a));
    glVertex2f(cx + (r + 32) * std::cos(a), cy + (r + 32) * std::sin(a));
    alpha += 0.015625f;
  }
  glEnd();
  glShadeModel(GL_FLAT);
}

void BlinkingArrow(float x, float y, float w, float h, int direction, bool advance) {
  static int frame_number = 0;
  Arrow(x, y, w, h, direction, advance, distance_arrow_color, frame_number);
}

void BlinkingArrowSlider(float x, float y, float w, float h, int direction, bool advance) {
  static int frame_number = 0;
  Arrow(x, y, w, h, direction, advance, distance_arrow_slider_color, frame_number);
}

void RoundHalo(float cx, float cy, float r) {
  const float x = cx - r, y = cy + r;
  RoundedRectOutline(x + 20, y - 20, 2 * r - 40, 2 * r - 40, r - 20, 20, inside_shade, 0.9f);
  RoundedRectOutline(x, y, 2 * r, 2 * r, r, 20, middle_shade, 0);
}

void RectangleHalo(float x, float y, float w, float h) {
  RoundedRectOutline(x + 20, y - 20, w - 40, h - 40, 0, 20, inside_shade, 0.9f);
  RoundedRectOutline(x, y, w, h, 20, 20, middle_shade, 0);
}

void SliderHalo(float x, float y, float w, float h) {
  glColor4fv(middle_shade);
  RoundedRectSolid(x, y, w, h, 20);
  RoundedRectOutline(x, y, w, h, 20, 1, middle_shade, 0);
  RoundedRectOutline(x, y, w, h, 20, 20, middle_shade, 0);
}

namespace {

// How far either side of the vertical the left and the right shades of a frame band blend.
constexpr float kVignetteBlend = kPi / 16;

// colour = left * (1 - t) + right * t.
void MixColour(const float* left, const float* right, float t) {
  float c[4];
  for (int k = 0; k < 4; ++k) c[k] = left[k] + (right[k] - left[k]) * t;
  glColor4fv(c);
}

}  // namespace

void VignetteEdge(float rx, float ry, float d1, float d2, VignetteShade left, VignetteShade right) {
  glBegin(GL_TRIANGLE_STRIP);
  for (int i = 0; i <= 128; ++i) {
    const float a = static_cast<float>(i) * kPi / 64;
    const float c = std::cos(a), s = std::sin(a);
    // 0 on the left half, 1 on the right, a linear blend round the top and the bottom.
    const float t = std::clamp(0.5f + 0.5f * c / std::sin(kVignetteBlend), 0.0f, 1.0f);
    MixColour(left.at_d1, right.at_d1, t);
    glVertex2f(WebcamWindowMapping::WebcamXToWindowX(159.5f + (rx + d1) * c),
               WebcamWindowMapping::WebcamYToWindowY(119.5f + (ry + d1) * s));
    MixColour(left.at_d2, right.at_d2, t);
    glVertex2f(WebcamWindowMapping::WebcamXToWindowX(159.5f + (rx + d2) * c),
               WebcamWindowMapping::WebcamYToWindowY(119.5f + (ry + d2) * s));
  }
  glEnd();
}

void WebcamVignette(float rx, float ry) {
  const VignetteShade none{left_vignette_edge_shadow3, left_vignette_edge_shadow3};
  glShadeModel(GL_SMOOTH);
  VignetteEdge(rx, ry, 100, 3, {left_vignette_edge3, left_vignette_edge3},
               {left_vignette_edge3, left_vignette_edge3});
  VignetteEdge(rx, ry, -1.5f, -4, {left_vignette_edge_shadow2, left_vignette_edge_shadow3}, none);
  VignetteEdge(rx, ry, 0, -1.5f, {left_vignette_edge_shadow1, left_vignette_edge_shadow2}, none);
  VignetteEdge(rx, ry, -0.5f, 0, {left_vignette_edge1, left_vignette_edge2},
               {right_vignette_edge1, right_vignette_edge2});
  VignetteEdge(rx, ry, 0, 3, {left_vignette_edge2, left_vignette_edge3},
               {right_vignette_edge2, right_vignette_edge3});
  glShadeModel(GL_FLAT);
}

void RecordingOverlayBackground(float x, float y, float w, float h, bool antialias) {
  SolidWithEdge(x, y, w, h, 6, recording_overlay_background_color, antialias);
}

void DrawIcon(UIIconID id, int x, int y, bool pressed) {
  const Image* images[] = {&fullscreen_icon, &windowed_icon,  &home_icon,           &t_icon,
                           &t_crossed_icon,  &three_d_icon, &three_d_crossed_icon};
  if (id < 0 || id > 6) return;
  const Image& image = *images[id];
  if (pressed) {
    x += 2;
    y -= 2;
  }
  skyt::TextureGuard texture_guard;
  glEnable(GL_TEXTURE_2D);
  glColor4f(1, 1, 1, 1);
  const float x0 = static_cast<float>(x), y0 = static_cast<float>(y);
  TexturedQuad(image, x0, y0, x0 + static_cast<float>(image.width),
               y0 + static_cast<float>(image.height));
  glDisable(GL_TEXTURE_2D);
}

void VolumeResponseCurveBackground(float x, float y, float w, float h) {
  SolidWithEdge(x - 20, y + 20, w + 40, h + 40, 20, vrcb_colour, true);
}

namespace {

// The sunken frame shared by the frame-rate indicator and the VU meter.
void SunkenFrame(float x, float y, float w, float h, const float* face, bool shadow, bool antialias) {
  if (shadow) RoundedRectShadow(x, y, w, h, 6);
  RoundedRectGradientOutline(x + 1.6f, y - 1.6f, w - 3.2f, h - 3.2f, 6, 1.6f, false, false, 1);
  if (antialias) RoundedRectGradientOutline(x, y, w, h, 7.6f, 1, false, true, 1);
  SolidWithEdge(x + 1.6f, y - 1.6f, w - 4.2f, h - 4.2f, 6, face, antialias);
}

}  // namespace

void DrawFPSIndicator(float x, float y, float w, float h, int state, bool shadow, bool antialias) {
  const float* face = state_colors[state < 0 || state > 2 ? 1 : state];
  if (Simplified()) {
    GlRect(x, y, w, h, left_vignette_edge2);
    GlRect(x + 3.2f, y - 3.2f, w - 6.4f, h - 6.4f, face);
    return;
  }
  SunkenFrame(x, y, w, h, face, shadow, antialias);
}

void DrawMeterGradient(float length, bool vertical, float* top_colour) {
  if (length <= 0) return;
  glShadeModel(GL_SMOOTH);
  glBegin(GL_TRIANGLE_STRIP);
  rgb c{};
  for (int i = 0; i <= 20; ++i) {
    const float t = length * static_cast<float>(i) / 20;
    c = MeterColourAt(t);
    glColor4f(static_cast<float>(c.r), static_cast<float>(c.g), static_cast<float>(c.b), 1);
    if (vertical) {
      glVertex2f(0, t);
      glVertex2f(1, t);
    } else {
      glVertex2f(t, 0);
      glVertex2f(t, 1);
    }
  }
  glEnd();
  glShadeModel(GL_FLAT);
  if (top_colour) {
    top_colour[0] = static_cast<float>(c.r);
    top_colour[1] = static_cast<float>(c.g);
    top_colour[2] = static_cast<float>(c.b);
  }
}

void DrawVUMeter(float x, float y, float w, float h, float level, bool shadow, bool antialias) {
  if (Simplified()) {
    GlRect(x, y, w, h, left_vignette_edge2);
    GlRect(x + 3.2f, y - 3.2f, w - 6.4f, h - 6.4f, edit_box_color);
    return;
  }
  SunkenFrame(x, y, w, h, edit_box_color, shadow, antialias);
  skyt::EnableGuard stencil(GL_STENCIL_TEST, true);
  GLint old_mask = 0, old_clear = 0, old_func = 0, old_ref = 0, old_value_mask = 0;
  GLint old_fail = 0, old_zfail = 0, old_zpass = 0;
  glGetIntegerv(GL_STENCIL_WRITEMASK, &old_mask);
  glGetIntegerv(GL_STENCIL_CLEAR_VALUE, &old_clear);
  glGetIntegerv(GL_STENCIL_FUNC, &old_func);
  glGetIntegerv(GL_STENCIL_REF, &old_ref);
  glGetIntegerv(GL_STENCIL_VALUE_MASK, &old_value_mask);
  glGetIntegerv(GL_STENCIL_FAIL, &old_fail);
  glGetIntegerv(GL_STENCIL_PASS_DEPTH_FAIL, &old_zfail);
  glGetIntegerv(GL_STENCIL_PASS_DEPTH_PASS, &old_zpass);
  glStencilMask(1);
  glClearStencil(0);
  glClear(GL_STENCIL_BUFFER_BIT);
  glStencilFunc(GL_ALWAYS, 1, 1);
  glStencilOp(GL_REPLACE, GL_REPLACE, GL_REPLACE);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  RoundedRectSolid(x + 1.6f, y - 1.6f, w - 4.2f, h - 4.2f, 6);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glStencilFunc(GL_EQUAL, 1, 1);
  glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
  glPushMatrix();
  glTranslatef(x, y - h, 0);
  glScalef(w, h, 1);
  DrawMeterGradient(level, true, nullptr);
  glPopMatrix();
  glStencilFunc(static_cast<GLenum>(old_func), old_ref, static_cast<GLuint>(old_value_mask));
  glStencilOp(static_cast<GLenum>(old_fail), static_cast<GLenum>(old_zfail), static_cast<GLenum>(old_zpass));
  glStencilMask(static_cast<GLuint>(old_mask));
  glClearStencil(old_clear);
}

void DrawVolumeMixer(float x, float y, float w, float h, int drums, int master, int metronome,
                     int songs, int selected, const Font* font) {
  skyt::EnableGuard blend(GL_BLEND, true);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  const float fh = font ? font->GetPixelSize() : 0;
  TextDistanceVisibility(x - 20, y - h - 32, w + 40, 2 * fh);
  const float x0 = x + 25, s = (w - 50) * 0.33f;
  float c[4];
  for (int i = 0; i < 4; ++i) c[i] = x0 + static_cast<float>(i) * s;
  Label(font, c[0], y - h - fh - 14, 1, GetUtf8(kTextMaster));
  Label(font, c[1], y - h - 2 * fh - 26, 1, GetUtf8(kTextDrums));
  Label(font, c[2], y - h - fh - 14, 1, GetUtf8(kTextSongs));
  Label(font, c[3], y - h - 2 * fh - 26, 1, GetUtf8(kTextMetro));
  {
    skyt::EnableGuard smooth(GL_LINE_SMOOTH, true);
    glLineWidth(4);
    glBegin(GL_LINES);
    for (float ci : c) {
      glColor4fv(line_light);
      glVertex2f(ci, y);
      glVertex2f(ci, y - h);
      glColor4fv(line_dark);
      glVertex2f(ci + 2.4f, y);
      glVertex2f(ci + 2.4f, y - h);
    }
    glEnd();
    glLineWidth(1);
  }
  glColor4fv(tick_colour);
  glBegin(GL_LINES);
  for (int k = 0; k <= 4; ++k) {
    const float ty = y - static_cast<float>(k) * h / 4;
    glVertex2f(x, ty);
    glVertex2f(c[0] - 12, ty);
    for (int i = 0; i < 3; ++i) {
      glVertex2f(c[i] + 12, ty);
      glVertex2f(c[i + 1] - 12, ty);
    }
    glVertex2f(c[3] + 12, ty);
    glVertex2f(x + w, ty);
  }
  glEnd();
  // Columns left to right: master, drums, songs, metronome; selected counts in argument order.
  const int volumes[4] = {master, drums, songs, metronome};
  const int index[4] = {1, 0, 3, 2};
  for (int i = 0; i < 4; ++i) {
    const float v = static_cast<float>(volumes[i]);
    ButtonBackground(c[i] - 25, y - (1 - v / 100) * h + 20, 50, 40, selected == index[i], false, true,
                     true);
  }
}

void DrawHitSpeedCurve(float x, float y, float w, float h, float fraction, float value, int count,
                       const float* values, const Font* font) {
  // The volume label stands over the vertical axis, its last line at y + 8 and the panel grown
  // upwards for the lines above it.
  const std::vector<std::string> volume_label = LabelLines(GetUtf8(kTextVolume));
  const float line_step = font ? font->GetPixelSize() * GetLineHeightRatio() : 0;
  const float above = line_step * static_cast<float>(volume_label.size() - 1);
  TextDistanceVisibility(x - 10, y + 15 + above, w + 20, h + 60 + above);
  if (count > 0 && fraction > 0 && values) {
    const float dx = count > 1 ? w / static_cast<float>(count - 1) : w;
    const float limit = x + w * fraction;
    glShadeModel(GL_SMOOTH);
    glBegin(GL_TRIANGLE_STRIP);
    for (int i = 0; i < count; ++i) {
      const float xx = x + static_cast<float>(i) * dx;
      if (xx >= limit) break;
      const rgb col = MeterColourAt(w > 0 ? (xx - x) / w : 0);
      glColor4f(static_cast<float>(col.r), static_cast<float>(col.g), static_cast<float>(col.b), 1);
      glVertex2f(xx, y - h);
      glVertex2f(xx, y - h + values[i] * h);
    }
    const rgb col = MeterColourAt(fraction);
    glColor4f(static_cast<float>(col.r), static_cast<float>(col.g), static_cast<float>(col.b), 1);
    glVertex2f(limit, y - h);
    glVertex2f(limit, y - h + value * h);
    glEnd();
    glShadeModel(GL_FLAT);
  }
  if (count > 0 && values) {
    const float dx = count > 1 ? w / static_cast<float>(count - 1) : 0;
    skyt::EnableGuard smooth(GL_LINE_SMOOTH, true);
    glLineWidth(4);
    glColor4f(0, 0, 0, 1);
    glBegin(GL_LINE_STRIP);
    for (int i = 0; i < count; ++i) glVertex2f(x + static_cast<float>(i) * dx, y - h + values[i] * h);
    glEnd();
    glLineWidth(1);
  }
  glColor4fv(axis_colour);
  glBegin(GL_LINES);
  glVertex2f(x, y - h);
  glVertex2f(x + w, y - h);
  glVertex2f(x, y);
  glVertex2f(x, y - h);
  glEnd();
  for (size_t i = 0; i < volume_label.size(); ++i)
    Label(font, x - 4, y + 8 + above - line_step * static_cast<float>(i), 0, volume_label[i].c_str());
  Label(font, x + w / 2, y - h - 35, 1, GetUtf8(kTextHitSpeed));
}
