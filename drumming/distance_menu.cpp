// The in-air menu: aiming at and hitting buttons, grabbing and dragging sliders with the
// sticks, the hit windows that guard buttons placed among the drums, and the message lines.
#include "drumming/distance_menu.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <iterator>

#include "drumming/drummer.h"
#include "frame/frame_globals.h"
#include "frame/texts.h"
#include "frame/window.h"
#include "render/airwidget_drawing.h"
#include "render/webcam_window.h"

int DistanceMenu::m_previous_active_dominant = 0;
int DistanceMenu::m_previous_active_non_dominant = 0;
int DistanceMenu::m_how_many_frames_dominant_active = 0;
int DistanceMenu::m_how_many_frames_non_dominant_active = 0;
int DistanceMenu::m_how_many_frames_for_dominant_hit = 0;
int DistanceMenu::m_how_many_frames_for_non_dominant_hit = 0;
std::map<std::string, DistanceMenu::Message> DistanceMenu::m_messages;
std::map<int, std::string> DistanceMenu::m_lines_to_messages;
Font* DistanceMenu::m_message_font = nullptr;
Font* DistanceMenu::m_message_windowed_font = nullptr;
bool DistanceMenu::m_delete_fonts = false;
int DistanceMenu::m_full_screen_height = 0;
int DistanceMenu::m_windowed_screen_height = 0;
float DistanceMenu::m_line_height_ratio = 1.0f;
float DistanceMenu::m_menu_radius = 22.0f;
float DistanceMenu::m_lowest_drum_y = 180.0f;
float DistanceMenu::m_no_drums_x = 0, DistanceMenu::m_no_drums_y = 0;
float DistanceMenu::m_no_drums2_x = 0, DistanceMenu::m_no_drums2_y = 0;
float DistanceMenu::m_no_drums3_x = 0, DistanceMenu::m_no_drums3_y = 0;
float DistanceMenu::m_no_drums4_x = 0, DistanceMenu::m_no_drums4_y = 0;
float DistanceMenu::m_no_drums5_x = 0, DistanceMenu::m_no_drums5_y = 0;
float DistanceMenu::m_no_drums6_x = 0, DistanceMenu::m_no_drums6_y = 0;
float DistanceMenu::m_with_drums_x = 0, DistanceMenu::m_with_drums_y = 0;
float DistanceMenu::m_with_drums2_x = 0, DistanceMenu::m_with_drums2_y = 0;
float DistanceMenu::m_with_drums_perf_mode_x = 0, DistanceMenu::m_with_drums_perf_mode_y = 0;
float DistanceMenu::m_with_drums_slider_x = 0, DistanceMenu::m_with_drums_slider_y = 0;
float DistanceMenu::m_with_drums_slider2_x = 0, DistanceMenu::m_with_drums_slider_width = 0;
float DistanceMenu::m_no_drums_slider_top_x = 0, DistanceMenu::m_no_drums_slider_top_y = 0;
float DistanceMenu::m_no_drums_slider_top_width = 0;
float DistanceMenu::m_no_drums_slider_bottom_x = 0, DistanceMenu::m_no_drums_slider_bottom_y = 0;
float DistanceMenu::m_no_drums_slider_bottom_width = 0;

