// Carrying a kit's drums over to its edited element list: which old drum becomes which new one,
// and what the drums in memory hold (placement, pedals, volume maps, volumes and curves, MIDI
// thresholds, the choke zones), kept across the reload of the edited kit, saved or not.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "drumming/drumkit.h"

// Old drum index to new: each new drum takes the first old drum, not yet taken, of the same
// element. Old drums without a match are dropped; new drums without one get nothing.
std::map<int, int> CarriedDrums(const std::vector<std::string>& old_elements,
                                const std::vector<std::string>& new_elements);

// The drums of a kit as they are in memory, taken before the kit is reloaded.
class KeptDrums {
 public:
  explicit KeptDrums(const Drumkit& kit);
  // Gives new drum j what old drum k had, for each pair (k, j), and the kit the old choke zones.
  // An old drum without sound gives nothing: its lines in the file are its own.
  void PutInto(Drumkit& kit, const std::map<int, int>& old_to_new) const;

 private:
  struct Kept {
    Drumkit::Drum settings;  // without icons
    bool sounded = false;
    int volume[2] = {};      // sticks, then pedal
    Sound::VolumeResponseCurve curve[2] = {};
  };
  std::vector<Kept> drums_;
  float left_choke_distance_ = 0;
  float right_choke_distance_ = 0;
};
