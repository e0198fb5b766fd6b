#include "render/ui_style.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "frame/paths.h"
#include "frame/texts.h"

Image text;
Image hand;
Image fullscreen_icon;
Image windowed_icon;
Image home_icon;
Image t_icon;
Image t_crossed_icon;
Image three_d_icon;
Image three_d_crossed_icon;
Image right_foot_too_far_icon;
Image right_foot_too_near_icon;
Image left_foot_too_near_icon;
Image left_foot_too_far_icon;

// ---- Colour functions ---------------------------------------------------------------------

hsv rgb2hsv(rgb in) {
  hsv out{0.0, 0.0, 0.0};
  const double max = std::max({in.r, in.g, in.b});
  const double min = std::min({in.r, in.g, in.b});
  out.v = max;
  if (max <= 0.0) return out;
  const double delta = max - min;
  out.s = delta / max;
  if (delta <= 0.0) return out;  // grey: any hue serves, 0 is kept
  double h;
  if (in.r >= max)
    h = (in.g - in.b) / delta;
  else if (in.g >= max)
    h = 2.0 + (in.b - in.r) / delta;
  else
    h = 4.0 + (in.r - in.g) / delta;
  h *= 60.0;
  if (h < 0.0) h += 360.0;
  out.h = h;
  return out;
}

rgb hsv2rgb(hsv in) {
  if (in.s <= 0.0) return {in.v, in.v, in.v};
  double hh = in.h;
  if (hh >= 360.0) hh = 0.0;
  hh /= 60.0;
  const long i = static_cast<long>(hh);
  const double f = hh - i;
  const double p = in.v * (1.0 - in.s);
  const double q = in.v * (1.0 - in.s * f);
  const double t = in.v * (1.0 - in.s * (1.0 - f));
  switch (i) {
    case 0: return {in.v, t, p};
    case 1: return {q, in.v, p};
    case 2: return {p, in.v, t};
    case 3: return {p, q, in.v};
    case 4: return {t, p, in.v};
    default: return {in.v, p, q};
  }
}

hsv interpolate_hsv(float f, hsv a, hsv b) {
  return {a.h * (1.0 - f) + b.h * f, a.s * (1.0 - f) + b.s * f, a.v * (1.0 - f) + b.v * f};
}

rgb GetMeterColor(float level) {
  return hsv2rgb(interpolate_hsv(level, hsv{120.0, 1.0, 1.0}, hsv{0.0, 1.0, 1.0}));
}

// ---- Corner geometry ----------------------------------------------------------------------

int RadiusToSegmentCount(float radius) { return radius < 20.0f ? 4 : 12; }

namespace {

constexpr int kMaxSegments = 12;
constexpr int kMaxPoints = 4 * kMaxSegments;

struct Point {
  float x, y;
};

// The 4n corner points of a rounded rectangle, clockwise on the screen from the top of the
// left edge; r_draw is the radius the points lie at (r plus a band's thickness for an outer
// ring), around the corner centres of radius r.
int CornerPoints(float x, float y, float w, float h, float r, float r_draw, Point* pts) {
  const int n = RadiusToSegmentCount(r);
  const float step = static_cast<float>(M_PI / 2.0) / n;
  const float cx_l = x + r, cx_r = x + w - r, cy_t = y - r, cy_b = y - h + r;
  for (int k = 0; k < n; ++k) {
    const float c = r_draw * std::cos(k * step), s = r_draw * std::sin(k * step);
    pts[k] = {cx_l - c, cy_t + s};
    pts[2 * n - 1 - k] = {cx_r + c, cy_t + s};
    pts[2 * n + k] = {cx_r + c, cy_b - s};
    pts[4 * n - 1 - k] = {cx_l - c, cy_b - s};
  }
  return 4 * n;
}

}  // namespace

// ---- Base shapes --------------------------------------------------------------------------

void RoundedRectSolid(float x, float y, float w, float h, float radius) {
  Point pts[kMaxPoints];
  const int count = CornerPoints(x, y, w, h, radius, radius, pts);
  glBegin(GL_TRIANGLE_FAN);
  glVertex2f(x + w * 0.5f, y - h * 0.5f);
  for (int i = 0; i < count; ++i) glVertex2f(pts[i].x, pts[i].y);
  glVertex2f(pts[0].x, pts[0].y);
  glEnd();
}

void RoundedRectOutline(float x, float y, float w, float h, float radius, float thickness,
                        const float* colour, float outer_alpha) {
  Point inner[kMaxPoints], outer[kMaxPoints];
  const int count = CornerPoints(x, y, w, h, radius, radius, inner);
  CornerPoints(x, y, w, h, radius, radius + thickness, outer);
  glShadeModel(GL_SMOOTH);
  glBegin(GL_TRIANGLE_STRIP);
  for (int i = 0; i <= count; ++i) {
    const int k = i % count;
    glColor4f(colour[0], colour[1], colour[2], colour[3]);
    glVertex2f(inner[k].x, inner[k].y);
    glColor4f(colour[0], colour[1], colour[2], outer_alpha);
    glVertex2f(outer[k].x, outer[k].y);
  }
  glEnd();
  glShadeModel(GL_FLAT);
}

