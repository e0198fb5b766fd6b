// What the drumming controller asks of the kit and MIDI-map libraries. The libraries stand
// above the drumming: the controller holds them only as pointers and reaches them through
// these calls, which the libraries install at start-up (InstallLibraryCalls) with designated
// initialisers. Until then the defaults hold: no kit loads, no list is built and nothing is
// saved.
#pragma once
#include <string>

class Drumkit;
class DrumkitChooser;
class MidiMapChooser;

struct LibraryCalls {
  // Start-up: the MIDI-port correction, both lists for the player's hand, and the chosen
  // MIDI map when its index is valid.
  void (*prepare)(DrumkitChooser& kits, MidiMapChooser& maps, bool left_handed, int midi_map_index) =
      [](DrumkitChooser&, MidiMapChooser&, bool, int) {};
  // Loads kit `name` (the current kit when empty), with samples or only for MIDI; negative
  // when it cannot be loaded.
  int (*load_drumkit)(DrumkitChooser& kits, Drumkit* kit, const std::string& name, bool flag, bool midi_only) =
      [](DrumkitChooser&, Drumkit*, const std::string&, bool, bool) { return -1; };
  // Writes the current kit's [Drumkit] part to a temporary file (its path comes back) for
  // the calibration to be appended; then commit_kit_file replaces the kit file with it when
  // complete, or only removes it. Both false with the message for the user.
  bool (*save_with_calibration)(DrumkitChooser& kits, std::string& path, std::string& message) =
      [](DrumkitChooser&, std::string&, std::string&) { return false; };
  bool (*commit_kit_file)(DrumkitChooser& kits, const std::string& temp_path, bool complete, std::string& message) =
      [](DrumkitChooser&, const std::string&, bool, std::string&) { return false; };
  // The name of the kit that is, or is to be, loaded (empty by default).
  const std::string& (*current_drumkit_name)(const DrumkitChooser& kits) =
      [](const DrumkitChooser&) -> const std::string& {
    static const std::string no_kit;
    return no_kit;
  };
  void (*set_current_drumkit_name)(DrumkitChooser& kits, const std::string& name) =
      [](DrumkitChooser&, const std::string&) {};
};

extern LibraryCalls library_calls;