namespace {

const int kHitWindow = 125;
const int kActivationFrames = 63;
constexpr float kLastRow = 239.0f;  // the picture's bottom row: camera rows count down, the window's up

int& PreviousId(bool dominant) {
  return dominant ? DistanceMenu::m_previous_active_dominant : DistanceMenu::m_previous_active_non_dominant;
}
int& FrameCount(bool dominant) {
  return dominant ? DistanceMenu::m_how_many_frames_dominant_active : DistanceMenu::m_how_many_frames_non_dominant_active;
}
int& HitWindow(bool dominant) {
  return dominant ? DistanceMenu::m_how_many_frames_for_dominant_hit : DistanceMenu::m_how_many_frames_for_non_dominant_hit;
}

bool Present(const MocapMarker& m) { return m.WasPresent() != 0; }

float WX(float x) { return WebcamWindowMapping::WebcamXToWindowX(x); }
float WY(float y) { return WebcamWindowMapping::WebcamYToWindowY(y); }
float WW(float w) { return WebcamWindowMapping::WebcamWidthToWindowWidth(w); }
float WH(float h) { return WebcamWindowMapping::WebcamHeightToWindowHeight(h); }

const Font* CurrentFont() { return full_screen ? DistanceMenu::m_message_font : DistanceMenu::m_message_windowed_font; }

// Prints the lines of a '|'-separated label centred on (cx, cy): white one pixel right and
// down, then black. Inside a round button of radius r (0: no button) the lines stand a font's
// height apart and the label shrinks where it would reach the button's rim; on a slider w
// wide (0: none) it shrinks where a line is wider.
void PrintLabel(const std::string& label, float cx, float cy, float alpha, float r = 0.0f, float w = 0.0f) {
  const Font* font = CurrentFont();
  if (!font) return;
  std::vector<std::string> lines;
  split_string(label, "|", lines);
  float fh = font->GetPixelSize();
  float step = r > 0 ? fh : DistanceMenu::m_line_height_ratio * fh;
  float scale = r > 0 ? DistanceMenu::LabelScale(*font, lines, r) : 1.0f;
  for (const std::string& line : lines) {
    const float lw = font->GetWidth(line.c_str());
    if (w > 0 && lw > w) scale = std::min(scale, w / lw);
  }
  int n = int(lines.size());
  glPushMatrix();
  glTranslatef(std::trunc(cx), std::trunc(cy), 0);  // whole pixels: crisp glyphs at scale 1
  glScalef(scale, scale, 1);
  for (int i = 0; i < n; ++i) {
    float y = (float(n - 1) * 0.5f - float(i)) * step - fh * 0.5f;
    glColor4f(1, 1, 1, alpha);
    font->Print(1, y - 1, Font::ALIGN_CENTER, lines[i].c_str());
    glColor4f(0, 0, 0, alpha);
    font->Print(0, y, Font::ALIGN_CENTER, lines[i].c_str());
  }
  glPopMatrix();
}

std::string SliderLabel(const DistanceMenu::Slider& s) {
  char value[32] = "";
  if (s.style == 1 && s.max != 0)
    snprintf(value, sizeof(value), " %d%%", int(std::min(s.value + 0.49f, float(s.max)) / float(s.max) * 100.0f));
  else if (s.style == 2)
    snprintf(value, sizeof(value), " %d", int(s.value + 0.49f));
  return s.label + value;
}

// The Menu button names the hand whose hit window is open.
std::string ButtonLabel(const DistanceMenu::Button& b) {
  bool dominant_open = DistanceMenu::m_how_many_frames_for_dominant_hit > 0;
  bool other_open = DistanceMenu::m_how_many_frames_for_non_dominant_hit > 0;
  if (b.id != kMenuButton || !(dominant_open || other_open)) return b.label;
  const char* hands;
  if (dominant_open && other_open)
    hands = GetUtf8(kTextRHLH);
  else if (dominant_open != drummer.Is_Left_Handed)
    hands = GetUtf8(kTextRightHandMark);
  else
    hands = GetUtf8(kTextLeftHandMark);
  return b.label + "|" + hands;
}

float Fraction(const DistanceMenu::Slider& s) {
  if (s.max == s.min) return 0.0f;
  return std::clamp((s.value - float(s.min)) / float(s.max - s.min), 0.0f, 1.0f);
}

struct SliderRect {
  float x, y, w, h, cx, cy;
};
SliderRect WindowRect(const DistanceMenu::Slider& s) {
  SliderRect r;
  r.x = WX(float(s.x));
  r.y = WY(kLastRow - float(s.y));
  r.w = WW(float(s.width));
  r.h = WH(float(s.height));
  r.cx = r.x + r.w / 2;
  r.cy = r.y - r.h / 2;
  return r;
}

}  // namespace

float DistanceMenu::LabelScale(const Font& font, const std::vector<std::string>& lines, float r) {
  const float fh = font.GetPixelSize(), n = float(lines.size()), room = kLabelRoom * r;
  float scale = 1.0f;
  for (size_t i = 0; i < lines.size(); ++i) {
    const float dy = std::fabs((n - 1) * 0.5f - float(i)) * fh + 0.35f * fh;
    const float dx = 0.5f * font.GetWidth(lines[i].c_str());
    const float reach = std::sqrt(dx * dx + dy * dy);
    if (reach > room) scale = std::min(scale, room / reach);
  }
  return scale;
}

