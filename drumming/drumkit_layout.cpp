// Where the in-air menu's buttons and sliders go, clear of the placed drums.
#include <algorithm>
#include <cmath>

#include "drumming/distance_menu.h"
#include "drumming/drumkit.h"

bool FindBestLocation(const std::vector<MocapMarker::Position>& obstacles, bool move_right, float x, float y,
                      float& out_x, float& out_y) {
  out_x = x;
  out_y = y;
  for (int step = 1; step <= 3001; ++step) {
    int nearest = -1;
    float best = 0;
    for (size_t i = 0; i < obstacles.size(); ++i) {
      float dx = out_x - obstacles[i].x, dy = out_y - obstacles[i].y;
      float d = std::sqrt(dx * dx + dy * dy);
      if (nearest < 0 || d < best) {
        nearest = int(i);
        best = d;
      }
    }
    if (nearest < 0 || !(best < 38.0f)) return true;
    float dx = out_x - obstacles[nearest].x, dy = out_y - obstacles[nearest].y;
    if (std::fabs(dx) < 0.1f && std::fabs(dy) < 0.1f) {
      out_x += move_right ? 0.7071f : -0.7071f;
      out_y += 0.7071f;
    } else {
      float len = std::sqrt(dx * dx + dy * dy);
      out_x += dx / len;
      out_y += dy / len;
    }
  }
  printf("Too many menu placement iterations\n");
  return false;
}

void KeepButtonsApart(const MocapMarker::Position& first, float& x, float& y) {
  const float apart = 2 * DistanceMenu::m_menu_radius + 1;
  const float dx = x - first.x, dy = y - first.y, d = std::sqrt(dx * dx + dy * dy);
  if (d >= apart) return;
  x = first.x + dx * apart / d;
  y = first.y + dy * apart / d;
}

namespace {

typedef DistanceMenu M;

constexpr float kAboveLowestDrum = 5.0f;  // the buttons' base row lies this far above the lowest drum
constexpr float kFirstRowUp = 35.0f;      // rows above the base of the two rows of buttons a kit
constexpr float kSecondRowUp = 85.0f;     // without drums shows
constexpr float kButtonRadius = 22.0f;    // the button a slider sits beside
constexpr float kSliderGap = 3.0f;        // between that button and the slider
constexpr float kSliderWidth = 49.5f;
constexpr float kSlidersApart = 6.0f;
constexpr float kSliderClearance = 10.0f;  // a slider nearer than this under a drum moves this much down

// The places a kit without drums uses: two rows of three buttons and two sliders.
void PlaceMenusWithoutDrums(float base, float r, bool right) {
  M::m_no_drums_x = right ? 120 : 200;
  M::m_no_drums2_x = right ? 170 : 150;
  M::m_no_drums3_x = right ? 220 : 100;
  M::m_no_drums4_x = M::m_no_drums_x;
  M::m_no_drums5_x = M::m_no_drums2_x;
  M::m_no_drums6_x = M::m_no_drums3_x;
  M::m_no_drums_y = M::m_no_drums2_y = M::m_no_drums3_y = base - kFirstRowUp;
  M::m_no_drums4_y = M::m_no_drums5_y = M::m_no_drums6_y = base - kSecondRowUp;
  M::m_no_drums_slider_top_x = right ? 198 : 78;
  M::m_no_drums_slider_top_y = base - kFirstRowUp - r + 3;
  M::m_no_drums_slider_top_width = 2 * r;
  M::m_no_drums_slider_bottom_x = right ? 98 : 78;
  M::m_no_drums_slider_bottom_y = base - kFirstRowUp - r + 3;
  M::m_no_drums_slider_bottom_width = 144;
}

// With no hand drum to keep clear of, the drumming page's buttons sit on the base row.
void PlaceMenusOverNoHandDrums(float base, float r, bool right) {
  M::m_with_drums_x = M::m_no_drums_x;
  M::m_with_drums_y = base;
  M::m_with_drums2_x = right ? 70 : 250;
  M::m_with_drums2_y = base;
  M::m_with_drums_slider_x = right ? 145 : 125.5f;
  M::m_with_drums_slider_y = base - r;
  M::m_with_drums_slider_width = kSliderWidth;
  M::m_with_drums_slider2_x = right ? 200.5f : 70;
}

// The two sliders side by side, outwards from the first button, at its top; lowered when a
// drum above them is too near.
void PlaceSliders(const std::vector<Drumkit::Drum>& drums, float r, bool right) {
  if (right) {
    M::m_with_drums_slider_x = M::m_with_drums_x + kButtonRadius + kSliderGap;
    M::m_with_drums_slider2_x = M::m_with_drums_slider_x + kSliderWidth + kSlidersApart;
  } else {
    M::m_with_drums_slider_x = M::m_with_drums_x - kButtonRadius - kSliderWidth - kSliderGap;
    M::m_with_drums_slider2_x = M::m_with_drums_slider_x - kSliderWidth - kSlidersApart;
  }
  M::m_with_drums_slider_y = M::m_with_drums_y - r;
  M::m_with_drums_slider_width = kSliderWidth;
  float clearance = 1e8f;
  for (const Drumkit::Drum& d : drums)
    if (d.x >= M::m_with_drums_slider_x && d.x <= M::m_with_drums_slider_x + kSliderWidth)
      clearance = std::min(clearance, M::m_with_drums_slider_y - d.y);
  if (clearance < kSliderClearance) M::m_with_drums_slider_y += kSliderClearance;
}

}  // namespace

// The in-air menu's places for this kit and hand: the layout without drums, then the drumming
// page's two buttons pushed clear of the placed hand drums and of each other, and its sliders
// beside them. False when the kit has no placed hand drum.
bool Drumkit::SetDistanceMenuLocations(bool left_handed) {
  const float base = M::m_lowest_drum_y - kAboveLowestDrum;
  const float r = M::m_menu_radius;
  const bool right = !left_handed;
  // 1. Without drums, and the performance-mode button.
  PlaceMenusWithoutDrums(base, r, right);
  M::m_with_drums_perf_mode_x = right ? 80 : 240;
  M::m_with_drums_perf_mode_y = base;

  // 2. The placed hand drums, to keep clear of.
  std::vector<MocapMarker::Position> obstacles;
  for (const Drum& d : drums)
    if ((d.category == Sound::CATEGORY_HAND || d.category == Sound::CATEGORY_HAND_AND_FOOT) && d.size > 0) {
      MocapMarker::Position p;
      p.x = d.x;
      p.y = d.y;
      obstacles.push_back(p);
    }
  if (obstacles.empty()) {
    PlaceMenusOverNoHandDrums(base, r, right);
    return false;
  }

  // 3. The first button clear of the drums, the second clear of them and of the first.
  FindBestLocation(obstacles, left_handed, right ? 120 : 200, base, M::m_with_drums_x, M::m_with_drums_y);
  MocapMarker::Position first;
  first.x = M::m_with_drums_x;
  first.y = M::m_with_drums_y;
  obstacles.push_back(first);
  FindBestLocation(obstacles, left_handed, right ? 80 : 240, base, M::m_with_drums2_x, M::m_with_drums2_y);
  KeepButtonsApart(first, M::m_with_drums2_x, M::m_with_drums2_y);

  // 4. The sliders.
  PlaceSliders(drums, r, right);
  return true;
}
