#include "render/widget_drawing.h"

#include <GL/gl.h>

#include <algorithm>

#include "render/widget_drawing_state.h"
#include "frame/window.h"
#include "render/ui_style.h"

namespace {

struct Box {
  float x, y, w, h;
};

// The common bevelled widget: drop shadow, bevel band, optional 1-pixel feathered band, base
// and face, each with a feathered edge when antialias is set.
void Bevelled(float x, float y, float w, float h, float cr, float t, bool raised, float bevel_alpha,
              float antialias_alpha, bool shadow, const Box& base, const float* base_colour,
              const Box& face, const float* face_colour, bool antialias) {
  if (shadow) RoundedRectShadow(x, y, w, h, cr);
  RoundedRectGradientOutline(x + t, y - t, w - 2 * t, h - 2 * t, cr, t, raised, false, bevel_alpha);
  if (antialias) RoundedRectGradientOutline(x, y, w, h, cr + t, 1, raised, true, antialias_alpha);
  glColor4fv(base_colour);
  RoundedRectSolid(base.x, base.y, base.w, base.h, cr);
  if (antialias) RoundedRectOutline(base.x, base.y, base.w, base.h, cr, 1, base_colour, 0);
  glColor4fv(face_colour);
  RoundedRectSolid(face.x, face.y, face.w, face.h, cr);
  if (antialias) RoundedRectOutline(face.x, face.y, face.w, face.h, cr, 1, face_colour, 0);
}

Box R1(float x, float y, float w, float h) { return {x + 1.6f, y - 1.6f, w - 3.2f, h - 3.2f}; }
Box R2(float x, float y, float w, float h) { return {x + 1.6f, y - 1.6f, w - 4.2f, h - 4.2f}; }
Box F1(float x, float y, float w, float h) { return {x + 1.4f, y - 1.4f, w - 4.7f, h - 4.7f}; }
Box F2(float x, float y, float w, float h) { return {x + 3.1f, y - 3.1f, w - 4.7f, h - 4.7f}; }

}  // namespace

void TexturedQuad(const Image& image, float x0, float y0, float x1, float y1) {
  glBindTexture(GL_TEXTURE_2D, image.texture);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 1);
  glVertex2f(x0, y0);
  glTexCoord2f(1, 1);
  glVertex2f(x1, y0);
  glTexCoord2f(1, 0);
  glVertex2f(x1, y1);
  glTexCoord2f(0, 0);
  glVertex2f(x0, y1);
  glEnd();
}

void DrawBackground(bool with_title) {
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  const float W = static_cast<float>(window_services.width ? window_services.width() : viewport[2]);
  const float H = static_cast<float>(window_services.height ? window_services.height() : viewport[3]);
  skyt::TextureGuard texture_guard;
  glEnable(GL_TEXTURE_2D);
  glColor4f(1, 1, 1, 1);
  TexturedQuad(hand, 0, 0, W, H);
  if (with_title && text.width > 0) {
    const float tw = 880.0f;
    const float th = 880.0f * static_cast<float>(text.height) / static_cast<float>(text.width);
    const float left = (W - tw) / 2, top = H - 20;
    TexturedQuad(text, left, top - th, left + tw, top);
  }
  glDisable(GL_TEXTURE_2D);
}

void ButtonBackground(float x, float y, float w, float h, bool hot, bool pressed, bool shadow,
                      bool antialias) {
  const float* face_colour = pressed ? button_active_color : hot ? button_hot_color : button_color;
  Bevelled(x, y, w, h, 6, 1.6f, !pressed, 1, 1, shadow, R1(x, y, w, h), button_bevel_color,
           pressed ? F2(x, y, w, h) : F1(x, y, w, h), face_colour, antialias);
}

void ButtonBackgroundGreyed(float x, float y, float w, float h, bool /*shadow*/, bool antialias) {
  Bevelled(x, y, w, h, 6, 1.6f, true, 0.3f, 0.3f, false, R1(x, y, w, h), button_greyed_bevel_color,
           F1(x, y, w, h), button_greyed_color, antialias);
}

