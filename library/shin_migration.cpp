// From shin markers to foot markers: the settings file loses its shin keys, every kit file its
// shin pedal settings, which may become the foot settings of the legs that used a shin marker.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "frame/atomic_file.h"
#include "frame/ini_file.h"
#include "frame/paths.h"
#include "frame/platform/platform.h"
#include "library/migrations.h"

namespace {

// Shown once when a leg was tracked by a shin marker the last time (English only).
const char kShinNotice[] =
    "You are seeing this message because Skytapper was configured to track a shin marker the last time you "
    "drummed.\n\n"
    "Shin markers were an experiment: with a foot marker and a shin marker on the same leg, Skytapper tried to "
    "catch both the toe and the heel of the heel-toe foot technique without a physical pedal. We have not taken "
    "this further. Reliable heel-toe playing needs a real pedal, used with a foot marker.\n\n"
    "For heel-up drumming, foot markers work better than shin markers.\n\n"
    "Therefore the next batches of Skytapper do not include shin markers. Each leg can still carry either a shin "
    "marker or a foot marker, but not both.\n\n"
    "If you click Yes, your kits keep the pedal ranges and sensitivities you set for the shin marker as their "
    "foot settings. Kits you have not used before, or kits you would rather play with a foot marker, may need "
    "adjusting afterwards.\n\n"
    "If you only tried shin markers, or do not use them with most of your kits, we advise you to click No.\n\n"
    "Use shin-specific pedal ranges and sensititivies?";
const char kCalibration[] = "Drumkit calibration";

// A drum played with the foot, with the shin settings it has.
struct FootDrum {
  int index = 0;
  float foot_x = 0;
  std::optional<float> lowest_shin_y, shin_range;
  std::optional<int> shin_sensitivity;
  bool left = false;
};

std::string Key(int drum, const char* key) { return "Drum" + std::to_string(drum) + "." + key; }

std::vector<FootDrum> ReadFootDrums(const std::string& path) {
  std::vector<FootDrum> drums;
  IniFile ini;
  if (!ini.Init(path)) return drums;
  const char* value = nullptr;
  for (int d = 0; ini.GetString("Drumkit", Key(d, "element"), value); ++d) {
    FootDrum drum;
    drum.index = d;
    if (!ini.GetFloat(kCalibration, Key(d, "foot_x"), drum.foot_x)) continue;
    float f = 0;
    int i = 0;
    if (ini.GetFloat(kCalibration, Key(d, "pedal_lowest_shin_y"), f)) drum.lowest_shin_y = f;
    if (ini.GetFloat(kCalibration, Key(d, "pedal_shin_range"), f)) drum.shin_range = f;
    if (ini.GetInt(kCalibration, Key(d, "Shin.Sensitivity"), i)) drum.shin_sensitivity = i;
    drums.push_back(drum);
  }
  return drums;
}

// Left of the mean pedal position, a tie left of the picture's middle.
void AssignSides(std::vector<FootDrum>& drums) {
  float sum = 0;
  for (const FootDrum& d : drums) sum += d.foot_x;
  const float mean = sum / float(drums.size());
  for (FootDrum& d : drums) d.left = d.foot_x < mean || (d.foot_x == mean && d.foot_x < 160.0f);
}

std::string Formatted(const char* format, int drum, double value) {
  char line[96];
  snprintf(line, sizeof(line), format, drum, value);
  return line;
}

std::vector<std::pair<std::string, std::string>> Replacements(const std::vector<FootDrum>& drums, bool left_uses_foot,
                                                              bool right_uses_foot) {
  std::vector<std::pair<std::string, std::string>> pairs;
  for (const FootDrum& d : drums) {
    if (d.left ? left_uses_foot : right_uses_foot) continue;
    if (d.lowest_shin_y)
      pairs.push_back({Key(d.index, "pedal_lowest_foot_y"),
                       Formatted("Drum%d.pedal_lowest_foot_y = %f", d.index, *d.lowest_shin_y)});
    if (d.shin_range)
      pairs.push_back({Key(d.index, "pedal_foot_range"), Formatted("Drum%d.pedal_foot_range = %f", d.index, *d.shin_range)});
    if (d.shin_sensitivity)
      pairs.push_back({Key(d.index, "Foot.Sensitivity"),
                       "Drum" + std::to_string(d.index) + ".Foot.Sensitivity = " + std::to_string(*d.shin_sensitivity)});
  }
  return pairs;
}

std::vector<std::string> EraseKeys(const std::vector<FootDrum>& drums) {
  std::vector<std::string> keys = {"; pedal_lowest_shin_y:", "; pedal_shin_range:", "; Shin.Sensitivity:"};
  for (const FootDrum& d : drums)
    for (const char* key : {"pedal_lowest_shin_y", "pedal_shin_range", "Shin.Sensitivity"}) keys.push_back(Key(d.index, key));
  return keys;
}

bool ReadAll(const std::string& path, std::string& text) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return false;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof(buffer), f)) > 0;) text.append(buffer, n);
  const bool ok = !ferror(f);
  fclose(f);
  return ok;
}