void split_string(const std::string& s, const std::string& delimiters, std::vector<std::string>& out) {
  size_t i = 0;
  while (i < s.size()) {
    size_t start = s.find_first_not_of(delimiters, i);
    if (start == std::string::npos) break;
    size_t end = s.find_first_of(delimiters, start);
    if (end == std::string::npos) end = s.size();
    out.push_back(s.substr(start, end - start));
    i = end;
  }
}

// ---------------------------------------------------------------------------------------------
// Fonts

void DistanceMenu::Init(int full_screen_height, int windowed_height) {
  m_full_screen_height = full_screen_height;
  m_windowed_screen_height = windowed_height;
  m_line_height_ratio = GetLineHeightRatio();
  auto make = [](int height) -> Font* {
    float lines = float(GetNumTextLines()) * m_line_height_ratio;
    Font* font = new Font();
    if (!(lines > 0) || !font->Init(GetFontPath().c_str(), float(height) / lines, GetGlyphRanges(), 0)) {
      printf("Could not create the in-air message font (%d pixels)\n", height);
      delete font;
      return nullptr;
    }
    return font;
  };
  m_message_font = make(full_screen_height);
  m_message_windowed_font = make(windowed_height);
  m_delete_fonts = true;
}

void DistanceMenu::CleanUp() {
  if (!m_delete_fonts) return;
  delete m_message_font;
  delete m_message_windowed_font;
  m_message_font = m_message_windowed_font = nullptr;
  m_delete_fonts = false;
}

void DistanceMenu::ReInit() {
  CleanUp();
  Init(m_full_screen_height, m_windowed_screen_height);
}

// ---------------------------------------------------------------------------------------------
// Aiming, activation and hits

void DistanceMenu::UpdateButtonActivation() {
  for (bool dominant : {true, false}) {
    if (FrameCount(dominant) >= kActivationFrames)
      HitWindow(dominant) = kHitWindow;
    else if (HitWindow(dominant) > 0)
      --HitWindow(dominant);
  }
}

void DistanceMenu::ResetButtonActivation() {
  m_previous_active_dominant = m_previous_active_non_dominant = 0;
  m_how_many_frames_dominant_active = m_how_many_frames_non_dominant_active = 0;
  m_how_many_frames_for_dominant_hit = m_how_many_frames_for_non_dominant_hit = 0;
}

float DistanceMenu::GetActivationProgress() {
  float p = float(std::max(m_how_many_frames_dominant_active, m_how_many_frames_non_dominant_active)) / kActivationFrames;
  return std::clamp(p, 0.0f, 1.0f);
}

void DistanceMenu::SetActiveButton(int button_index, bool dominant) {
  if (SliderHeld(dominant)) return;
  if (button_index < 0 || button_index >= int(buttons.size())) {
    ActiveId(dominant) = kNoButton;
    PreviousId(dominant) = kNoButton;
    FrameCount(dominant) = 0;
    return;
  }
  int id = buttons[button_index].id;
  ActiveId(dominant) = id;
  if (PreviousId(dominant) == id) {
    ++FrameCount(dominant);
  } else {
    PreviousId(dominant) = id;
    FrameCount(dominant) = 1;
    if (HitWindow(dominant) > 0) HitWindow(dominant) = kHitWindow;
  }
}

bool DistanceMenu::IsButtonActivated(int button_index, bool dominant) const {
  if (button_index < 0 || button_index >= int(buttons.size())) return false;
  return !buttons[button_index].needs_activation || HitWindow(dominant) > 0;
}

bool DistanceMenu::IsSliderActivated(int slider_index, bool dominant) const {
  if (slider_index < 0 || slider_index >= int(sliders.size())) return false;
  return !sliders[slider_index].needs_activation || HitWindow(dominant) > 0;
}

bool DistanceMenu::FindMenuButton(const MocapMarker::Position& p, bool dominant, bool limit) {
  int best = -1;
  float best_distance = 1000000.0f;
  for (size_t i = 0; i < buttons.size(); ++i) {
    float dx = p.x - buttons[i].x, dy = p.y - buttons[i].y;
    float d = std::sqrt(dx * dx + dy * dy);
    if (d < best_distance) {
      best_distance = d;
      best = int(i);
      ActiveId(dominant) = buttons[i].id;
    }
  }
  if (best < 0 || (limit && !(best_distance < radius))) {
    ActiveId(dominant) = kNoButton;
    if (!SliderHeld(dominant)) {
      PreviousId(dominant) = kNoButton;
      FrameCount(dominant) = 0;
    }
    return false;
  }
  SetActiveButton(best, dominant);
  return true;
}

