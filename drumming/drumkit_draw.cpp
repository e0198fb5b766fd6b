// Kit drawing: drum icons (loaded lazily, animated on hits), pedals with their openness, halos
// round the selected drum, the hit-speed graph, the cymbal choke zones and the placement view.
#include <GL/gl.h>
#include <stb/stb_image.h>

#include <algorithm>
#include <cmath>

#include "drumming/distance_menu.h"
#include "drumming/drumkit.h"
#include "frame/frame_globals.h"
#include "frame/ini_file.h"
#include "frame/texts.h"
#include "frame/window.h"
#include "render/airwidget_drawing.h"
#include "render/font.h"
#include "render/webcam_window.h"

const float not_yet_placed_drum_color[4] = {1.0f, 1.0f, 1.0f, 0.15f};

namespace {

const char kSection[] = "Drumkit calibration";
const float kPedalRow = 26.0f;
const float kFootIconRowFraction = 0.2887029f;

float WindowWidth() { return float(window_services.width()); }
float WindowHeight() { return float(window_services.height()); }
float KitScale() { return WindowHeight() * 0.8f / 1080.0f; }
float WX(float x) { return WebcamWindowMapping::WebcamXToWindowX(x); }
float WY(float y) { return WebcamWindowMapping::WebcamYToWindowY(y); }

// The picture's size without decoding it or making a texture: the compiled-in table by base
// name first, then the file.
bool ProbePicture(const std::string& path, int& w, int& h) {
  size_t slash = path.find_last_of("/\\");
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  base = base.substr(0, base.find('.'));
  int channels = 0;
  auto it = g_embedded_png_map.find(base);
  if (it != g_embedded_png_map.end() &&
      stbi_info_from_memory(it->second.data, int(it->second.size), &w, &h, &channels))
    return true;
  return stbi_info(path.c_str(), &w, &h, &channels) != 0;
}

std::vector<int> DrawingOrder(const Drumkit& kit, std::map<Sound::ElementType, int>& weights) {
  std::vector<int> order(kit.drums.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = int(i);
  std::vector<int> w(order.size());
  for (size_t i = 0; i < order.size(); ++i) w[i] = weights[kit.drums[i].type];
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return w[a] < w[b]; });
  return order;
}

// Calls draw(index, drum, x, y) for each drum that shows its pedal (pedals) or else its drum,
// in drawing order, with the window place of that part.
template <typename Draw>
void ForEachShown(Drumkit& kit, std::map<Sound::ElementType, int>& weights, bool pedals, Draw draw) {
  for (int i : DrawingOrder(kit, weights)) {
    Drumkit::Drum& d = kit.drums[i];
    if (pedals) {
      if (d.category == Sound::CATEGORY_HAND || !(d.foot_size > 0)) continue;
      draw(i, d, WX(d.foot_x), WY(kPedalRow));
    } else {
      if (d.category == Sound::CATEGORY_FOOT || !(d.size > 0)) continue;
      draw(i, d, WX(d.x), WY(239.0f - d.y));
    }
  }
}

const Font* MessageFont(bool full) {
  return full ? DistanceMenu::m_message_font : DistanceMenu::m_message_windowed_font;
}

}  // namespace

void PrintMissing(float x, float y) {
  const Font* font = DistanceMenu::m_message_font;
  if (!font) return;
  float cy = y - font->GetPixelSize() * 0.5f;
  glColor4f(0, 0, 0, 1);
  DistanceMenu::PrintBackground(x, cy, Font::ALIGN_CENTER, "%s", GetUtf8(kTextMissing));
  glColor4f(1, 0, 0, 1);
  font->Print(x, cy, Font::ALIGN_CENTER, GetUtf8(kTextMissing));
}

// ---------------------------------------------------------------------------------------------
// Icons

bool Drumkit::Icon::Init(const char* file, Animation::Type type) {
  return Init(file, std::vector<Animation::Type>{type});
}

bool Drumkit::Icon::Init(const char* file, const std::vector<Animation::Type>& types) {
  int w = 0, h = 0;
  if (!file || !*file || !ProbePicture(file, w, h)) {
    width = height = 128.0f;
    return false;
  }
  width = float(w);
  height = float(h);
  for (Animation::Type t : types) animations.emplace_back(t);
  path = file;
  texture_tried = false;
  return true;
}