void RoundButtonBackground(float cx, float cy, float r, bool hot, bool pressed, bool shadow,
                           bool antialias) {
  const float x = cx - r, y = cy + r, w = 2 * r, h = 2 * r;
  if (shadow) RoundedRectShadow(cx - r - 1, cy + r + 1, 2 * r, 2 * r, r - 6.1f);
  // The corner radius is half the inner square's side, so every ring is a circle.
  const float cr = (w - 3.2f) / 2;
  const float* face_colour = pressed ? button_active_color : hot ? button_hot_color : button_color;
  Bevelled(x, y, w, h, cr, 1.6f, !pressed, 1, 1, false, R1(x, y, w, h), button_bevel_color,
           pressed ? F2(x, y, w, h) : F1(x, y, w, h), face_colour, antialias);
}

void EditBoxBackground(float x, float y, float w, float h, bool active, bool shadow, bool antialias) {
  const float cr = std::min({6.0f, w / 2, h / 2});
  Bevelled(x, y, w, h, cr, 1.6f, false, 1, 1, shadow, R2(x, y, w, h), button_bevel_color,
           F2(x, y, w, h), active ? edit_box_active_color : edit_box_color, antialias);
}

void CheckBox(float x, float y, float w, float h, bool radio, bool hot, bool checked, bool shadow,
              bool antialias) {
  Bevelled(x, y, w, h, 6, 1.6f, false, 1, 1, shadow, R2(x, y, w, h), button_bevel_color,
           F2(x, y, w, h), hot ? edit_box_active_color : edit_box_color, antialias);
  if (!checked) return;
  if (radio) {
    glColor4fv(radio_selected_color);
    RoundedRectSolid(x + 5, y - 5, w - 10, h - 10, 6);
    if (antialias) RoundedRectOutline(x + 5, y - 5, w - 10, h - 10, 6, 1, radio_selected_color, 0);
    return;
  }
  skyt::EnableGuard smooth(GL_LINE_SMOOTH, true);
  glLineWidth(1.5f);
  glColor4f(0, 0, 0, 1);
  glBegin(GL_LINE_STRIP);
  glVertex2f(static_cast<float>(static_cast<int>(x + w - 5)), static_cast<float>(static_cast<int>(y - 5)));
  glVertex2f(static_cast<float>(static_cast<int>(x + 10)), static_cast<float>(static_cast<int>(y - h + 5)));
  glVertex2f(static_cast<float>(static_cast<int>(x + 5)), static_cast<float>(static_cast<int>(y - h + 9)));
  glEnd();
  glLineWidth(1);
}

void CheckBoxGreyed(float x, float y, float w, float h, bool /*checked*/, bool antialias) {
  static const float base[4] = {181 / 255.0f, 180 / 255.0f, 178 / 255.0f, 0.5f};
  static const float face[4] = {235 / 255.0f, 234 / 255.0f, 232 / 255.0f, 0.5f};
  Bevelled(x, y, w, h, 6, 1.6f, false, 0.5f, 1, false, R2(x, y, w, h), base, F2(x, y, w, h), face,
           antialias);
}

void SliderBackground(float x, float y, float w, float h, float value, bool activated, bool hot,
                      bool shadow, bool antialias) {
  const float bevel_alpha = activated ? 1.0f : 0.5f;
  const Box base{x + 3.2f, y - 3.2f, w - 7.4f, h - 7.4f};
  const Box track{x + 6.2f, y - 6.2f, w - 9.4f, h - 9.4f};
  const float* track_colour =
      activated ? (hot ? edit_box_active_color : edit_box_color) : distance_button_deactivated_color;
  Bevelled(x, y, w, h, 6, 3.2f, false, bevel_alpha, bevel_alpha, shadow && activated, base,
           activated ? button_bevel_color : distance_button_deactivated_bevel_color, track,
           track_colour, antialias);
  const int n = static_cast<int>(w * value);
  if (n < 2) return;
  skyt::ScissorGuard scissor(static_cast<int>(x - 1), static_cast<int>(y - h), n, static_cast<int>(h));
  const float* fill = hot ? distance_slider_highlighted_color : distance_slider_color;
  glColor4fv(fill);
  RoundedRectSolid(track.x, track.y, track.w, track.h, 6);
  if (antialias) RoundedRectOutline(track.x, track.y, track.w, track.h, 6, 1, fill, 0);
}

void ScrollBar(float x, float y, float w, float h, bool shadow, bool antialias) {
  if (shadow) RoundedRectShadow(x, y, w, h, 6);
  glColor4fv(scroll_bar_color);
  RoundedRectSolid(x, y, w, h, 6);
  if (antialias) RoundedRectOutline(x, y, w, h, 6, 1, scroll_bar_color, 0);
}