void DistanceMenu::DoButtonsAlone(const MocapMarker& dominant, const MocapMarker& other, bool limit) {
  if (Present(dominant) && !dominant_slider_held) FindMenuButton(*dominant.GetLastPosition(), true, limit);
  if (Present(other) && !non_dominant_slider_held) FindMenuButton(*other.GetLastPosition(), false, limit);
}

bool DistanceMenu::TestAndSetButtonHit(bool dominant, float speed, float threshold) {
  if (!(speed > threshold)) return false;
  int id = ActiveId(dominant);
  if (id == kNoButton) return false;
  for (const Button& b : buttons) {
    if (b.id != id) continue;
    if (!b.needs_activation || HitWindow(dominant) >= 1) {
      Value(dominant) = 1.0f;
      return true;
    }
    return false;
  }
  return false;
}

void DistanceMenu::HitButton(int id, bool dominant) {
  if (id == kMenuButton) {
    for (const Button& b : buttons)
      if (b.id == id) {
        if (b.needs_activation && HitWindow(dominant) < 1) return;
        break;
      }
  }
  ActiveId(dominant) = id;
  Value(dominant) = 1.0f;
}

namespace {

// A slider follows the stick by the square of its move, slow for fine moves and fast for large
// ones: 0.04 of the whole range per square pixel over a slider 100 pixels wide.
constexpr double kDragGain = 0.04;

// Where each hand last held a slider, and whether it has entered the slider it holds.
float last_dominant_x = 0, last_non_dominant_x = 0;
bool dominant_entered_new_slider = false, non_dominant_entered_new_slider = false;

bool InBand(const DistanceMenu::Slider& s, const MocapMarker::Position& p) {
  return float(s.y) <= p.y && p.y < float(s.y + s.height);
}
bool InBox(const DistanceMenu::Slider& s, const MocapMarker::Position& p) {
  return InBand(s, p) && float(s.x) <= p.x && p.x < float(s.x + s.width);
}

}  // namespace

// A hand that entered a slider drags it sideways while it stays in the slider's band; the other
// hand is ignored meanwhile. A hand not dragging enters the slider it is in (the dominant hand
// first): a slider that needs activation only while the hand's hit window is open.
void DistanceMenu::DoSliders(const MocapMarker& dominant, const MocapMarker& other) {
  dominant_slider_held = non_dominant_slider_held = false;
  slider_active = false;
  // 1. Dragging.
  if (dominant_entered_new_slider) DragSlider(true, dominant, last_dominant_x);
  if (slider_active) return;
  dominant_entered_new_slider = false;
  if (non_dominant_entered_new_slider) DragSlider(false, other, last_non_dominant_x);
  if (slider_active) return;
  non_dominant_entered_new_slider = false;
  // 2. Entering.
  EnterSlider(true, dominant, last_dominant_x, dominant_entered_new_slider);
  if (!slider_active) EnterSlider(false, other, last_non_dominant_x, non_dominant_entered_new_slider);
}

void DistanceMenu::DragSlider(bool dom, const MocapMarker& marker, float& last_x) {
  for (Slider& s : sliders) {
    if (s.id != PreviousId(dom)) continue;
    if (!(HitWindow(dom) > 0 || !s.needs_activation) || !Present(marker)) continue;
    const MocapMarker::Position& p = *marker.GetLastPosition();
    if (!InBand(s, p) || s.width <= 0 || !std::isfinite(p.x)) continue;
    double dx = double(p.x) - double(last_x);
    double v = double(s.value) + std::fabs(dx) * dx * kDragGain * double(s.max - s.min) * 100.0 / double(s.width);
    s.value = float(std::clamp(v, double(std::min(s.min, s.max)), double(std::max(s.min, s.max))));
    Value(dom) = s.value;
    ActiveId(dom) = s.id;
    last_x = p.x;
    SliderHeld(dom) = true;
    slider_active = true;
    HitWindow(dom) = kHitWindow;
  }
}

