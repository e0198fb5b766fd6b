// Drawing of the tracked markers, their labels and the foot line.
#include <GL/gl.h>

#include "drumming/drummer.h"
#include "frame/frame_globals.h"
#include "frame/texts.h"
#include "render/font.h"
#include "render/webcam_window.h"

namespace {

void RenderMocapMarkerLabel(const MocapMarker& marker, int, int, const char* text, const Font* font) {
  if (!marker.WasPresent() || !font || !text) return;
  const MocapMarker::Position& p = *marker.GetLastPosition();
  float x = WebcamWindowMapping::WebcamXToWindowX(p.x + 2) + WebcamWindowMapping::WebcamWidthToWindowWidth(p.radius);
  float y = WebcamWindowMapping::WebcamYToWindowY(239.0f - p.y) - font->GetPixelSize() * 0.5f;
  glColor4f(0, 0, 0, 1);
  font->Print(x, y, Font::ALIGN_LEFT, text);
}

}  // namespace

void Drummer::RenderMocapMarkers(int a, int b, bool smooth) {
  static const float right_hand_color[4] = {1.0f, 0.0f, 0.8f, 1.0f};
  static const float left_hand_color[4] = {0.8f, 0.0f, 1.0f, 1.0f};
  static const float right_foot_color[4] = {1.0f, 0.9f, 0.0f, 1.0f};
  static const float left_foot_color[4] = {1.0f, 0.55f, 0.0f, 1.0f};
  struct Item {
    const MocapMarker* marker;
    float scale;
    const float* colour;
  };
  const Item items[4] = {{&right_hand, 1.0f, right_hand_color},
                         {&left_hand, 1.0f, left_hand_color},
                         {&right_foot, 0.5f, right_foot_color},
                         {&left_foot, 0.5f, left_foot_color}};
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
  glDisable(GL_TEXTURE_2D);
  if (smooth) glEnable(GL_LINE_SMOOTH);
  for (const Item& item : items) {
    if (!smooth) glColor4fv(item.colour);
    item.marker->Render(a, b, smooth, item.scale, item.colour);
  }
  glPopAttrib();
}

void Drummer::RenderMocapMarkerLabels(int width, int height, const Font* font) {
  RenderMocapMarkerLabel(right_hand, width, height, GetUtf8(kTextRightHandShort), font);
  RenderMocapMarkerLabel(left_hand, width, height, GetUtf8(kTextLeftHandShort), font);
  RenderMocapMarkerLabel(right_foot, width, height, GetUtf8(kTextRF), font);
  RenderMocapMarkerLabel(left_foot, width, height, GetUtf8(kTextLF), font);
}

void Drummer::RenderProperties(int width, int, const Font* font) {
  float y = WebcamWindowMapping::WebcamYToWindowY(239.0f - labeler.FootLine());
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_LINE_STIPPLE);
  glLineStipple(3, 0xAAAA);
  glLineWidth(2.0f);
  glColor4f(0, 0, 0, 0.4f);
  glBegin(GL_LINES);
  glVertex2f(0.5f, y);
  glVertex2f(float(width), y);
  glEnd();
  glPopAttrib();
  if (DrawsSimplified(graphics_mode) || !font) return;
  glColor4f(0, 0, 0, 0.4f);
  font->Print((Is_Left_Handed ? 0.16f : 0.68f) * float(width), y + 2.0f, Font::ALIGN_LEFT, GetUtf8(kTextHandMarkers));
}
