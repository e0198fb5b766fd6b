// Carrying a kit's drums over to its edited element list.
#include "drumming/kit_carry.h"

namespace {

// What the player sets on a drum: where it and its pedal are, how its strokes are heard and
// what MIDI makes of them.
void CopySettings(const Drumkit::Drum& from, Drumkit::Drum& to) {
  to.x = from.x;
  to.y = from.y;
  to.size = from.size;
  to.foot_x = from.foot_x;
  to.foot_y = from.foot_y;
  to.foot_size = from.foot_size;
  to.foot_x_in_file = from.foot_x_in_file;
  to.stand_shift = from.stand_shift;
  to.hand_map = from.hand_map;
  to.foot_map = from.foot_map;
  to.pedal_lowest_foot_y = from.pedal_lowest_foot_y;
  to.pedal_foot_range = from.pedal_foot_range;
  to.hihat_splash_sensitivity = from.hihat_splash_sensitivity;
  to.hihat_clutch_openness = from.hihat_clutch_openness;
  to.midi_bow_edge_threshold = from.midi_bow_edge_threshold;
  to.midi_rimshot_threshold = from.midi_rimshot_threshold;
  to.midi_hand_filter_threshold = from.midi_hand_filter_threshold;
  to.midi_foot_filter_threshold = from.midi_foot_filter_threshold;
}

}  // namespace

std::map<int, int> CarriedDrums(const std::vector<std::string>& old_elements,
                                const std::vector<std::string>& new_elements) {
  std::map<int, int> old_to_new;
  std::vector<bool> taken(old_elements.size(), false);
  for (size_t j = 0; j < new_elements.size(); ++j)
    for (size_t k = 0; k < old_elements.size(); ++k)
      if (!taken[k] && old_elements[k] == new_elements[j]) {
        taken[k] = true;
        old_to_new[int(k)] = int(j);
        break;
      }
  return old_to_new;
}

KeptDrums::KeptDrums(const Drumkit& kit)
    : drums_(kit.drums.size()),
      left_choke_distance_(kit.left_choke_distance),
      right_choke_distance_(kit.right_choke_distance) {
  for (size_t k = 0; k < drums_.size(); ++k) {
    Kept& kept = drums_[k];
    CopySettings(kit.drums[k], kept.settings);
    kept.sounded = kit.GetDrumkitElementToSoundElement(int(k)) >= 0;
    for (bool pedal : {false, true}) {
      kept.volume[pedal] = kit.GetVolume(int(k), pedal);
      kept.curve[pedal] = kit.GetVolumeCurve(int(k), pedal);
    }
  }
}

void KeptDrums::PutInto(Drumkit& kit, const std::map<int, int>& old_to_new) const {
  kit.left_choke_distance = left_choke_distance_;
  kit.right_choke_distance = right_choke_distance_;
  for (const auto& [k, j] : old_to_new) {
    if (k >= int(drums_.size()) || j >= int(kit.drums.size()) || !drums_[k].sounded) continue;
    const Kept& kept = drums_[k];
    CopySettings(kept.settings, kit.drums[j]);
    for (bool pedal : {false, true}) {
      kit.SetVolume(j, kept.volume[pedal], pedal);
      kit.SetVolumeCurve(j, kept.curve[pedal], pedal);
    }
  }
  kit.UpdateCalibrated();
}