void DistanceMenu::EnterSlider(bool dom, const MocapMarker& marker, float& last_x, bool& entered) {
  if (!Present(marker)) return;
  const MocapMarker::Position& p = *marker.GetLastPosition();
  for (Slider& s : sliders) {
    if (!InBox(s, p)) continue;
    ActiveId(dom) = s.id;
    if (PreviousId(dom) != s.id) {
      FrameCount(dom) = 1;
      if (HitWindow(dom) > 0) HitWindow(dom) = kHitWindow;
    } else {
      ++FrameCount(dom);
    }
    PreviousId(dom) = s.id;
    SliderHeld(dom) = true;
    if (HitWindow(dom) < 1 && s.needs_activation) return;
    last_x = p.x;
    Value(dom) = s.value;
    entered = true;
    slider_active = true;
    return;
  }
}

// ---------------------------------------------------------------------------------------------
// Messages

void DistanceMenu::AddMessage(const char* text, int line, int style, float milliseconds, bool refresh, bool persistent) {
  if (!text) return;
  std::string key = text;
  auto it = m_messages.find(key);
  if (it != m_messages.end() && it->second.line == line) {
    if (refresh)
      it->second.milliseconds = milliseconds <= 0 ? 3000.0f : milliseconds;
    else if (it->second.milliseconds < 1500.0f)
      it->second.milliseconds += 16.66f;
    return;
  }
  if (!(milliseconds > 0)) milliseconds = 3000.0f;
  auto shown = m_lines_to_messages.find(line);
  if (shown != m_lines_to_messages.end()) {
    auto old = m_messages.find(shown->second);
    if (old != m_messages.end() && old->second.line == line) {
      if (old->second.persistent || (old->second.style == 3 && style != 3)) return;
      m_messages.erase(old);
    }
    m_lines_to_messages.erase(shown);
  }
  // The same text standing on another line moves here.
  if (it != m_messages.end()) {
    auto other = m_lines_to_messages.find(it->second.line);
    if (other != m_lines_to_messages.end() && other->second == key) m_lines_to_messages.erase(other);
  }
  m_messages[key] = Message{line, milliseconds, style, persistent};
  m_lines_to_messages[line] = key;
}

void DistanceMenu::ClearMessages() {
  m_messages.clear();
  m_lines_to_messages.clear();
}

namespace {

// The message styles by number: the text colour, and whether a black copy one pixel down and
// to the right sits under it.
struct MessageStyle {
  float r, g, b;
  bool shadow;
};
constexpr MessageStyle kMessageStyles[] = {
    {1, 1, 0, false},     // yellow
    {0, 0, 0, false},     // black
    {1, 1, 1, true},      // white on black
    {0.8f, 0, 0, false},  // dark red
    {1, 0, 0, true},      // red on black
};

}  // namespace

DistanceMenu::Plate DistanceMenu::MessagePlate(int line, const std::string& text) {
  const Font* font = CurrentFont();
  if (!font) return {0, 0, 0, 0};
  const float f = font->GetPixelSize(), width = font->GetWidth(text.c_str());
  const float left = 0.5f * float(window_services.width()) - width / 2;
  const float top = 0.97f * float(window_services.height()) - m_line_height_ratio * f * float(line) + 10.0f;
  return {left, top - 0.75f * f, left + width, top};
}

bool DistanceMenu::PrintPersistentMessages(float fps) {
  if (!(fps > 0)) fps = kFramesPerSecond;
  float w = float(window_services.width()), h = float(window_services.height());
  float cx = 0.5f * w, base = 0.97f * h;
  const Font* font = CurrentFont();
  float f = font ? font->GetPixelSize() : 0.0f;
  for (auto it = m_messages.begin(); it != m_messages.end();) {
    it->second.milliseconds -= 1000.0f / fps;
    if (it->second.milliseconds <= 0) {
      auto line = m_lines_to_messages.find(it->second.line);
      if (line != m_lines_to_messages.end() && line->second == it->first) m_lines_to_messages.erase(line);
      it = m_messages.erase(it);
      continue;
    }
    if (font && !it->first.empty()) {
      const Plate p = MessagePlate(it->second.line, it->first);
      TextDistanceVisibility(p.left, p.top - 10.0f, p.right - p.left, p.top - p.bottom);
    }
    ++it;
  }
  if (font) {
    for (const auto& [text, m] : m_messages) {
      float alpha = m.milliseconds <= 200.0f ? m.milliseconds / 200.0f : 1.0f;
      float y = base - f / 2 - m_line_height_ratio * f * float(m.line);
      if (m.style < 0 || m.style >= int(std::size(kMessageStyles))) continue;
      const MessageStyle& style = kMessageStyles[m.style];
      if (style.shadow) {
        glColor4f(0, 0, 0, alpha);
        font->Print(cx + 1, y - 1, Font::ALIGN_CENTER, text.c_str());
      }
      glColor4f(style.r, style.g, style.b, alpha);
      font->Print(cx, y, Font::ALIGN_CENTER, text.c_str());
    }
  }
  return m_messages.empty();
}