void Drumkit::Icon::Draw(float x, float y, float scale, bool tint, bool dim, float t) {
  float W = WindowWidth(), H = WindowHeight();
  x += offset_x;
  y += offset_y;
  glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT);
  if (!texture_tried) {
    texture_tried = true;
    if (!path.empty() && image.Init(path.c_str())) {
      width = float(image.width);
      height = float(image.height);
    }
  }
  if (image.texture) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, image.texture);
  } else {
    glDisable(GL_TEXTURE_2D);
  }
  if (tint) {
    if (dim)
      glColor4f(0.6f, 0.6f, 0.6f, 1.0f);
    else
      glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  }
  // A perspective view in which one unit is one pixel on the near plane; the icon sits at
  // window depth 0.2 under the window point.
  float n = 0.9f * W / 2, f = 10.0f * W / 2;
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glFrustum(-W / 2, W / 2, -H / 2, H / 2, n, f);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  float zn = 2.0f * 0.2f - 1.0f;
  float ze = -2.0f * f * n / ((f + n) - zn * (f - n));
  float xe = (2.0f * x / W - 1.0f) * (-ze) * (W / 2) / n;
  float ye = (2.0f * y / H - 1.0f) * (-ze) * (H / 2) / n;
  glTranslatef(xe, ye, ze);
  if (current_animation >= 0 && current_animation < int(animations.size())) animations[current_animation].Apply(t);
  glScalef(scale, scale, 1.0f);
  float hw = width / 2, hh = height / 2;
  glBegin(GL_QUADS);
  glTexCoord2f(0, 1);
  glVertex2f(-hw, -hh);
  glTexCoord2f(0, 0);
  glVertex2f(-hw, hh);
  glTexCoord2f(1, 0);
  glVertex2f(hw, hh);
  glTexCoord2f(1, 1);
  glVertex2f(hw, -hh);
  glEnd();
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopAttrib();
}

void Drumkit::Icon::DrawHalo(float x, float y, float scale, bool rectangular) const {
  if (rectangular) {
    float a = 1.3f * width / 2 * scale, b = 1.1f * height / 2 * scale;
    RectangleHalo(x + offset_x - a, y + offset_y + b, 2 * a, 2 * b);
  } else {
    RoundHalo(x + offset_x, y + offset_y, std::max(width, height) / 2 * scale);
  }
}

void Drumkit::Icon::GetScreenDimensions(float scale, float& w, float& h) const {
  w = width * scale;
  h = height * scale;
}

void Drumkit::Icon::Animate(int index, float strength, float dir_a, float dir_b) {
  if (!(strength > 0.08f) || index < 0 || index >= int(animations.size())) return;
  current_animation = index;
  for (int i = 0; i < int(animations.size()); ++i)
    if (i != index && !animations[i].IsPermanent()) animations[i].ClearInstances();
  Animation& a = animations[index];
  if (!a.IsPermanent())
    a.AddInstance(strength, dir_a, dir_b);
  else if (a.instances.empty())
    a.AddInstance(strength, dir_a, dir_b);
}

void Drumkit::Icon::StopAnimations() {
  for (Animation& a : animations)
    if (!a.IsPermanent()) a.ClearInstances();
}

void Drumkit::Drum::Animate(float strength, Sound::ElementCategory, float dir_a, float dir_b) {
  int index = 0;
  if (category == Sound::CATEGORY_HAND_AND_FOOT) index = openness <= 0.1f ? 1 : 0;
  for (Icon& icon : icons) icon.Animate(index, strength, dir_a, dir_b);
  if (category == Sound::CATEGORY_FOOT || category == Sound::CATEGORY_HAND_AND_FOOT)
    pedal_icon.Animate(0, 1.0f, 0.0f, 0.0f);
}

void Drumkit::Drum::StopAnimations() {
  for (Icon& icon : icons) icon.StopAnimations();
}

