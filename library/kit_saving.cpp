// Writing kit files: names and free file names for new kits, saving an edited kit with its
// calibration carried over to the new drum order, saving the current kit after placement,
// copy names and deleting. Every write replaces the file atomically.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <set>

#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/kit_carry.h"
#include "frame/atomic_file.h"
#include "frame/ini_file.h"
#include "frame/paths.h"
#include "frame/texts.h"
#include "library/drumkit_chooser.h"
#include "library/library_names.h"

namespace {

const char kCalibration[] = "Drumkit calibration";

std::string WithoutExtension(const std::string& path) { return path.substr(0, path.rfind('.')); }

// Every file of the kit folder counts as taken, listed or not (the other hand's presets,
// files without a Name), as does every listed kit's path.
std::set<std::string> TakenKitPaths(const std::vector<DrumkitChooser::LogicalDrumkit>& kits) {
  std::set<std::string> taken;
  for (const auto& k : kits)
    if (!k.path.empty()) taken.insert(WithoutExtension(k.path));
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(MakePath(kPathDrumkits, ""), ec))
    taken.insert(WithoutExtension(MakePath(kPathDrumkits, entry.path().filename().string())));
  return taken;
}

std::string Line(const char* format, const std::string& key, double value) {
  char buf[512];
  snprintf(buf, sizeof(buf), format, key.c_str(), value);
  return buf;
}

// The calibration lines of old drum k, written as drum j, and a blank line after them.
void CarryDrum(const IniFile& ini, int k, int j, std::string& result) {
  std::string out;
  static const char* const kFloats[] = {"x", "y", "size", "foot_x", "foot_y", "foot_size", "pedal_lowest_foot_y",
                                        "pedal_foot_range", "pedal_lowest_shin_y", "pedal_shin_range",
                                        "hihat_splash_sensitivity", "midi_hand_filter_threshold",
                                        "midi_foot_filter_threshold", "midi_rimshot_threshold",
                                        "midi_bow_edge_threshold"};
  static const char* const kSensitivities[] = {"Hand", "Shin", "Foot"};
  static const char* const kInts[] = {"volume", "volume2", "volume_curve", "volume_curve2"};
  const std::string from = "Drum" + std::to_string(k) + ".", to = "Drum" + std::to_string(j) + ".";
  for (const char* key : kFloats) {
    float v = 0;
    if (ini.GetFloat(kCalibration, from + key, v)) out += Line("%s = %f\n", to + key, v);
  }
  for (const char* limb : kSensitivities) {
    int v = 0;
    if (ini.GetInt(kCalibration, from + limb + ".Sensitivity", v))
      out += to + limb + ".Sensitivity = " + std::to_string(v) + "\n";
  }
  for (const char* key : kInts) {
    int v = 0;
    if (ini.GetInt(kCalibration, from + key, v)) out += to + key + " = " + std::to_string(v) + "\n";
  }
  if (!out.empty()) result += out + "\n";
}

// The [Drumkit calibration] part carried from old's file to the drums of `elements`.
bool CarriedCalibration(const DrumkitChooser::LogicalDrumkit& old, const std::vector<std::string>& elements,
                        std::string& out) {
  IniFile ini;
  if (!ini.Init(old.path)) return false;
  out = "\n[Drumkit calibration]\n\n" + Drumkit::GetDrumkitCalibrationLegend() + "\n";
  for (const char* key : {"Left_Choke_Zone_Param1", "Right_Choke_Zone_Param1"}) {
    float v = 0;
    if (ini.GetFloat(kCalibration, key, v)) out += Line("%s = %f\n", key, v) + "\n";
  }
  for (const auto& [k, j] : CarriedDrums(old.elements, elements)) CarryDrum(ini, k, j, out);  // by old index
  return true;
}

}  // namespace

bool DrumkitChooser::LogicalDrumkit::SaveWhenEditing(const LogicalDrumkit* old) const {
  std::string calibration;
  if (old && !CarriedCalibration(*old, elements, calibration)) return false;
  return WriteFileAtomic(path, DrumkitPart() + calibration);
}