void DistanceMenu::PrintBackground(float x, float y, Font::Alignment a, const char* format, ...) {
  if (!m_message_font || !format) return;
  char buffer[1024];
  va_list args;
  va_start(args, format);
  vsnprintf(buffer, sizeof(buffer), format, args);
  va_end(args);
  for (int dx = -1; dx <= 1; ++dx)
    for (int dy = -1; dy <= 1; ++dy) m_message_font->Print(x + float(dx), y + float(dy), a, buffer);
}

// ---------------------------------------------------------------------------------------------
// Drawing

namespace {

constexpr float kSaveHaloMargin = 16.0f;    // the halo round the save button reaches this far past it
constexpr float kGreyedAlpha = 0.25f;       // a greyed button's label
constexpr float kWaitingAlpha = 0.5f;       // the label of a control waiting for activation
constexpr float kGrabHaloWidth = 5000.0f;   // a grabbed slider's halo: wider than any window
constexpr float kArrowWidth = 60.0f;        // the blinking arrows each side of a grabbed slider,
constexpr float kArrowHeight = 40.0f;
constexpr float kArrowGap = 60.0f;          // this far from it

struct ButtonCircle {
  float cx, cy, r;
};
ButtonCircle WindowCircle(const DistanceMenu::Button& b) { return {WX(b.x), WY(kLastRow - b.y), WW(b.size)}; }

bool WaitingLit(int id) {
  return id == DistanceMenu::m_previous_active_dominant || id == DistanceMenu::m_previous_active_non_dominant;
}

}  // namespace

// The menu is drawn in two passes over the picture. While a hand's hit window is open the
// controls that need activation can be used; otherwise they wait, dimmed, and the activation
// pass fills them as a hand holds still on one.
void DistanceMenu::Render(bool activation_pass, float fps) {
  const bool open = m_how_many_frames_for_dominant_hit > 0 || m_how_many_frames_for_non_dominant_hit > 0;
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_STENCIL_BUFFER_BIT);
  glDisable(GL_TEXTURE_2D);
  if (activation_pass)
    RenderWaiting(open);
  else
    RenderUsable(open, fps);
  glPopAttrib();
}

// The controls that can be used now (the ones pointed at lit), and the messages.
void DistanceMenu::RenderUsable(bool open, float fps) {
  // 1. An open hit window shows where the controls needing activation are.
  if (open) {
    for (const Button& b : buttons)
      if (b.needs_activation) RoundButtonBackgroundDistanceVisibility(WX(b.x), WY(kLastRow - b.y), WW(b.size - 1));
    for (const Slider& s : sliders)
      if (s.needs_activation) {
        SliderRect r = WindowRect(s);
        SliderDistanceVisibility(r.x, r.y, r.w, r.h);
      }
  }
  // 2. The buttons: greyed ones faint, usable ones lit when pointed at.
  for (const Button& b : buttons) {
    const ButtonCircle c = WindowCircle(b);
    if (b.greyed) {
      RoundButtonBackgroundDistance(c.cx, c.cy, c.r, false, false, false, false, false, true);
      PrintLabel(b.label, c.cx, c.cy, kGreyedAlpha, c.r);
      continue;
    }
    if (b.needs_activation && !open) continue;
    const bool lit = b.id == dominant_active || b.id == non_dominant_active;
    RoundButtonBackgroundDistance(c.cx, c.cy, c.r, lit, false, true, true, false, true);
    if (b.label == GetUtf8(kTextSaveChanges)) RoundHalo(c.cx, c.cy, WW(b.size + kSaveHaloMargin));
    PrintLabel(ButtonLabel(b), c.cx, c.cy, 1.0f, c.r);
  }
  // 3. The sliders: a grabbed one with its halo and arrows.
  for (const Slider& s : sliders) {
    if (s.needs_activation && !open) continue;
    SliderRect r = WindowRect(s);
    bool grabbed = s.id == m_previous_active_dominant || s.id == m_previous_active_non_dominant;
    if (grabbed) {
      SliderHalo(r.x - kGrabHaloWidth / 2, r.y, kGrabHaloWidth, r.h);
      BlinkingArrowSlider(r.x - kArrowGap - kArrowWidth, r.cy + kArrowHeight / 2, kArrowWidth, kArrowHeight, 3, true);
      BlinkingArrowSlider(r.x + r.w + kArrowGap, r.cy + kArrowHeight / 2, kArrowWidth, kArrowHeight, 2, false);
      SliderDistance(r.x, r.y, r.w, r.h, Fraction(s), true, true, true, true, false, true);
    } else {
      SliderDistance(r.x, r.y, r.w, r.h, Fraction(s), false, false, true, true, false, true);
    }
    PrintLabel(SliderLabel(s), r.cx, r.cy, 1.0f, 0.0f, r.w);
  }
  // 4. The messages.
  PrintPersistentMessages(fps);
}

