// The kit library: the kit files of conf/drumkits/ and the element library of data/elements/,
// which kit is current, and loading a kit into the playable drum kit.
#pragma once
#include <string>
#include <vector>

class Drumkit;

class DrumkitChooser {
 public:
  // One kit file as listed.
  struct LogicalDrumkit {
    std::string path;                   // the kit file; empty for a kit without a file yet
    std::string Name;                   // the kit's name as in its file
    std::vector<std::string> elements;  // element name of drum 0, 1, ...
    bool left_handed = false;           // a preset whose Name holds "(LH)"
    bool Is_Preset = false;

    // Fills this record from the [Drumkit] section of a kit file; false when the file cannot
    // be read or has no Name.
    bool Load(const std::string& path);
  };

  // No constructor of its own: the program-wide object starts empty before main.
  std::vector<std::string> element_names;  // the element library (names without ".ele")
  std::vector<LogicalDrumkit> drumkits;    // presets for the player's hand first, then user kits
  std::string current_drumkit_name;        // the Name of the kit that is, or is to be, loaded

  // Builds the element list from data/elements/. Called once by the deferred start-up.
  void Init();
  // Rebuilds the kit list: the presets of the given hand, then the user kits.
  void BuildDrumkitList(bool left_handed);
  // Loads kit `name` (or the current kit when name is empty) with its samples into kit.
  // Negative when no listed kit has that name or the kit cannot be set up.
  int LoadDrumkit(Drumkit* kit, const std::string& name, bool flag);
  // The same for MIDI mode: only the elements' headers are read.
  int LoadDrumkitWithoutSamplesForMIDI(Drumkit* kit, const std::string& name, bool flag);
  // Rewrites the current kit's [Drumkit] part (creating a user kit first when the current kit is
  // not listed); path receives the kit file's path. The caller then appends the calibration.
  bool SaveWithCalibration(std::string& path, std::string& message);
};

extern DrumkitChooser drumkit_chooser;
