// Finding the drum, or the in-air menu button, a stroke meant: in the camera picture or on the
// drums' 3D hit disks; and the memory of firm strokes.
#include <algorithm>
#include <cmath>

#include "drumming/distance_menu.h"
#include "drumming/drumkit.h"
#include "drumming/viewer_calls.h"
#include "tracking/camera_geometry.h"

namespace {

struct DiskRow {
  float offset;    // metres along the normal
  float shift;     // hit-centre shift, fraction of the radius
  float tilt;      // radians
  float diameter;  // inches
};

constexpr float kFarAway = 1e31f;            // farther than any drum or button
constexpr float kTableDiameters = -1.0f;     // as a disk's minimum diameter: the table's diameters alone
constexpr float kNearbyPixels2 = 196.0f;     // 14 pixels, squared: a drum this close is worth a hint

const float kTilt8 = -0.139626235f;
const float kTilt10 = -0.174532801f;
const float kTilt20 = -0.349065602f;

// Rows for element types 1..20.
const DiskRow kDiskRows[21] = {
    {0, 0, 0, 0},                  // KICK
    {0, 0, kTilt8, 14},            // SNARE
    {0, 0, kTilt8, 14},            // RIMSHOT
    {0, 0, kTilt8, 14},            // CROSS_STICK
    {-0.02f, 0, kTilt10, 7.5f},    // VERY_HIGH_TOM
    {-0.02f, 0, kTilt10, 9.5f},    // HIGH_TOM
    {-0.02f, 0, kTilt10, 11.5f},   // MID_TOM
    {0, 0, kTilt10, 14},           // FLOOR_TOM
    {0, 0, kTilt10, 16},           // FLOOR_TOM_2
    {-0.01f, 0.5f, 0, 14},         // HIHAT
    {0, 0, 0, 0},                  // HIHAT_SPLASH
    {-0.03f, 0.5f, kTilt20, 16.5f},   // CRASH
    {-0.015f, 0.5f, kTilt20, 10},     // SPLASH
    {-0.03f, 0.5f, kTilt20, 20},      // RIDE
    {0, 0, kTilt20, 5},               // RIDE_BELL
    {0.015f, 0.5f, kTilt20, 18.5f},   // CHINA
    {0, 0.65f, 0, 6},                 // COWBELL
    {0.02f, 0.5f, 0, 9.7f},           // TAMBOURINE
    {-0.02f, 0, kTilt8, 9},           // CUSTOM_HAND
    {0, 0, 0, 0},                     // CUSTOM_FOOT
    {-0.02f, 0, kTilt8, 9},           // CUSTOM_HAND_AND_FOOT
};

float Dot(const float* a, const float* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// Whether M lies on the disk; score = its distance to the disk's surface.
bool OnDisk(const float* m, const DrumDisk& disk, float radius_factor, float plane_distance, float& score) {
  float d[3] = {m[0] - disk.hit_centre[0], m[1] - disk.hit_centre[1], m[2] - disk.hit_centre[2]};
  float h = Dot(d, disk.normal);
  float q[3] = {d[0] - h * disk.normal[0], d[1] - h * disk.normal[1], d[2] - h * disk.normal[2]};
  float ql = std::sqrt(Dot(q, q));
  if (!(std::fabs(h) <= plane_distance && ql <= radius_factor * disk.radius)) return false;
  if (ql <= disk.radius) {
    score = std::fabs(h);
  } else {
    float e[3];
    for (int k = 0; k < 3; ++k) e[k] = m[k] - (disk.hit_centre[k] + q[k] * disk.radius / ql);
    score = std::sqrt(Dot(e, e));
  }
  return true;
}

float CentreDistance(const float* m, const DrumDisk& disk) {
  float d[3] = {m[0] - disk.centre[0], m[1] - disk.centre[1], m[2] - disk.centre[2]};
  return std::sqrt(Dot(d, d));
}

// Only drums with an element are found, and feet search the pedals alone (category 1 or 2).
bool HasElement(const Drumkit& kit, size_t drum) { return kit.GetDrumkitElementToSoundElement(int(drum)) >= 0; }
bool HandDrum(const Drumkit::Drum& d) {
  return d.category == Sound::CATEGORY_HAND || d.category == Sound::CATEGORY_HAND_AND_FOOT;
}
bool Pedal(const Drumkit::Drum& d) {
  return d.category == Sound::CATEGORY_FOOT || d.category == Sound::CATEGORY_HAND_AND_FOOT;
}

// The drum whose disk the stroke M is on. Where it is on several, a later disk replaces the
// choice when the stroke's distances to the two surfaces differ more than its distances to the
// two centres do and the surface is nearer, or else when the centre is nearer (ties keep the
// earlier drum).
int FindOnDisks(const Drumkit& kit, const float* m) {
  int chosen = -1;
  DrumDisk chosen_disk{};
  float chosen_score = 0;
  for (size_t i = 0; i < kit.drums.size(); ++i) {
    const Drumkit::Drum& d = kit.drums[i];
    if (!HasElement(kit, i) || d.category == Sound::CATEGORY_FOOT) continue;
    DrumDisk disk;
    SetDrumDisk(d.x, d.y, d.size, d.type, disk, kTableDiameters);
    float score;
    if (!OnDisk(m, disk, kit.disk_radius_factor, kit.disk_plane_distance, score)) continue;
    if (chosen >= 0) {
      float centre_new = CentreDistance(m, disk), centre_old = CentreDistance(m, chosen_disk);
      bool take;
      if (std::fabs(score - chosen_score) > std::fabs(centre_new - centre_old))
        take = score < chosen_score;
      else
        take = centre_new < centre_old;
      if (!take) continue;
    }
    chosen = int(i);
    chosen_disk = disk;
    chosen_score = score;
  }
  return chosen;
}

// The hand drums nearest to a hand in the picture: with its depth (the candidate, i3) and
// without it (the depth hint, i2); strictly nearer wins, so the earlier of equals stays.
struct PictureNearest {
  int i3 = -1;
  float d3 = kFarAway;
  int i2 = -1;
  float d2 = kFarAway;  // squared pixels
};

PictureNearest NearestInPicture(const Drumkit& kit, float x, float y, float size) {
  PictureNearest n;
  for (size_t i = 0; i < kit.drums.size(); ++i) {
    const Drumkit::Drum& d = kit.drums[i];
    if (!HasElement(kit, i) || !HandDrum(d)) continue;
    float dx = x - d.x, dy = y - d.y, dz = (size - d.size) * kit.depth_scale;
    float d2 = dx * dx + dy * dy;
    float d3 = d2 + dz * dz;
    if (d3 < n.d3) {
      n.d3 = d3;
      n.i3 = int(i);
    }
    if (d2 < n.d2) {
      n.d2 = d2;
      n.i2 = int(i);
    }
  }
  return n;
}

// Whether the stroke M is on the drum's disk, at least the kit's minimum diameter wide.
bool OnOwnDisk(const Drumkit& kit, const float* m, int drum) {
  const Drumkit::Drum& d = kit.drums[drum];
  DrumDisk disk;
  SetDrumDisk(d.x, d.y, d.size, d.type, disk, kit.disk_min_diameter);
  float score;
  return OnDisk(m, disk, kit.disk_radius_factor, kit.disk_plane_distance, score);
}

// The button nearest to the hand within the button radius becomes the hand's active button
// (none: -1); true, with its id, when it is activated.
bool ActivatedButton(DistanceMenu& menu, float x, float y, bool dominant, int& id) {
  int best = -1;
  float best_distance = kFarAway;
  for (size_t b = 0; b < menu.buttons.size(); ++b) {
    float dx = x - menu.buttons[b].x, dy = y - menu.buttons[b].y;
    float dist = dx * dx + dy * dy;
    if (dist < menu.radius * menu.radius && dist < best_distance) {
      best_distance = dist;
      best = int(b);
    }
  }
  menu.SetActiveButton(best, dominant);
  if (best < 0 || !menu.IsButtonActivated(best, dominant)) return false;
  id = menu.buttons[best].id;
  return true;
}

}  // namespace

void Drumkit::CorrectCoords(float& x, float& y, float& size) { CorrectCameraCoords(x, y, size); }

void SetDrumDisk(float x, float y, float size, Sound::ElementType type, DrumDisk& disk, float min_diameter) {
  DiskRow row = (type >= 1 && type <= 20) ? kDiskRows[type] : DiskRow{0, 0, 0, 0};
  float p[3] = {x, y, size};
  Drumkit::CorrectCoords(p[0], p[1], p[2]);
  float dx = p[0] - 0.01924513f, dz = p[2] + 2.044316f;
  float len = std::sqrt(dz * dz + dx * dx);
  float az = len > 0 ? std::acos(std::clamp(dz / len, -1.0f, 1.0f)) : 0.0f;
  if (dx < 0) az = -az;
  float sa = std::sin(az), ca = std::cos(az);
  disk.normal[0] = sa * std::sin(row.tilt);
  disk.normal[1] = std::cos(row.tilt);
  disk.normal[2] = ca * std::sin(row.tilt);
  for (int k = 0; k < 3; ++k) disk.centre[k] = p[k] + row.offset * disk.normal[k];
  disk.radius = std::max(min_diameter, row.diameter) * 0.0254f * 0.5f;
  for (int k = 0; k < 3; ++k) disk.hit_centre[k] = disk.centre[k];
  if (row.shift > 0) {
    float t2 = row.tilt + 1.570795f;
    float dir[3] = {sa * std::sin(t2), std::cos(t2), ca * std::sin(t2)};
    for (int k = 0; k < 3; ++k) disk.hit_centre[k] += disk.radius * row.shift * dir[k];
  }
}

int Drumkit::FindDrum(Sound::ElementCategory category, float x, float y, float size) {
  if (category != Sound::CATEGORY_HAND && category != Sound::CATEGORY_FOOT) return -1;
  bool foot_search = category == Sound::CATEGORY_FOOT;
  int best = -1;
  float best_distance = kFarAway;
  float best_dx = 0;
  for (size_t i = 0; i < drums.size(); ++i) {
    if (!HasElement(*this, i)) continue;
    const Drum& d = drums[i];
    float distance, dx;
    if (foot_search) {
      if (!Pedal(d)) continue;
      dx = x - d.foot_x;
      distance = dx * dx;
    } else {
      if (!HandDrum(d)) continue;
      dx = x - d.x;
      float dy = y - d.y, dz = (size - d.size) * depth_scale;
      distance = dx * dx + dy * dy + dz * dz;
    }
    if (distance < best_distance) {
      best_distance = distance;
      best = int(i);
      best_dx = std::fabs(dx);
    }
  }
  if (!foot_search || best < 0) return best;
  if (best_dx <= foot_reach) return best;
  return viewer_calls.is_connected() ? best : -1;
}

// A hand's stroke is on a drum when its 3D point lies on the drum's hit disk: the drums are
// searched on their disks (3D), or the nearest in the picture is checked against its disk (2D).
// An in-air button under the hand wins once activated. `nearby` is the depth hint: a drum close
// to the hand in the picture that the stroke did not choose (2D only).
int Drumkit::FindDrumOrMenu(float x, float y, float size, bool dominant, DistanceMenu* menu, int& nearby) {
  // 1. The hand in 3D metres, as the disks are.
  float m[3] = {x, y, size};
  CorrectCoords(m[0], m[1], m[2]);
  // 2. The drum.
  int chosen;
  PictureNearest nearest;
  if (use_3d) {
    chosen = FindOnDisks(*this, m);
  } else {
    nearest = NearestInPicture(*this, x, y, size);
    chosen = nearest.i3 >= 0 && OnOwnDisk(*this, m, nearest.i3) ? nearest.i3 : -1;
  }
  // 3. An activated button under the hand is the answer (nearby then stays as it was).
  int button;
  if (menu && ActivatedButton(*menu, x, y, dominant, button)) return button;
  // 4. The depth hint.
  nearby = (nearest.i2 >= 0 && nearest.d2 < kNearbyPixels2 && nearest.i2 != chosen) ? nearest.i2 : -1;
  return chosen;
}

void Drumkit::RememberHit(int drum, MocapMarkerType type, float speed, bool firm) {
  if (drum == shown_drum && type == shown_marker_type) {
    shown_frames = 250;
    shown_speed = speed;
  }
  if (firm) {
    firmly_hit_twice = firm_drum == drum && firm_marker_type == type;
    firm_drum = drum;
    firm_marker_type = type;
  }
}

bool Drumkit::GetFirmlyHitTwiceDrum(int& drum, MocapMarkerType& type) const {
  if (!firmly_hit_twice) return false;
  drum = firm_drum;
  type = firm_marker_type;
  return true;
}

void Drumkit::ResetTwiceFirmHit() {
  firmly_hit_twice = false;
  firm_drum = -1;
}