// What waits for activation: greyed buttons, then the waiting controls (the one a hand is on
// lit), the activation progress filling them through a stencil mask of their shapes, and their
// labels over it.
void DistanceMenu::RenderWaiting(bool open) {
  const float progress = GetActivationProgress();
  // 1. The shapes, marking the mask while progress is shown.
  const bool mask = progress > 0 && (!buttons.empty() || !sliders.empty());
  if (mask) {
    glClearStencil(0);
    glClear(GL_STENCIL_BUFFER_BIT);
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(GL_ALWAYS, 1, 0xFF);
    glStencilOp(GL_REPLACE, GL_REPLACE, GL_REPLACE);
  }
  for (const Button& b : buttons) {
    const ButtonCircle c = WindowCircle(b);
    if (b.greyed)
      RoundButtonBackgroundDistance(c.cx, c.cy, c.r, false, false, false, false, false, true);
    else if (b.needs_activation && !open)
      RoundButtonBackgroundDistance(c.cx, c.cy, c.r, WaitingLit(b.id), false, false, true, false, true);
  }
  for (const Slider& s : sliders) {
    if (!s.needs_activation || open) continue;
    SliderRect r = WindowRect(s);
    SliderDistance(r.x, r.y, r.w, r.h, Fraction(s), WaitingLit(s.id), false, true, true, false, true);
  }
  // 2. The progress, inside the shapes only.
  if (mask) {
    glStencilFunc(GL_EQUAL, 1, 0xFF);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    for (const Button& b : buttons) ActivationProgressDistance(WX(b.x), WY(kLastRow - b.y), WW(b.size), progress);
    for (const Slider& s : sliders) {
      SliderRect r = WindowRect(s);
      ActivationProgressDistance(r.cx, r.cy, 0.5f * std::sqrt(r.w * r.w + r.h * r.h), progress);
    }
    glDisable(GL_STENCIL_TEST);
  }
  // 3. The labels.
  for (const Button& b : buttons) {
    const ButtonCircle c = WindowCircle(b);
    if (b.greyed)
      PrintLabel(b.label, c.cx, c.cy, kGreyedAlpha, c.r);
    else if (b.needs_activation && !open)
      PrintLabel(b.label, c.cx, c.cy, kWaitingAlpha, c.r);
  }
  for (const Slider& s : sliders) {
    if (!s.needs_activation || open) continue;
    SliderRect r = WindowRect(s);
    PrintLabel(SliderLabel(s), r.cx, r.cy, kWaitingAlpha, 0.0f, r.w);
  }
}

void DistanceMenu::RenderMocapMarkersOnly() {
  float progress = GetActivationProgress();
  if (!(progress > 0)) return;
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
  glDisable(GL_TEXTURE_2D);
  for (const Button& b : buttons) {
    float cx = WX(b.x), cy = WY(kLastRow - b.y), r = WW(b.size);
    if (progress >= 1.0f) {
      glColor4f(1.0f, 1.0f, 0.95f, 0.6f);
      glBegin(GL_TRIANGLE_FAN);
      glVertex2f(cx, cy);
      for (int i = 0; i <= 64; ++i) {
        float a = float(i) * 6.2831853f / 64.0f;
        glVertex2f(cx + r * std::cos(a), cy + r * std::sin(a));
      }
      glEnd();
    } else {
      ActivationProgressDistance(cx, cy, r, progress);
    }
  }
  glPopAttrib();
}
