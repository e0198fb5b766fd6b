// Where the in-air menu's buttons and sliders go, clear of the placed drums.
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

bool Drumkit::SetDistanceMenuLocations(bool left_handed) {
  typedef DistanceMenu M;
  float base = M::m_lowest_drum_y - 5.0f;
  float r = M::m_menu_radius;
  bool right = !left_handed;

  M::m_no_drums_x = right ? 120 : 200;
  M::m_no_drums2_x = right ? 170 : 150;
  M::m_no_drums3_x = right ? 220 : 100;
  M::m_no_drums4_x = M::m_no_drums_x;
  M::m_no_drums5_x = M::m_no_drums2_x;
  M::m_no_drums6_x = M::m_no_drums3_x;
  M::m_no_drums_y = M::m_no_drums2_y = M::m_no_drums3_y = base - 35;
  M::m_no_drums4_y = M::m_no_drums5_y = M::m_no_drums6_y = base - 85;
  M::m_no_drums_slider_top_x = right ? 198 : 78;
  M::m_no_drums_slider_top_y = base - 35 - r + 3;
  M::m_no_drums_slider_top_width = 2 * r;
  M::m_no_drums_slider_bottom_x = right ? 98 : 78;
  M::m_no_drums_slider_bottom_y = base - 35 - r + 3;
  M::m_no_drums_slider_bottom_width = 144;
  M::m_with_drums_perf_mode_x = right ? 80 : 240;
  M::m_with_drums_perf_mode_y = base;

  std::vector<MocapMarker::Position> obstacles;
  for (const Drum& d : drums)
    if ((d.category == Sound::CATEGORY_HAND || d.category == Sound::CATEGORY_HAND_AND_FOOT) && d.size > 0) {
      MocapMarker::Position p;
      p.x = d.x;
      p.y = d.y;
      obstacles.push_back(p);
    }

  if (obstacles.empty()) {
    M::m_with_drums_x = M::m_no_drums_x;
    M::m_with_drums_y = base;
    M::m_with_drums2_x = right ? 70 : 250;
    M::m_with_drums2_y = base;
    M::m_with_drums_slider_x = right ? 145 : 125.5f;
    M::m_with_drums_slider_y = base - r;
    M::m_with_drums_slider_width = 49.5f;
    M::m_with_drums_slider2_x = right ? 200.5f : 70;
    return false;
  }

  FindBestLocation(obstacles, left_handed, right ? 120 : 200, base, M::m_with_drums_x, M::m_with_drums_y);
  MocapMarker::Position first;
  first.x = M::m_with_drums_x;
  first.y = M::m_with_drums_y;
  obstacles.push_back(first);
  FindBestLocation(obstacles, left_handed, right ? 80 : 240, base, M::m_with_drums2_x, M::m_with_drums2_y);
  KeepButtonsApart(first, M::m_with_drums2_x, M::m_with_drums2_y);
  if (right) {
    M::m_with_drums_slider_x = M::m_with_drums_x + 22 + 3;
    M::m_with_drums_slider2_x = M::m_with_drums_slider_x + 49.5f + 6;
  } else {
    M::m_with_drums_slider_x = M::m_with_drums_x - 22 - 49.5f - 3;
    M::m_with_drums_slider2_x = M::m_with_drums_slider_x - 49.5f - 6;
  }
  M::m_with_drums_slider_y = M::m_with_drums_y - r;
  M::m_with_drums_slider_width = 49.5f;
  float clearance = 1e8f;
  for (const Drum& d : drums)
    if (d.x >= M::m_with_drums_slider_x && d.x <= M::m_with_drums_slider_x + 49.5f)
      clearance = std::min(clearance, M::m_with_drums_slider_y - d.y);
  if (clearance < 10) M::m_with_drums_slider_y += 10;
  return true;
}