void Drumkit::InitIcons(const IniFile& ini) {
  for (size_t i = 0; i < drums.size(); ++i) {
    Drum& d = drums[i];
    int di = int(i);
    d.icons.clear();
    d.icons.resize(4);
    d.pedal_icon = Icon();
    auto type_icon = [&]() {
      auto it = type_icon_paths.find(d.type);
      return it == type_icon_paths.end() ? std::string() : it->second;
    };
    int reached = 0;
    for (int k = 0; k < 4; ++k) {
      std::string prefix = "Drum" + std::to_string(di) + ".icon" + std::to_string(k);
      const char* value = nullptr;
      std::string icon_path;
      bool have = ini.IsOpen() && ini.GetString(kSection, prefix + ".path", value);
      if (have) icon_path = value;
      if (!have && k > 0) break;
      int slot = k;
      if (!have) {
        if (d.category == Sound::CATEGORY_FOOT && d.type != Sound::KICK) break;
        if (d.type == Sound::KICK) {
          Icon& beater = d.icons[0];
          if (beater.Init(default_kick_beater_icon_path.c_str(), Animation::Type(5))) {
            beater.offset_x = 0;
            beater.offset_y = -90.0f;
            slot = 1;
          } else {
            printf("Can't find beater icon for drum #%d (%s) at %s\n", di, d.name, default_kick_beater_icon_path.c_str());
          }
        } else if (d.category == Sound::CATEGORY_HAND_AND_FOOT) {
          if (d.icons[0].Init(default_hihat_bottom_icon_path.c_str(), std::vector<Animation::Type>{7, 7}))
            slot = 1;
          else
            printf("Can't find bottom icon for drum #%d (%s) at %s\n", di, d.name, default_hihat_bottom_icon_path.c_str());
        }
        icon_path = type_icon();
      }
      std::vector<Animation::Type> animations;
      for (int a = 0;; ++a) {
        int type = 0;
        if (!ini.IsOpen() || !ini.GetInt(kSection, prefix + ".animation" + std::to_string(a), type)) break;
        animations.push_back(type);
      }
      if (animations.empty()) {
        auto it = type_animations.find(d.type);
        animations.push_back(it == type_animations.end() ? 0 : it->second);
        if (d.category == Sound::CATEGORY_HAND_AND_FOOT) animations.push_back(1);
      }
      Icon& icon = d.icons[slot];
      if (icon.Init(icon_path.c_str(), animations)) {
        float ox = 0, oy = 0;
        if (have && ini.GetFloat(kSection, prefix + ".offset_x", ox) && std::isfinite(ox)) icon.offset_x = ox;
        if (have && ini.GetFloat(kSection, prefix + ".offset_y", oy) && std::isfinite(oy)) icon.offset_y = oy;
      } else {
        printf("Can't find icon #%d for drum #%d (%s) at %s\n", slot, di, d.name, icon_path.c_str());
      }
      reached = slot + 1;
    }
    d.icons.resize(reached);
    if (d.category == Sound::CATEGORY_FOOT || d.category == Sound::CATEGORY_HAND_AND_FOOT) {
      if (!d.pedal_icon.Init(default_pedal_path.c_str(), Animation::Type(6)))
        printf("Can't find pedal icon for drum #%d (%s) at %s\n", di, d.name, default_pedal_path.c_str());
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Kit drawing

// Keeps the caller's colour and enables across one of the kit's drawing calls.
struct KeepGlState {
  KeepGlState() { glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT | GL_TEXTURE_BIT); }
  ~KeepGlState() { glPopAttrib(); }
};

void Drumkit::Draw(bool no_kick_halo, bool) {
  KeepGlState keep;
  float s = KitScale();
  ForEachShown(*this, order_weights, false, [&](int i, Drum& d, float px, float py) {
    for (Icon& icon : d.icons) icon.Draw(px, py, s, true, false, d.openness);
    if (GetDrumkitElementToSoundElement(i) < 0) PrintMissing(px, py);
  });
  if (shown_drum >= 0 && shown_drum < int(drums.size()))
    DrawSelectedDrum(shown_drum, s, shown_marker_type, no_kick_halo);
}

static void DrawOpennessBar(float px, float py, float pw, float ph, float scale, float openness) {
  float f = 0.2f * scale;
  glPushAttrib(GL_ENABLE_BIT);
  glDisable(GL_TEXTURE_2D);
  SliderDistance(px - pw * (f + 0.5f), py + ph / 2, pw * (2 * f + 1), ph, std::clamp(openness, 0.0f, 1.0f), false, false,
                 true, false, false, true);
  glPopAttrib();
}

void Drumkit::DrawPedals(bool dim, bool) {
  KeepGlState keep;
  float s = KitScale();
  ForEachShown(*this, order_weights, true, [&](int i, Drum& d, float px, float py) {
    float pw, ph;
    d.pedal_icon.GetScreenDimensions(s, pw, ph);
    DrawOpennessBar(px, py, pw, ph, s, d.openness);
    d.pedal_icon.Draw(px, py, s, true, false, d.openness);
    if (GetDrumkitElementToSoundElement(i) < 0) PrintMissing(px, py);
    if (d.type == Sound::KICK) {
      glColor4f(1, 1, 1, dim ? 0.1f : 1.0f);
      for (Icon& icon : d.icons) icon.Draw(px, WindowHeight() * kFootIconRowFraction, s, false, false, d.openness);
    }
  });
}

void Drumkit::DrawPedalState(float x, float y, float scale, const Drum& drum, bool) {
  KeepGlState keep;
  float pw, ph;
  drum.pedal_icon.GetScreenDimensions(scale, pw, ph);
  DrawOpennessBar(x, y, pw, ph, scale, drum.openness);
}

void Drumkit::DrawSelectedDrum(int drum, float scale, MocapMarkerType type, bool no_kick_halo) {
  if (drum < 0 || drum >= int(drums.size())) return;
  Drum& d = drums[drum];
  bool foot_selection =
      d.category == Sound::CATEGORY_FOOT || (d.category == Sound::CATEGORY_HAND_AND_FOOT && type == MOCAP_MARKER_FOOT);
  if (foot_selection && d.foot_size > 0) {
    float px = WX(d.foot_x);
    d.pedal_icon.DrawHalo(px, WY(kPedalRow), scale, true);
    if (d.category == Sound::CATEGORY_FOOT) {
      float iy = WY(69.0f);
      if (d.type == Sound::KICK && d.icons.size() >= 2) {
        if (!no_kick_halo) d.icons[1].DrawHalo(px, iy, scale, true);
      } else if (!d.icons.empty()) {
        d.icons[0].DrawHalo(px, iy, scale, false);
      }
    }
  }
  bool hand_selection = d.category == Sound::CATEGORY_HAND ||
                        (d.category == Sound::CATEGORY_HAND_AND_FOOT && shown_marker_type == MOCAP_MARKER_HAND);
  if (hand_selection && d.size > 0 && !d.icons.empty()) d.icons[0].DrawHalo(WX(d.x), WY(239.0f - d.y), scale, false);
}

void Drumkit::DrawForPlacement(int current, int first_foot, const std::vector<int>& order, bool) {
  KeepGlState keep;
  float s = KitScale();
  for (size_t u = 0; u < order.size(); ++u) {
    int di = order[u];
    if (di < 0 || di >= int(drums.size())) continue;
    Drum& d = drums[di];
    bool placed = int(u) < current;
    bool missing = GetDrumkitElementToSoundElement(di) < 0;
    if ((d.category == Sound::CATEGORY_FOOT || d.category == Sound::CATEGORY_HAND_AND_FOOT) && d.foot_size > 0) {
      float px = WX(d.foot_x), py = WY(kPedalRow);
      float pw, ph;
      d.pedal_icon.GetScreenDimensions(s, pw, ph);
      DrawOpennessBar(px, py, pw, ph, s, d.openness);
      if (placed) {
        d.pedal_icon.Draw(px, py, s, true, false, d.openness);
      } else {
        glColor4fv(not_yet_placed_drum_color);
        d.pedal_icon.Draw(px, py, s, false, false, d.openness);
      }
      if (missing) PrintMissing(px, py);
      if (d.category == Sound::CATEGORY_FOOT) {
        for (Icon& icon : d.icons) {
          if (placed) {
            icon.Draw(px, WindowHeight() * kFootIconRowFraction, s, true, false, d.openness);
          } else {
            glColor4fv(not_yet_placed_drum_color);
            icon.Draw(px, WindowHeight() * kFootIconRowFraction, s, false, false, d.openness);
          }
        }
      }
    }
    if ((d.category == Sound::CATEGORY_HAND || d.category == Sound::CATEGORY_HAND_AND_FOOT) && d.size > 0) {
      float px = WX(d.x), py = WY(239.0f - d.y);
      for (Icon& icon : d.icons) {
        if (placed) {
          icon.Draw(px, py, s, true, false, d.openness);
        } else {
          glColor4fv(not_yet_placed_drum_color);
          icon.Draw(px, py, s, false, false, d.openness);
        }
      }
      if (missing) PrintMissing(px, py);
    }
  }
  if (current >= 0 && current < int(order.size()) && order[current] >= 0 && order[current] < int(drums.size()))
    DrawSelectedDrum(order[current], s, first_foot <= current ? MOCAP_MARKER_FOOT : MOCAP_MARKER_HAND, false);
}

void Drumkit::DrawHitSpeed() {
  KeepGlState keep;
  if (shown_drum >= 0 && shown_drum < int(drums.size())) {
    const Drum& d = drums[shown_drum];
    bool foot = d.category == Sound::CATEGORY_FOOT ||
                (d.category == Sound::CATEGORY_HAND_AND_FOOT && shown_marker_type == MOCAP_MARKER_FOOT);
    const VolumeMap& map = foot ? d.foot_map : d.hand_map;
    float depth = foot ? d.foot_size : d.size;
    float r = 0;
    float top = map.GetMaxSpeed();
    if (depth > 0 && shown_frames > 0 && top > 0) r = std::clamp(shown_speed / top, 0.0f, 1.0f);
    if (std::isnan(r)) r = 0;
    int slot = GetDrumkitElementToSoundElement(shown_drum);
    Sound::VolumeResponseCurve curve = Sound::CURVE_LINEAR;
    if (slot >= 0 && sound) curve = sound->GetElementCurve(slot, d.category == Sound::CATEGORY_HAND_AND_FOOT && foot);
    float v = r > 0 ? ApplyVolumeCurve(r, curve) : Sound::GetCurvePoints(curve)[0];
    float wh = WebcamWindowMapping::WebcamWidthToWindowWidth(40.0f);
    DrawHitSpeedCurve(WX(264.0f), WY(140.0f), wh, wh, r, v, 21, Sound::GetCurvePoints(curve),
                      DistanceMenu::m_message_windowed_font);
  }
  --shown_frames;
}

// The square of side 1 round the origin: filled (GL_QUADS) or its outline (GL_LINE_LOOP).
static void UnitSquare(GLenum mode) {
  glBegin(mode);
  glVertex2f(-0.5f, -0.5f);
  glVertex2f(0.5f, -0.5f);
  glVertex2f(0.5f, 0.5f);
  glVertex2f(-0.5f, 0.5f);
  glEnd();
}

void Drumkit::DrawChokeZones(bool highlight, bool full) {
  float d = choke_zone_direction;
  struct Zone {
    float cx, cy, scale, angle;
  };
  std::vector<Zone> zones;
  if (left_choke_scale != 0)
    zones.push_back({160.0f - std::cos(d) * left_choke_distance, 120.0f + std::sin(d) * left_choke_distance,
                     left_choke_scale, choke_zone_angle});
  if (right_choke_scale != 0)
    zones.push_back({160.0f + std::cos(d) * right_choke_distance, 120.0f + std::sin(d) * right_choke_distance,
                     right_choke_scale, 180.0f - choke_zone_angle});
  glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_CURRENT_BIT);
  glDisable(GL_TEXTURE_2D);
  for (const Zone& z : zones) {
    glPushMatrix();
    WebcamWindowMapping::ApplyWebcamToWindowScale();
    glTranslatef(z.cx, z.cy, 0);
    glRotatef(z.angle, 0, 0, 1);
    glScalef(choke_zone_width * z.scale, choke_zone_height * z.scale, 1);
    glColor4f(1, 1, 1, 0.4f);
    UnitSquare(GL_QUADS);
    if (highlight) {
      glEnable(GL_LINE_SMOOTH);
      glLineWidth(4.0f);
      glColor4f(1, 0, 0, 0.6f);
      UnitSquare(GL_LINE_LOOP);
    }
    glPopMatrix();
  }
  const Font* font = MessageFont(full);
  if (font) {
    float fh = font->GetPixelSize();
    glColor4f(0, 0, 0, 0.4f);
    for (const Zone& z : zones) {
      float x = WX(z.cx), y = WY(z.cy);
      font->Print(x, y + 1.2f * fh, Font::ALIGN_CENTER, GetUtf8(kTextCymbal));
      font->Print(x, y, Font::ALIGN_CENTER, GetUtf8(kTextChoke));
      font->Print(x, y - 1.2f * fh, Font::ALIGN_CENTER, GetUtf8(kTextZone));
    }
  }
  glPopAttrib();
}

void Drumkit::DrawVolumeMap(int drum) {
  if (drum < 0 || drum >= int(drums.size())) return;
  glClear(GL_COLOR_BUFFER_BIT);
  std::vector<std::vector<std::pair<float, float>>> samples(drums.size());
  float m = 0;
  for (size_t i = 0; i < drums.size(); ++i) {
    drums[i].hand_map.Evaluate(samples[i]);
    for (const auto& p : samples[i]) m = std::max(m, p.first);
  }
  if (!(m > 0)) return;
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(-0.05 * m, 1.05 * m, -0.05, 1.05, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glColor4f(0, 0, 0, 1);
  glBegin(GL_LINE_STRIP);
  for (const auto& p : samples[drum]) glVertex2f(p.first, p.second);
  glEnd();
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
}

float Drumkit::GetLowestDrumY() const {
  float lowest = 0;
  for (const Drum& d : drums) lowest = std::max(lowest, d.y);
  return lowest;
}