void RoundedRectGradientOutline(float x, float y, float w, float h, float radius, float thickness,
                                bool raised, bool feather, float alpha) {
  Point inner[kMaxPoints], outer[kMaxPoints];
  const int count = CornerPoints(x, y, w, h, radius, radius, inner);
  CornerPoints(x, y, w, h, radius, radius + thickness, outer);
  const int n = count / 4;
  const float* light = raised ? bevel_light_color : bevel_dark_color;
  const float* dark = raised ? bevel_dark_color : bevel_light_color;
  // Share of the light colour for each point: 1 on the top-left corner, 0 on the bottom-right,
  // blended along the other two corners.
  float light_share[kMaxPoints];
  for (int k = 0; k < n; ++k) {
    const float f = n > 1 ? static_cast<float>(k) / (n - 1) : 0.0f;
    light_share[k] = 1.0f;
    light_share[2 * n - 1 - k] = f;
    light_share[2 * n + k] = 0.0f;
    light_share[4 * n - 1 - k] = 1.0f - f;
  }
  const float outer_alpha = feather ? 0.0f : alpha;
  glShadeModel(GL_SMOOTH);
  glBegin(GL_TRIANGLE_STRIP);
  for (int i = 0; i <= count; ++i) {
    const int k = i % count;
    const float a = light_share[k], b = 1.0f - a;
    const float r = light[0] * a + dark[0] * b, g = light[1] * a + dark[1] * b, bl = light[2] * a + dark[2] * b;
    glColor4f(r, g, bl, alpha);
    glVertex2f(inner[k].x, inner[k].y);
    glColor4f(r, g, bl, outer_alpha);
    glVertex2f(outer[k].x, outer[k].y);
  }
  glEnd();
  glShadeModel(GL_FLAT);
}

void RoundedRect(float x, float y, float w, float h, float radius, const float* colour, bool antialias) {
  glColor4fv(colour);
  RoundedRectSolid(x, y, w, h, radius);
  if (antialias) RoundedRectOutline(x, y, w, h, radius, 1.0f, colour, 0.0f);
}

void RoundedRectShadow(float x, float y, float w, float h, float radius) {
  const float sx = x + 8, sy = y - 8, sw = w - 9, sh = h - 9;
  const float faint[4] = {shadow_color[0], shadow_color[1], shadow_color[2], 0.08f};
  RoundedRectOutline(sx - 5, sy + 5, sw + 10, sh + 10, radius + 5, 5, faint, 0.0f);
  RoundedRectOutline(sx, sy, sw, sh, radius, 5, shadow_color, 0.08f);
}

void HalfRoundedRectSolid(float x, float y, float w, float h, float radius, UIStyleDirection direction) {
  Point pts[kMaxPoints];
  const int count = CornerPoints(x, y, w, h, radius, radius, pts);
  const int n = count / 4;
  // Corners in clockwise order: 0 top-left, 1 top-right, 2 bottom-right, 3 bottom-left.
  const Point exact[4] = {{x, y}, {x + w, y}, {x + w, y - h}, {x, y - h}};
  bool rounded[4] = {false, false, false, false};
  switch (direction) {
    case UI_STYLE_DOWN: rounded[2] = rounded[3] = true; break;
    case UI_STYLE_UP: rounded[0] = rounded[1] = true; break;
    case UI_STYLE_RIGHT: rounded[1] = rounded[2] = true; break;
    case UI_STYLE_LEFT: rounded[0] = rounded[3] = true; break;
  }
  Point ring[kMaxPoints];
  int m = 0;
  for (int c = 0; c < 4; ++c) {
    if (rounded[c]) {
      for (int k = 0; k < n; ++k) ring[m++] = pts[c * n + k];
    } else {
      ring[m++] = exact[c];
    }
  }
  glBegin(GL_TRIANGLE_FAN);
  glVertex2f(x + w * 0.5f, y - h * 0.5f);
  for (int i = 0; i < m; ++i) glVertex2f(ring[i].x, ring[i].y);
  glVertex2f(ring[0].x, ring[0].y);
  glEnd();
}

void Disc(float cx, float cy, float radius, const float* colour) {
  glColor4fv(colour);
  glBegin(GL_TRIANGLE_FAN);
  for (float a = 0.0f; a < 6.28318f; a += 0.19634938f) glVertex2f(cx + radius * std::cos(a), cy + radius * std::sin(a));
  glEnd();
}

void Rect(float x, float y, float w, float h, const float* colour) {
  glColor4fv(colour);
  glRectf(x, y, x + w, y - h);
}

// ---- UI images ----------------------------------------------------------------------------

void InitUIStyle() {
  struct Entry {
    Image* image;
    const char* file;
  };
  const Entry entries[] = {
      {&text, "text.png"},
      {&hand, "background-light.png"},
      {&fullscreen_icon, "to-fullscreen.png"},
      {&windowed_icon, "to-windowed.png"},
      {&home_icon, "home.png"},
      {&t_icon, "t.png"},
      {&t_crossed_icon, "t-crossed.png"},
      {&three_d_icon, "three-d.png"},
      {&three_d_crossed_icon, "three-d-crossed.png"},
      {&right_foot_too_far_icon, "right-foot-too-far.png"},
      {&right_foot_too_near_icon, "right-foot-too-near.png"},
      {&left_foot_too_near_icon, "left-foot-too-near.png"},
      {&left_foot_too_far_icon, "left-foot-too-far.png"},
  };
  for (const Entry& e : entries) e.image->Init(MakePath(kPathImages, GetImageFileName(e.file)).c_str());
}

void CleanUpUI() {
  hand.CleanUp();
  text.CleanUp();
  fullscreen_icon.CleanUp();
  windowed_icon.CleanUp();
  t_icon.CleanUp();
  t_crossed_icon.CleanUp();
}
