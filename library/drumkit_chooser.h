// The kit library: the kit files of conf/drumkits/ and the element library of data/elements/,
// which kit is current, loading a kit into the playable drum kit, and saving, naming, copying
// and deleting kit and element files. Main thread only.
#pragma once
#include <string>
#include <vector>

#include "sound/sound.h"

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
    // The [Drumkit] part as written: Name, Is_Preset, a blank line, one line per drum.
    std::string DrumkitPart() const;
    // Writes this kit's file (atomically), carrying old's [Drumkit calibration] over to the new
    // drum order (matched by element name, first free old drum first); old may be null. False,
    // with nothing written, when old's file cannot be read or the file cannot be written.
    bool SaveWhenEditing(const LogicalDrumkit* old) const;
  };

  // A new element as the element screen fills it in.
  struct Element {
    std::string label;        // not used by the library
    std::string name;         // becomes the file name data/elements/<name>.ele
    std::string sample_path;  // folder of WAV samples; empty for a MIDI-only element
    Sound::ElementType type = Sound::KICK;
    Sound::ElementCategory category = Sound::CATEGORY_HAND;
    bool flag = false;  // not used by the library
  };

  // No constructor of its own: the program-wide object starts empty before main.
  std::vector<std::string> element_names;  // the element library (names without ".ele")
  std::vector<LogicalDrumkit> drumkits;    // presets for the player's hand first, then user kits
  std::string current_drumkit_name;        // the Name of the kit that is, or is to be, loaded
  // The kit that SaveWithCalibration wrote to a temporary file, listed by CommitKitFile
  // (index -1: a kit not listed yet).
  LogicalDrumkit pending_kit;
  int pending_index = -1;

  // Builds the element list from data/elements/. Called once by the deferred start-up.
  void Init();
  void BuildElementList();
  // Rebuilds the kit list: the presets of the given hand, then the user kits.
  void BuildDrumkitList(bool left_handed);

  // Null, or false, for an index that is not listed.
  LogicalDrumkit* GetDrumkit(int i);
  bool IsDrumkitPreset(int i) const;
  int GetCurrentKitIndex() const;
  void GetDrumkitNames(std::vector<std::string>& names) const;
  void GetElementNames(std::vector<std::string>& names) const { names = element_names; }

  // Loads kit `name` (the current kit when empty) into kit, with samples or, for MIDI, only
  // the elements' headers. Returns the kit's list index, -1 when no listed kit has that Name
  // (nothing changes then).
  int LoadDrumkit(Drumkit* kit, const std::string& name, bool show_progress);
  int LoadDrumkitWithoutSamplesForMIDI(Drumkit* kit, const std::string& name, bool show_progress);

  // Checks a kit Name and, for a kit without a file, builds a file path no listed kit and no
  // file on disk uses. False with message set when the Name is empty, unusable or taken.
  bool CheckNameBuildFilename(std::string& path, const std::string& name, std::string& message, bool element);
  // Names (when new) and writes kit, carrying old's calibration (old may be null); a new kit
  // is appended to the list. False with message set.
  bool SaveDrumkit(LogicalDrumkit& kit, std::string& message, const LogicalDrumkit* old);
  // Writes the current kit's [Drumkit] part to a temporary file whose path comes back in
  // path; the caller appends the calibration there and calls CommitKitFile. Nothing is
  // listed and no kit file is touched before CommitKitFile.
  bool SaveWithCalibration(std::string& path, std::string& message);
  // When complete (the calibration was appended), replaces the kit file with the temporary
  // file (atomically) and lists the kit; the temporary file is removed either way. False with
  // message set ("Could not save the drumkit to " + path + ".") when nothing was replaced.
  bool CommitKitFile(const std::string& temp_path, bool complete, std::string& message);
  std::string MakeUniqueDrumkitCopyName(const std::string& name) const;
  // Deletes kit i's file and its record: the index to select next, -1 for an empty list, -2
  // (list unchanged) when the file cannot be deleted.
  int DeleteDrumkit(int i, std::string& message);

  // Creates the element file (from the sample folder, or MIDI-only) and lists it.
  bool SaveElement(const Element& element, std::string& message);
  // How many listed kits use element i; their Names joined in message ("A, B and C").
  int CountDrumkitsUsingElement(int i, std::string& message) const;
  // As DeleteDrumkit, for element files.
  int DeleteElement(int i, std::string& message);

 private:
  int LoadKit(Drumkit* kit, const std::string& name, bool show_progress, bool midi_only);
};

extern DrumkitChooser drumkit_chooser;

// What the kit loaders and the element converter show as they go: (percent, caption, first
// call). The default draws the progress bar; tests put in their own.
extern void (*kit_progress)(int percent, const std::string& caption, bool first);