bool DrumkitChooser::CheckNameBuildFilename(std::string& path, const std::string& name, std::string& message,
                                            bool element) {
  const std::string kind = GetUtf8(kTextDrumkit);
  std::string trimmed = name;
  if (!ValidateLibraryName(trimmed, element, GetUtf8(kTextCannotSave) + kind + GetUtf8(kTextWithoutName), message))
    return false;
  // A kit with a file is checked only when it is renamed: another kit's Name would make
  // choosing one load the other.
  bool renamed = path.empty();
  for (const LogicalDrumkit& k : drumkits) renamed = renamed || (k.path == path && k.Name != trimmed);
  for (const LogicalDrumkit& k : drumkits)
    if (renamed && k.Name == trimmed && k.path != path) {
      message = std::string(GetUtf8(kTextA)) + kind + GetUtf8(kTextNameAlreadyExists);
      return false;
    }
  if (!path.empty()) return true;
  path = FreeFileName(MakePath(kPathDrumkits, NameToPath(trimmed)), TakenKitPaths(drumkits)) + ".ini";
  return true;
}

bool DrumkitChooser::SaveDrumkit(LogicalDrumkit& kit, std::string& message, const LogicalDrumkit* old) {
  std::string unused;
  ValidateLibraryName(kit.Name, false, "", unused);  // the Name is kept without end blanks
  LogicalDrumkit candidate = kit;
  const bool is_new = candidate.path.empty();
  if (!CheckNameBuildFilename(candidate.path, candidate.Name, message, false)) return false;
  if (!candidate.SaveWhenEditing(old)) {
    message = std::string(GetUtf8(kTextThereErrorSaving)) + candidate.path + GetUtf8(kTextDot);
    return false;
  }
  kit = candidate;
  if (is_new) drumkits.push_back(kit);
  return true;
}

bool DrumkitChooser::SaveWithCalibration(std::string& path, std::string& message) {
  const int found = GetCurrentKitIndex();
  LogicalDrumkit kit;
  if (found >= 0) {
    kit = drumkits[found];
  } else {
    kit.Name = current_drumkit_name;
    for (const Drumkit::Drum& d : drumkit.drums) kit.elements.emplace_back(d.name);
  }
  // A drum whose element is missing keeps its place: its lines as read go back with it.
  if (!CheckNameBuildFilename(kit.path, kit.Name, message, false)) return false;
  std::error_code ec;
  std::string temp = (std::filesystem::temp_directory_path(ec) / "skytapper-kitXXXXXX").string();
  const int fd = mkostemp(temp.data(), O_CLOEXEC);
  const std::string part = kit.DrumkitPart();
  const bool ok = fd >= 0 && write(fd, part.data(), part.size()) == ssize_t(part.size());
  if (fd >= 0) close(fd);
  if (!ok) {
    if (fd >= 0) unlink(temp.c_str());
    message = std::string(GetUtf8(kTextCouldSaveDrumkit)) + kit.path + GetUtf8(kTextDot);
    return false;
  }
  pending_kit = kit;
  pending_index = found;
  path = temp;
  return true;
}

bool DrumkitChooser::CommitKitFile(const std::string& temp_path, bool complete, std::string& message) {
  std::string bytes;
  bool ok = complete;
  if (ok) {
    FILE* f = fopen(temp_path.c_str(), "rb");
    ok = f != nullptr;
    char buf[65536];
    size_t n = 0;
    while (f && (n = fread(buf, 1, sizeof(buf), f)) > 0) bytes.append(buf, n);
    if (f) ok = !ferror(f) && fclose(f) == 0;
  }
  ok = ok && WriteFileAtomic(pending_kit.path, bytes);
  unlink(temp_path.c_str());
  if (!ok) {
    message = std::string(GetUtf8(kTextCouldSaveDrumkit)) + pending_kit.path + GetUtf8(kTextDot);
    return false;
  }
  if (pending_index >= 0 && pending_index < int(drumkits.size()))
    drumkits[pending_index] = pending_kit;
  else
    drumkits.push_back(pending_kit);
  return true;
}

std::string DrumkitChooser::MakeUniqueDrumkitCopyName(const std::string& name) const {
  const std::string base = GetUtf8(kTextCopy) + name;
  auto taken = [this](const std::string& n) {
    for (const LogicalDrumkit& k : drumkits)
      if (k.Name == n) return true;
    return false;
  };
  std::string candidate = base;
  for (int i = 2; taken(candidate); ++i) candidate = base + " " + std::to_string(i);
  return candidate;
}

int DrumkitChooser::DeleteDrumkit(int i, std::string& message) {
  if (i < 0 || i >= int(drumkits.size())) return -2;
  if (remove(drumkits[i].path.c_str()) != 0) {
    message = std::string(GetUtf8(kTextErrorDeletingDrumkit)) + drumkits[i].path + GetUtf8(kTextDot);
    return -2;
  }
  drumkits.erase(drumkits.begin() + i);
  if (drumkits.empty()) return -1;
  return i < int(drumkits.size()) ? i : int(drumkits.size()) - 1;
}
