// What the drumming tells a connected 3D viewer. The viewer link stands above the drumming and
// installs its senders here at start-up (InstallViewerCalls) with designated initialisers;
// until then the defaults hold: no viewer is connected and nothing is sent.
#pragma once
#include "drumming/drumkit.h"

struct ViewerCalls {
  bool (*is_connected)() = [] { return false; };
  void (*hit_drum)(int drum, float volume, unsigned char limb) = [](int, float, unsigned char) {};
  void (*markers)(float left_x, float left_y, float left_radius, float right_x, float right_y,
                  float right_radius, float left_foot_x, float left_foot_y, float right_foot_x,
                  float right_foot_y, float hihat_openness) =
      [](float, float, float, float, float, float, float, float, float, float, float) {};
  void (*begin_drumkit)(int drum_count, bool user_kit) = [](int, bool) {};
  void (*add_drum)(int index, const Drumkit::Drum& drum) = [](int, const Drumkit::Drum&) {};
  void (*end_drumkit)() = [] {};
  void (*song_name)() = [] {};
};

extern ViewerCalls viewer_calls;
