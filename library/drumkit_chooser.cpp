// Listing kits and elements, and looking kits up.
#include "library/drumkit_chooser.h"

#include <sys/stat.h>

#include <cstdio>

#include "drumming/progress.h"
#include "frame/ini_file.h"
#include "frame/paths.h"
#include "library/library_names.h"

DrumkitChooser drumkit_chooser;

void (*kit_progress)(int, const std::string&, bool) = [](int percent, const std::string& caption, bool first) {
  DisplayProgressBar(percent, caption, true, first);
};

namespace {

// Files that an old installer left behind and that are not the user's: skipped when their
// size (and, for the kit, its content) is exactly the left-behind one.
bool FileSizeIs(const char* path, long long size) {
  struct stat st;
  return stat(path, &st) == 0 && static_cast<uint32_t>(st.st_size) == static_cast<uint64_t>(size);
}

bool IsStaleKitFile(const std::string& file) {
  const char kStale[] = "Copy_of_My_First_Skytapper_Kit__RH_.ini";
  if (file != kStale) return false;
  const std::string path = std::string("conf/drumkits/") + kStale;
  if (!FileSizeIs(path.c_str(), 2541)) return false;
  IniFile ini;
  if (!ini.Init(path)) return false;
  const char* name = nullptr;
  const char* drum3 = nullptr;
  float x = 0;
  return ini.GetString("Drumkit", "Name", name) && std::string(name) == "Copy of My First Skytapper Kit (RH)" &&
         ini.GetString("Drumkit", "Drum3.element", drum3) && std::string(drum3) == "test" &&
         !ini.GetFloat("Drumkit", "Drum3.x", x);
}

void DropStaleElement(std::vector<std::string>& files, const char* file, long long size) {
  for (size_t i = 0; i < files.size(); ++i)
    if (files[i] == file) {
      if (FileSizeIs((std::string("data/elements/") + file).c_str(), size)) files.erase(files.begin() + long(i));
      return;
    }
}

// A value as the file gives it, without the end blanks that a line cut short by a NUL byte
// keeps: written back, the line would read without them.
std::string Value(const char* value) {
  std::string v = value;
  while (!v.empty() && (v.back() == ' ' || v.back() == '\t' || v.back() == '\r')) v.pop_back();
  return v;
}

}  // namespace

bool DrumkitChooser::LogicalDrumkit::Load(const std::string& file) {
  IniFile ini;
  std::string name;
  if (!ReadNameAndPreset(ini, file, "Drumkit", "Drumkit", name, Is_Preset)) return false;
  Name = Value(name.c_str());
  for (int d = 0;; ++d) {
    const char* element = nullptr;
    if (!ini.GetString("Drumkit", "Drum" + std::to_string(d) + ".element", element) || !element) break;
    elements.push_back(Value(element));
  }
  path = file;
  return true;
}

std::string DrumkitChooser::LogicalDrumkit::DrumkitPart() const {
  std::string text = "[Drumkit]\nName = " + Name + "\nIs_Preset = " + (Is_Preset ? "yes" : "no") + "\n\n";
  for (size_t d = 0; d < elements.size(); ++d)
    text += "Drum" + std::to_string(d) + ".element = " + elements[d] + "\n";
  return text;
}

void DrumkitChooser::Init() { BuildElementList(); }

void DrumkitChooser::BuildElementList() {
  std::vector<std::string> files;
  ScanDirectory(MakePath(kPathElements, "").c_str(), ".ele", files);
  DropStaleElement(files, "test.ele", 10153279);
  DropStaleElement(files, "test2.ele", 33979287);
  element_names.clear();
  for (const std::string& f : files) element_names.push_back(f.substr(0, f.rfind('.')));
}

void DrumkitChooser::BuildDrumkitList(bool left_handed) {
  std::vector<std::string> files;
  ScanDirectory(MakePath(kPathDrumkits, "").c_str(), ".ini", files);
  std::vector<LogicalDrumkit> presets, user;
  for (const std::string& f : files) {
    if (IsStaleKitFile(f)) continue;
    LogicalDrumkit kit;
    if (!kit.Load(MakePath(kPathDrumkits, f))) {
      printf("Skipping this drumkit\n");
      continue;
    }
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

DrumkitChooser::LogicalDrumkit* DrumkitChooser::GetDrumkit(int i) {
  return i >= 0 && i < int(drumkits.size()) ? &drumkits[i] : nullptr;
}

bool DrumkitChooser::IsDrumkitPreset(int i) const { return i >= 0 && i < int(drumkits.size()) && drumkits[i].Is_Preset; }

int DrumkitChooser::GetCurrentKitIndex() const {
  for (size_t i = 0; i < drumkits.size(); ++i)
    if (drumkits[i].Name == current_drumkit_name) return int(i);
  return -1;
}

void DrumkitChooser::GetDrumkitNames(std::vector<std::string>& names) const {
  names.resize(drumkits.size());
  for (size_t i = 0; i < drumkits.size(); ++i) names[i] = drumkits[i].Name;
}