// Each line (its line end kept) replaced by the first pair whose key it contains, else dropped
// when it contains an erase key, else kept as it is.
std::string Rewritten(const std::string& text, const std::vector<std::pair<std::string, std::string>>& pairs,
                      const std::vector<std::string>& erase) {
  std::string out;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    const std::string line = text.substr(start, end - start);
    start = end;
    auto contains = [&](const std::string& key) { return line.find(key) != std::string::npos; };
    const auto pair = std::find_if(pairs.begin(), pairs.end(), [&](const auto& p) { return contains(p.first); });
    if (pair != pairs.end())
      out += pair->second + "\n";
    else if (std::none_of(erase.begin(), erase.end(), contains))
      out += line;
  }
  return out;
}

}  // namespace

bool PatchDrumkitShinsForBatch2(const std::string& path, bool left_uses_foot, bool right_uses_foot, bool keep_shin) {
  std::vector<FootDrum> drums = ReadFootDrums(path);
  if (!drums.empty()) AssignSides(drums);
  std::vector<std::pair<std::string, std::string>> pairs;
  if (keep_shin) pairs = Replacements(drums, left_uses_foot, right_uses_foot);
  std::string text;
  bool ok = ReadAll(path, text);
  if (ok) {
    const std::string patched = Rewritten(text, pairs, EraseKeys(drums));
    ok = patched == text || WriteFileAtomic(path, patched);
  }
  if (!ok) {
    printf("Warning: could not open ini file \"%s\"\n", path.c_str());
    return false;
  }
  return true;
}

void PatchShinsForBatch2() {
  const std::string settings = MakePath(kPathConf, "skytapper.cfg");
  bool left_uses_foot = true, right_uses_foot = true;
  {
    IniFile ini;
    const char* value = nullptr;
    if (!ini.Init(settings) || !ini.GetString("Drummer", "Speed_Threshold_Shin_Play", value)) return;
    ini.GetBool("Session", "Left_Leg_Uses_Foot_marker", left_uses_foot);
    ini.GetBool("Session", "Right_Leg_Uses_Foot_marker", right_uses_foot);
  }
  IniFile::EraseEntries(settings, {"Right_Leg_Uses_Foot_marker", "Left_Leg_Uses_Foot_marker",
                                   "Speed_Threshold_Shin_Play", "Speed_Threshold_Shin_Place"});
  IniFile::ReplaceEntries(settings, {{"Speed_Threshold_Foot_Play", "Speed_Threshold_Foot_Play = 18.000000"},
                                     {"Speed_Threshold_Foot_Place", "Speed_Threshold_Foot_Place = 40.000000"}});
  std::vector<std::string> kits;
  ScanDirectory(MakePath(kPathDrumkits, "").c_str(), ".ini", kits);
  const bool keep_shin = (!left_uses_foot || !right_uses_foot) && MessageBox(kShinNotice, true, true) == 0;
  for (const std::string& kit : kits)
    PatchDrumkitShinsForBatch2(MakePath(kPathDrumkits, kit), left_uses_foot, right_uses_foot, keep_shin);
}
