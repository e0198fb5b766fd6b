// The kit library. Listing kits and elements is here; loading a kit's samples into the
// playable kit and saving kit files are stand-ins until the kit library's loader and writer
// are written (they report failure, so the rest of the program carries on without a kit).
#include "library/drumkit_chooser.h"

#include <cstdio>

#include "frame/ini_file.h"
#include "frame/paths.h"

DrumkitChooser drumkit_chooser;

bool DrumkitChooser::LogicalDrumkit::Load(const std::string& file) {
  IniFile ini;
  if (!ini.Init(file)) return false;
  const char* value = nullptr;
  if (!ini.GetString("Drumkit", "Name", value) || !value) {
    printf("Drumkit has no name, skipping it\n");
    return false;
  }
  Name = value;
  bool preset = false;
  if (ini.GetBool("Drumkit", "Is_Preset", preset)) Is_Preset = preset;
  for (int d = 0;; ++d) {
    const char* element = nullptr;
    if (!ini.GetString("Drumkit", "Drum" + std::to_string(d) + ".element", element) || !element) break;
    elements.emplace_back(element);
  }
  path = file;
  return true;
}

void DrumkitChooser::Init() {
  element_names.clear();
  std::vector<std::string> files;
  ScanDirectory(MakePath(kPathElements, "").c_str(), ".ele", files);
  for (const std::string& f : files) element_names.push_back(f.substr(0, f.size() - 4));
}

void DrumkitChooser::BuildDrumkitList(bool left_handed) {
  drumkits.clear();
  std::vector<std::string> files;
  const std::string folder = MakePath(kPathDrumkits, "");
  ScanDirectory(folder.c_str(), ".ini", files);
  std::vector<LogicalDrumkit> presets, user;
  for (const std::string& f : files) {
    LogicalDrumkit kit;
    if (!kit.Load(folder + f)) continue;
    if (kit.Is_Preset) {
      kit.left_handed = kit.Name.find("(LH)") != std::string::npos;
      if (kit.left_handed == left_handed) presets.push_back(kit);
    } else {
      user.push_back(kit);
    }
  }
  drumkits = presets;
  drumkits.insert(drumkits.end(), user.begin(), user.end());
}

// Stand-in until the kit library's loader is written: names the kit, finds it, and reports
// that it cannot be set up.
int DrumkitChooser::LoadDrumkit(Drumkit*, const std::string& name, bool) {
  if (!name.empty()) current_drumkit_name = name;
  for (const LogicalDrumkit& kit : drumkits)
    if (kit.Name == current_drumkit_name) {
      printf("Loading drum kits is not available in this build.\n");
      return -1;
    }
  return -1;
}

// Stand-in until the kit library's loader is written (see LoadDrumkit).
int DrumkitChooser::LoadDrumkitWithoutSamplesForMIDI(Drumkit* kit, const std::string& name, bool flag) {
  return LoadDrumkit(kit, name, flag);
}

// Stand-in until the kit library's writer is written: nothing is saved.
bool DrumkitChooser::SaveWithCalibration(std::string& path, std::string& message) {
  path.clear();
  message = "Saving drum kits is not available in this build.";
  return false;
}
