// The kit and MIDI-map libraries' side of the drumming controller's library calls.
#include "library/library_calls.h"

#include "drumming/library_calls.h"
#include "library/drumkit_chooser.h"
#include "library/midi_map_chooser.h"
#include "library/midi_maps.h"
#include "library/migrations.h"

namespace {

void Prepare(DrumkitChooser& kits, MidiMapChooser& maps, bool left_handed, int midi_map_index) {
  PatchPerformanceModeMIDIBug();
  kits.BuildDrumkitList(left_handed);
  maps.BuildMidiMapList();
  if (maps.IsValidMidiMapIndex(midi_map_index)) LoadMIDIMap(maps.GetMidiMap(midi_map_index)->path);
}

int LoadDrumkit(DrumkitChooser& kits, Drumkit* kit, const std::string& name, bool flag, bool midi_only) {
  return midi_only ? kits.LoadDrumkitWithoutSamplesForMIDI(kit, name, flag) : kits.LoadDrumkit(kit, name, flag);
}

}  // namespace

void InstallLibraryCalls() {
  library_calls = {
      .prepare = Prepare,
      .load_drumkit = LoadDrumkit,
      .save_with_calibration = [](DrumkitChooser& kits, std::string& path, std::string& message) {
        return kits.SaveWithCalibration(path, message);
      },
      .commit_kit_file = [](DrumkitChooser& kits, const std::string& temp_path, bool complete, std::string& message) {
        return kits.CommitKitFile(temp_path, complete, message);
      },
      .current_drumkit_name = [](const DrumkitChooser& kits) -> const std::string& { return kits.current_drumkit_name; },
      .set_current_drumkit_name = [](DrumkitChooser& kits, const std::string& name) { kits.current_drumkit_name = name; },
  };
}
