// The drum kit model: per-type tables, defaults, volume maps and the kit file's
// [Drumkit calibration] section.
#include "drumming/drumkit.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <strings.h>

#include "frame/ini_file.h"
#include "frame/paths.h"
#include "frame/texts.h"

Drumkit drumkit;

std::string default_pedal_path;
std::string default_hihat_bottom_icon_path;
std::string default_kick_beater_icon_path;

namespace {

const char kSection[] = "Drumkit calibration";

struct TypeRow {
  Sound::ElementType type;
  int order_weight;
  const char* icon;
  Animation::Type animation;
  float hand_sensitivity;
  int volume;
  int curve;
  float foot_sensitivity;
  int volume2;
  int curve2;
};

const TypeRow kTypeRows[] = {
    {Sound::KICK, 600, "bass-drum.png", 3, 50, 80, 3, 20, 60, 0},
    {Sound::SNARE, 933, "snare.png", 2, 37, 75, 1, 25, 60, 0},
    {Sound::RIMSHOT, 1000, "snare.png", 2, 37, 75, 1, 25, 60, 0},
    {Sound::CROSS_STICK, 966, "cross-stick.png", 2, 43, 77, 1, 25, 60, 0},
    {Sound::VERY_HIGH_TOM, 1200, "smallest-tom.png", 2, 50, 55, 1, 25, 60, 0},
    {Sound::HIGH_TOM, 1100, "small-tom.png", 2, 52, 57, 1, 25, 60, 0},
    {Sound::MID_TOM, 1050, "medium-tom.png", 2, 58, 57, 1, 25, 60, 0},
    {Sound::FLOOR_TOM, 700, "big-tom.png", 2, 39, 60, 1, 25, 60, 0},
    {Sound::FLOOR_TOM_2, 650, "biggest-tom.png", 2, 39, 60, 1, 25, 60, 0},
    {Sound::HIHAT, 1300, "hihat-top.png", 0, 30, 35, 0, 33, 29, 3},
    {Sound::HIHAT_SPLASH, 1250, "hihat-top.png", 8, 50, 34, 0, 29, 60, 0},
    {Sound::CRASH, 1800, "crash.png", 0, 26, 26, 0, 25, 60, 0},
    {Sound::SPLASH, 1700, "splash.png", 1, 35, 29, 0, 25, 60, 0},
    {Sound::RIDE, 1900, "ride.png", 0, 66, 18, 0, 25, 60, 0},
    {Sound::RIDE_BELL, 2000, "ride-bell.png", 2, 43, 31, 0, 25, 60, 0},
    {Sound::CHINA, 1600, "china.png", 1, 33, 31, 0, 25, 60, 0},
    {Sound::COWBELL, 1500, "cowbell.png", 4, 38, 56, 0, 25, 60, 0},
    {Sound::TAMBOURINE, 1400, "tambourine.png", 4, 37, 32, 0, 25, 60, 0},
    {Sound::CUSTOM_HAND, 900, "small-tom.png", 2, 40, 60, 0, 25, 60, 0},
    {Sound::CUSTOM_FOOT, 890, "bass-drum.png", 3, 50, 60, 0, 25, 60, 0},
    {Sound::CUSTOM_HAND_AND_FOOT, 880, "hihat-top.png", 0, 40, 60, 0, 25, 60, 0},
};
const Sound::ElementType kDefaultRow = Sound::ElementType(255);

const float kHandBaseSpeed = 2000.0f;
const float kFootBaseSpeed = 200.0f;

// The calibration's defaults and bounds.
constexpr float kLastColumn = 319.0f;           // the QVGA picture's: a place beyond them is reported
constexpr float kLastRow = 239.0f;
constexpr float kDefaultChokeDistance = 200.0f;  // pixels from the picture's centre to a choke zone
constexpr int kDefaultVolume = 75;               // an element's volume, of 100, when the file gives none
constexpr float kDefaultPedalRange = 4.0f;       // pixels of foot travel from closed to open
constexpr float kHiHatStandShift = 17.0f;        // pixels the camera stand moves a preset kit's pedals right
constexpr float kKickStandShift = 31.0f;

float BaseSpeed(MocapMarkerType type) { return type == MOCAP_MARKER_FOOT ? kFootBaseSpeed : kHandBaseSpeed; }
const char* KeyWord(MocapMarkerType type) { return type == MOCAP_MARKER_FOOT ? "Foot" : "Hand"; }

// NaN-safe clamp: a NaN becomes lo.
float Clamp(float v, float lo, float hi) {
  if (!(v >= lo)) return lo;
  return v > hi ? hi : v;
}

float DefaultHandFilterThreshold(Sound::ElementType type) {
  if (type >= Sound::HIHAT && type <= Sound::CHINA) return 0.03f;
  if (type == Sound::COWBELL || type == Sound::TAMBOURINE) return 0.02f;
  return 0.01f;
}

// Reading of the calibration section. Values that cannot be used (not a number, or outside
// the range that the code depends on) are reported and replaced; positions outside the picture
// are only reported, since a drum may sit at the picture's edge on purpose.
class CalibrationReader {
 public:
  explicit CalibrationReader(const IniFile& ini) : ini_(ini) {}

  float Float(const std::string& key, float def) const {
    float v = def;
    if (!ini_.GetFloat(kSection, key, v)) return def;
    if (!std::isfinite(v)) {
      printf("Drumkit file: %s is not a number, using %g\n", key.c_str(), def);
      return def;
    }
    return v;
  }
  float Ranged(const std::string& key, float def, float lo, float hi) const {
    float v = Float(key, def);
    if (v < lo || v > hi) {
      float c = Clamp(v, lo, hi);
      printf("Drumkit file: %s = %g is outside %g..%g, using %g\n", key.c_str(), v, lo, hi, c);
      return c;
    }
    return v;
  }
  float Position(const std::string& key, float hi) const {
    float v = Float(key, 0.0f);
    if (v < 0 || v > hi) printf("Drumkit file: %s = %g lies outside the camera picture\n", key.c_str(), v);
    return v;
  }
  int Int(const std::string& key, int def, int lo, int hi) const {
    int v = def;
    if (!ini_.GetInt(kSection, key, v)) return def;
    if (v < lo || v > hi) {
      int c = std::clamp(v, lo, hi);
      printf("Drumkit file: %s = %d is outside %d..%d, using %d\n", key.c_str(), v, lo, hi, c);
      return c;
    }
    return v;
  }

 private:
  const IniFile& ini_;
};

std::string DrumKey(int i, const char* key) { return "Drum" + std::to_string(i) + "." + key; }

// The lines of drum i's keys in the [Drumkit calibration] section of the file, as they are.
std::string CalibrationLinesOf(const std::string& path, int i) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return {};
  const std::string prefix = "Drum" + std::to_string(i) + ".";
  std::string lines, section;
  char* buf = nullptr;
  size_t capacity = 0;
  ssize_t n;
  while ((n = getline(&buf, &capacity, f)) > 0) {
    std::string line(buf, size_t(n));
    const size_t b = line.find_first_not_of(" \t");
    if (b == std::string::npos) continue;
    line = line.substr(b);
    if (line[0] == '[') section = line.substr(1, line.find(']') - 1);
    else if (strcasecmp(section.c_str(), "Drumkit calibration") == 0 && strncasecmp(line.c_str(), prefix.c_str(), prefix.size()) == 0)
      lines += line.substr(0, line.find_last_not_of("\r\n") + 1) + "\n";
  }
  free(buf);
  fclose(f);
  return lines;
}

// Drum i's name, type and category from the chooser's lists, as far as they go; an unknown
// category is taken as a hand drum.
void NameDrum(Drumkit::Drum& d, size_t i, const std::vector<std::string>& names,
              const std::vector<Sound::ElementType>& types, const std::vector<Sound::ElementCategory>& categories) {
  if (i < names.size()) snprintf(d.name, sizeof(d.name), "%s", names[i].c_str());
  if (i < types.size()) d.type = types[i];
  if (i < categories.size()) d.category = categories[i];
  if (d.category < Sound::CATEGORY_HAND || d.category > Sound::CATEGORY_HAND_AND_FOOT) {
    printf("Drumkit: drum #%zu (%s) has an unknown category %d, taken as a hand drum\n", i, d.name, d.category);
    d.category = Sound::CATEGORY_HAND;
  }
}

// Where drum i and its pedal sit in the picture; a drum without sound keeps its lines as read.
void ReadPlace(Drumkit& kit, const CalibrationReader& r, int i, const std::string& path) {
  Drumkit::Drum& d = kit.drums[i];
  d.x = r.Position(DrumKey(i, "x"), kLastColumn);
  d.y = r.Position(DrumKey(i, "y"), kLastRow);
  d.size = r.Float(DrumKey(i, "size"), 0);
  d.foot_x = d.foot_x_in_file = r.Position(DrumKey(i, "foot_x"), kLastColumn);
  d.stand_shift = 0;
  d.lines_as_read = kit.GetDrumkitElementToSoundElement(i) < 0 ? CalibrationLinesOf(path, i) : std::string();
  d.foot_y = r.Position(DrumKey(i, "foot_y"), kLastRow);
  d.foot_size = r.Float(DrumKey(i, "foot_size"), 0);
}

// A drum's element volume and response curve, and its pedal's for a hi-hat-like drum.
struct DrumVolumes {
  int volume = kDefaultVolume, curve = 0;
  int volume2 = kDefaultVolume, curve2 = 0;
};

// The volumes, and a hi-hat-like drum's splash and clutch settings read between them.
DrumVolumes ReadVolumes(const CalibrationReader& r, int i, Drumkit::Drum& d) {
  DrumVolumes v;
  v.volume = r.Int(DrumKey(i, "volume"), kDefaultVolume, 0, 100);
  v.curve = r.Int(DrumKey(i, "volume_curve"), 0, 0, Sound::NUM_CURVES - 1);
  if (d.category != Sound::CATEGORY_HAND_AND_FOOT) return v;
  v.volume2 = r.Int(DrumKey(i, "volume2"), kDefaultVolume, 0, 100);
  v.curve2 = r.Int(DrumKey(i, "volume_curve2"), 0, 0, Sound::NUM_CURVES - 1);
  d.hihat_splash_sensitivity = r.Ranged(DrumKey(i, "hihat_splash_sensitivity"), 0, 0, 100);
  d.hihat_clutch_openness = r.Ranged(DrumKey(i, "hihat_clutch_openness"), 100.0f, 0, 100);
  return v;
}

// A pedal's closed row and travel (kept negated: the openness is divided by it, so it must be
// more than 0) and its MIDI filter.
void ReadPedal(const CalibrationReader& r, int i, Drumkit::Drum& d) {
  d.pedal_lowest_foot_y = r.Float(DrumKey(i, "pedal_lowest_foot_y"), d.foot_y);
  float range = r.Float(DrumKey(i, "pedal_foot_range"), kDefaultPedalRange);
  if (!(range > 0)) {
    printf("Drumkit file: %s = %g is not a pedal range, using 4\n", DrumKey(i, "pedal_foot_range").c_str(), range);
    range = kDefaultPedalRange;
  }
  d.pedal_foot_range = -range;
  d.midi_foot_filter_threshold = r.Ranged(DrumKey(i, "midi_foot_filter_threshold"), 0, 0, 1);
}

// Drum i's calibration in the file's order: place, volumes, pedal, MIDI thresholds; then the
// volumes go to its element.
void ReadDrumCalibration(Drumkit& kit, const CalibrationReader& r, int i, const std::string& path) {
  Drumkit::Drum& d = kit.drums[i];
  const bool hand = d.category == Sound::CATEGORY_HAND || d.category == Sound::CATEGORY_HAND_AND_FOOT;
  const bool foot = d.category == Sound::CATEGORY_FOOT || d.category == Sound::CATEGORY_HAND_AND_FOOT;
  ReadPlace(kit, r, i, path);
  const DrumVolumes v = ReadVolumes(r, i, d);
  if (foot) ReadPedal(r, i, d);
  if (hand)
    d.midi_hand_filter_threshold =
        r.Ranged(DrumKey(i, "midi_hand_filter_threshold"), DefaultHandFilterThreshold(d.type), 0, 1);
  if (d.type == Sound::SNARE) d.midi_rimshot_threshold = r.Ranged(DrumKey(i, "midi_rimshot_threshold"), 1.0f, 0, 1);
  if (d.type == Sound::HIHAT) d.midi_bow_edge_threshold = r.Ranged(DrumKey(i, "midi_bow_edge_threshold"), 1.0f, 0, 1);
  const int slot = kit.GetDrumkitElementToSoundElement(i);
  if (slot < 0) return;
  kit.sound->SetElementVolume(slot, v.volume, false);
  kit.sound->SetElementCurve(slot, v.curve, false);
  if (d.category == Sound::CATEGORY_HAND_AND_FOOT) {
    kit.sound->SetElementVolume(slot, v.volume2, true);
    kit.sound->SetElementCurve(slot, v.curve2, true);
  }
}

// The stand puts the camera where a preset kit's hi-hat and kick pedals show further right
// than the kit file places them; the file keeps its own places (foot_x_in_file).
void ShiftPedalsForStand(std::vector<Drumkit::Drum>& drums) {
  for (Drumkit::Drum& d : drums) {
    if (d.type == Sound::HIHAT || d.type == Sound::HIHAT_SPLASH) d.stand_shift = kHiHatStandShift;
    if (d.type == Sound::KICK) d.stand_shift = kKickStandShift;
    d.foot_x += d.stand_shift;
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Volume maps

void fit_spline(const float* x, const float* y, int n, float* y2) {
  if (n < 2) return;
  std::vector<float> u(n + 1, 0.0f);
  y2[1] = u[1] = 0.0f;
  for (int i = 2; i <= n - 1; ++i) {
    float span = x[i + 1] - x[i - 1];
    float left = x[i] - x[i - 1];
    float right = x[i + 1] - x[i];
    if (span == 0 || left == 0 || right == 0) {  // repeated speeds: no curvature there
      y2[i] = 0;
      u[i] = 0;
      continue;
    }
    float sig = left / span;
    float p = sig * y2[i - 1] + 2.0f;
    y2[i] = (sig - 1.0f) / p;
    u[i] = (y[i + 1] - y[i]) / right - (y[i] - y[i - 1]) / left;
    u[i] = (6.0f * u[i] / span - sig * u[i - 1]) / p;
  }
  y2[n] = 0.0f;
  for (int k = n - 1; k >= 1; --k) y2[k] = y2[k] * y2[k + 1] + u[k];
}

void eval_spline(const float* x, const float* y, const float* y2, int n, float at, float& result) {
  int lo = 1, hi = n;
  while (hi - lo > 1) {
    int k = (hi + lo) / 2;
    if (x[k] > at)
      hi = k;
    else
      lo = k;
  }
  float h = x[hi] - x[lo];
  if (h == 0) {
    result = at < x[lo] ? y[lo] : y[hi];
    return;
  }
  float a = (x[hi] - at) / h;
  float b = (at - x[lo]) / h;
  result = a * y[lo] + b * y[hi] + ((a * a * a - a) * y2[lo] + (b * b * b - b) * y2[hi]) * (h * h) / 6.0f;
}

void Drumkit::VolumeMap::SetVolume(std::vector<std::pair<float, float>>& new_points) {
  speeds.clear();
  volumes.clear();
  second_derivatives.clear();
  std::sort(new_points.begin(), new_points.end());
  count = int(new_points.size());
  if (count < 3) {
    for (const auto& p : new_points) {
      speeds.push_back(p.first);
      volumes.push_back(p.second);
    }
  } else {
    speeds.assign(count + 1, 0.0f);
    volumes.assign(count + 1, 0.0f);
    second_derivatives.assign(count + 1, 0.0f);
    for (int i = 0; i < count; ++i) {
      speeds[i + 1] = new_points[i].first;
      volumes[i + 1] = new_points[i].second;
    }
    fit_spline(speeds.data(), volumes.data(), count, second_derivatives.data());
  }
  points = new_points;
}

void Drumkit::VolumeMap::MakeOnePointMap(float max_speed) {
  std::vector<std::pair<float, float>> p = {{0.0f, 0.0f}, {max_speed, 1.0f}};
  SetVolume(p);
}

float Drumkit::VolumeMap::GetVolume(float speed) const {
  if (std::isnan(speed)) return 0.0f;
  if (count >= 3) {
    float v;
    eval_spline(speeds.data(), volumes.data(), second_derivatives.data(), count, speed, v);
    return Clamp(v, 0.0f, 1.0f);
  }
  if (count == 2) {
    float span = speeds[1] - speeds[0];
    if (span == 0) return Clamp(speed > speeds[1] ? volumes[1] : volumes[0], 0.0f, 1.0f);
    return Clamp((speed - speeds[0]) * (volumes[1] - volumes[0]) / span + volumes[0], 0.0f, 1.0f);
  }
  return 1.0f;
}

float Drumkit::VolumeMap::GetMaxSpeed() const {
  if (count == 2) return speeds[1];
  if (count >= 3) return speeds[count];  // where a spline map reaches its top
  return 0.0f;
}

bool Drumkit::VolumeMap::Init(const char* prefix, int point_count, const IniFile& ini, MocapMarkerType type) {
  const char* word = KeyWord(type);
  float base = BaseSpeed(type);
  std::string key = std::string(prefix) + "." + word + ".Sensitivity";
  int s = 0;
  if (ini.IsOpen() && ini.GetInt(kSection, key, s)) {
    if (s < 0 || s > 100) {
      int c = std::clamp(s, 0, 100);
      printf("Drumkit file: %s = %d is outside 0..100, using %d\n", key.c_str(), s, c);
      s = c;
    }
    std::vector<std::pair<float, float>> p = {{0.0f, 0.0f}, {base * (1.0f - 0.01f * float(s)), 1.0f}};
    SetVolume(p);
    return true;
  }
  std::vector<std::pair<float, float>> p;
  for (int i = 0; i < point_count; ++i) {
    std::string k = std::string(prefix) + "." + word + ".VolumeMap" + std::to_string(i);
    float speed = 0, volume = 0;
    bool ok = ini.IsOpen() && ini.GetFloat(kSection, k + ".Speed", speed) && ini.GetFloat(kSection, k + ".Volume", volume);
    if (ok && (!std::isfinite(speed) || !std::isfinite(volume))) ok = false;
    if (!ok) {
      printf("No valid volume map found, using default\n");
      p = {{0.0f, 0.0f}, {type == MOCAP_MARKER_FOOT ? 50.0f : 500.0f, 1.0f}};
      SetVolume(p);
      return false;
    }
    p.push_back({speed, volume});
  }
  SetVolume(p);
  return true;
}

bool Drumkit::VolumeMap::SaveIni(const char* prefix, FILE* file, MocapMarkerType type) const {
  float s = GetMaxSpeed() / BaseSpeed(type);
  s = std::max(s, 0.0f);
  s = s < 1 ? s * 100.0f : 100.0f;
  // Rounded: the speed made from an integer sensitivity gives that integer back.
  return fprintf(file, "%s.%s.Sensitivity = %d\n", prefix, KeyWord(type), int(std::lround(100.0f - s))) > 0;
}

void Drumkit::VolumeMap::Evaluate(std::vector<std::pair<float, float>>& out) const {
  if (count < 3 || speeds.empty() || second_derivatives.empty()) return;
  float step = (1.2f * speeds[count] - 0.5f * speeds[1]) / 20.0f;
  float s = 0.5f * speeds[1];
  for (int i = 0; i < 20; ++i) {
    s += step;
    float v;
    eval_spline(speeds.data(), volumes.data(), second_derivatives.data(), count, s, v);
    out.push_back({s, v});
  }
}

void Drumkit::InitVolumeMaps(const IniFile& ini) {
  int point_count = 2;
  if (ini.IsOpen()) ini.GetInt(kSection, "Num_Volume_Map_Control_Points", point_count);
  for (size_t i = 0; i < drums.size(); ++i) {
    Drum& d = drums[i];
    std::string prefix = "Drum" + std::to_string(i);
    if (d.category == Sound::CATEGORY_HAND || d.category == Sound::CATEGORY_HAND_AND_FOOT) {
      if (!d.hand_map.Init(prefix.c_str(), point_count, ini, MOCAP_MARKER_HAND) && ini.IsOpen())
        printf("No volume map for hand markers for %s in the drumkit file\n", d.name);
    }
    if (d.category == Sound::CATEGORY_FOOT || d.category == Sound::CATEGORY_HAND_AND_FOOT) {
      if (!d.foot_map.Init(prefix.c_str(), point_count, ini, MOCAP_MARKER_FOOT) && ini.IsOpen())
        printf("No volume map for foot markers for %s in the drumkit file\n", d.name);
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Model and per-type tables

Drumkit::Drumkit() {
  for (const TypeRow& r : kTypeRows) {
    order_weights[r.type] = r.order_weight;
    type_animations[r.type] = r.animation;
  }
}

Drumkit::~Drumkit() { CleanUp(); }

void Drumkit::Init() {
  auto image_path = [](const char* file) { return MakePath(kPathImages, GetImageFileName(file)); };
  default_pedal_path = image_path("pedal.png");
  default_hihat_bottom_icon_path = image_path("hihat-bottom.png");
  default_kick_beater_icon_path = image_path("beater.png");
  for (const TypeRow& r : kTypeRows) {
    type_icon_paths[r.type] = image_path(r.icon);
    float spare = (r.type == Sound::KICK || r.type == Sound::HIHAT || r.type == Sound::HIHAT_SPLASH) ? 60.0f : 50.0f;
    type_defaults[r.type] = {r.hand_sensitivity, r.volume, r.curve, spare, r.foot_sensitivity, r.volume2, r.curve2};
  }
  type_icon_paths[kDefaultRow] = image_path("small-tom.png");
  type_defaults[kDefaultRow] = {40.0f, 60, 0, 50.0f, 25.0f, 60, 0};
}

void Drumkit::CleanUp() {
  midi_notes.clear();
  midi_notes.shrink_to_fit();
}

void Drumkit::SetDrumDefaults(int drum) {
  Drum& d = drums[drum];
  auto it = type_defaults.find(d.type);
  if (it == type_defaults.end()) it = type_defaults.insert({d.type, {40.0f, 60, 0, 50.0f, 25.0f, 60, 0}}).first;
  const VolumeSensitivityDefault& def = it->second;
  std::vector<std::pair<float, float>> hand = {{0.0f, 0.0f}, {(1.0f - 0.01f * def.hand_sensitivity) * kHandBaseSpeed, 1.0f}};
  d.hand_map.SetVolume(hand);
  std::vector<std::pair<float, float>> foot = {{0.0f, 0.0f}, {(1.0f - 0.01f * def.foot_sensitivity) * kFootBaseSpeed, 1.0f}};
  d.foot_map.SetVolume(foot);
  int slot = GetDrumkitElementToSoundElement(drum);
  if (slot >= 0 && sound) {
    sound->SetElementVolume(slot, def.volume, false);
    sound->SetElementCurve(slot, def.volume_curve, false);
    if (d.category == Sound::CATEGORY_HAND_AND_FOOT) {
      sound->SetElementVolume(slot, def.volume2, true);
      sound->SetElementCurve(slot, def.volume_curve2, true);
    }
  }
}

int Drumkit::GetDrumkitElementToSoundElement(int drum) const {
  auto it = drum_to_element.find(drum);
  if (it == drum_to_element.end() || it->second < 0) return -1;
  return it->second;
}

void Drumkit::SetVolume(int drum, int volume, bool pedal) {
  int slot = GetDrumkitElementToSoundElement(drum);
  if (slot >= 0 && sound) sound->SetElementVolume(slot, volume, pedal);
}

int Drumkit::GetVolume(int drum, bool pedal) const {
  int slot = GetDrumkitElementToSoundElement(drum);
  return slot >= 0 && sound ? sound->GetElementVolume(slot, pedal) : 0;
}

void Drumkit::SetVolumeCurve(int drum, Sound::VolumeResponseCurve curve, bool pedal) {
  int slot = GetDrumkitElementToSoundElement(drum);
  if (slot >= 0 && sound) sound->SetElementCurve(slot, curve, pedal);
}

Sound::VolumeResponseCurve Drumkit::GetVolumeCurve(int drum, bool pedal) const {
  int slot = GetDrumkitElementToSoundElement(drum);
  return slot >= 0 && sound ? sound->GetElementCurve(slot, pedal) : Sound::CURVE_LINEAR;
}

void Drumkit::FreeSamplesForMIDI() {
  if (!sound) return;
  for (const auto& [drum, slot] : drum_to_element)
    if (slot >= 0) sound->FreeElementDataForMIDI(slot);
}

void Drumkit::EraseForMIDI() {
  firm_drum = -1;
  firmly_hit_twice = false;
  drum_to_element.clear();
  drums.clear();
  midi_notes.clear();
  if (sound) sound->EraseElementsForMIDI();
}

void Drumkit::StopAnimations() {
  for (Drum& d : drums) d.StopAnimations();
}

bool Drumkit::Drum::IsCalibrated() const {
  if (category == Sound::CATEGORY_HAND || category == Sound::CATEGORY_HAND_AND_FOOT) {
    if (x == 0 || y == 0 || size == 0 || hand_map.count != 2) return false;
  }
  if (category == Sound::CATEGORY_FOOT || category == Sound::CATEGORY_HAND_AND_FOOT) {
    if (foot_x == 0 || foot_y == 0 || foot_size == 0 || pedal_lowest_foot_y == 0 || pedal_foot_range == 0 ||
        foot_map.count != 2)
      return false;
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// The [Drumkit calibration] section

std::string Drumkit::GetDrumkitCalibrationLegend() {
  return "; Explanation of drum attributes:\n"
         "\n"
         "; x: Horizontal position for hands, between 0 and 319\n"
         "; y: Vertical position for hands, between 0 and 239\n"
         "; size: Depth position for hands, between 2 and 6\n"
         "; foot_x: Horizontal position for feet, between 0 and 319\n"
         "; foot_y: Vertical position for feet, between 0 and 239\n"
         "; foot_size: Depth position for feet, between 3 and 8\n"
         "; pedal_lowest_foot_y: Minimum vertical position of pedal when using foot, between 190 and 239\n"
         "; pedal_foot_range: Vertical pedal range when using foot, between 2 and 10\n"
         "; Hand.Sensitivity: Sensitivity of the drum when hit with hands, between 0 and 100\n"
         "; Foot.Sensitivity: Sensitivity of the drum when hit with feet, between 0 and 100\n"
         "; volume: Sound volume of the drum, between 0 and 100\n"
         "; volume_curve: Response curve of the drum, between 0 and 3\n"
         "; volume2: For HiHat like elements, sound volume of the pedal, between 0 and 100\n"
         "; volume_curve2: For HiHat like elements, response curve of the pedal, between 0 and 3\n"
         "\n"
         "; List of response curve values:\n"
         "\n"
         "; 0: 'Linear'\n"
         "; 1: 'S Curve 1'\n"
         "; 2: 'S Curve 2'\n"
         "; 3: 'Constant'\n"
         "\n";
}

void Drumkit::UpdateCalibrated() {
  is_calibrated = true;
  for (size_t i = 0; i < drums.size(); ++i) {
    auto it = drum_to_element.find(int(i));
    if (it != drum_to_element.end() && it->second != -1 && !drums[i].IsCalibrated()) is_calibrated = false;
  }
}

// Loading a kit the chooser picked: one drum per entry of its element map, named and typed as
// the chooser's lists say, then each drum's place, pedal, volumes and MIDI thresholds from the
// kit file's calibration section. False when the file could not be read.
bool Drumkit::InitFromChooser(Sound& snd, const std::string& path, const std::vector<std::string>& names,
                              const std::vector<Sound::ElementType>& types,
                              const std::vector<Sound::ElementCategory>& categories,
                              const std::map<int, int>& new_drum_to_element, int new_splash_element,
                              bool is_preset, bool right_handed, bool use_camera_stand) {
  // 1. A fresh kit of unplaced drums (the old drums' textures go with them).
  is_user_kit = !is_preset;
  firm_drum = -1;
  firmly_hit_twice = false;
  drum_to_element = new_drum_to_element;
  splash_element = new_splash_element;
  sound = &snd;
  drums.clear();
  drums.resize(drum_to_element.size());
  for (size_t i = 0; i < drums.size(); ++i) NameDrum(drums[i], i, names, types, categories);

  // 2. Without the file the drums stay unplaced, with default volume maps and icons.
  IniFile ini;
  if (!ini.Init(path)) {
    printf("Can't open the drumkit's .ini file\n");
    InitVolumeMaps(ini);
    InitIcons(ini);
    is_calibrated = false;
    RecreateMIDIMap();
    return false;
  }

  // 3. The choke zones and every drum's calibration.
  CalibrationReader r(ini);
  left_choke_distance = r.Float("Left_Choke_Zone_Param1", kDefaultChokeDistance);
  right_choke_distance = r.Float("Right_Choke_Zone_Param1", kDefaultChokeDistance);
  for (size_t i = 0; i < drums.size(); ++i) ReadDrumCalibration(*this, r, int(i), path);

  // 4. The volume maps and icons (from the same section), whether the kit is calibrated, the MIDI map.
  InitVolumeMaps(ini);
  InitIcons(ini);
  UpdateCalibrated();
  ini.CleanUp();
  RecreateMIDIMap();

  // 5. A preset kit seen from the camera stand by a right-handed player: its pedals moved.
  if (is_preset && right_handed && use_camera_stand) ShiftPedalsForStand(drums);
  return true;
}

bool Drumkit::SaveCalibrationInfo(const std::string& path) const {
  FILE* f = fopen(path.c_str(), "a");
  if (!f) {
    printf("Warning: could not save calibration information to %s\n", path.c_str());
    return false;
  }
  bool ok = true;
  auto put = [&](int written) { ok = ok && written >= 0; };
  put(fprintf(f, "\n[Drumkit calibration]\n\n"));
  put(fputs(GetDrumkitCalibrationLegend().c_str(), f));
  put(fprintf(f, "Left_Choke_Zone_Param1 = %f\n", left_choke_distance));
  put(fprintf(f, "Right_Choke_Zone_Param1 = %f\n\n", right_choke_distance));
  for (size_t i = 0; i < drums.size() && ok; ++i) {
    int slot = GetDrumkitElementToSoundElement(int(i));
    const Drum& d = drums[i];
    if (slot < 0) {
      // Whole, NUL bytes included: a line cut at one would run into the next.
      const std::string kept = d.lines_as_read + "\n";
      put(fwrite(kept.data(), 1, kept.size(), f) == kept.size() ? 0 : -1);
      continue;
    }
    bool hand = d.category == Sound::CATEGORY_HAND || d.category == Sound::CATEGORY_HAND_AND_FOOT;
    bool foot = d.category == Sound::CATEGORY_FOOT || d.category == Sound::CATEGORY_HAND_AND_FOOT;
    bool hihat_like = d.category == Sound::CATEGORY_HAND_AND_FOOT;
    char prefix[32];
    snprintf(prefix, sizeof(prefix), "Drum%zu", i);
    if (hand) {
      put(fprintf(f, "%s.x = %f\n%s.y = %f\n%s.size = %f\n", prefix, d.x, prefix, d.y, prefix, d.size));
      put(d.hand_map.SaveIni(prefix, f, MOCAP_MARKER_HAND) ? 0 : -1);
    }
    if (foot) {
      const float foot_x = d.foot_x == d.foot_x_in_file + d.stand_shift ? d.foot_x_in_file : d.foot_x - d.stand_shift;
      put(fprintf(f, "%s.foot_x = %f\n%s.foot_y = %f\n%s.foot_size = %f\n", prefix, foot_x, prefix, d.foot_y, prefix,
                  d.foot_size));
      put(fprintf(f, "%s.pedal_lowest_foot_y = %f\n%s.pedal_foot_range = %f\n", prefix, d.pedal_lowest_foot_y, prefix,
                  -d.pedal_foot_range));
      put(d.foot_map.SaveIni(prefix, f, MOCAP_MARKER_FOOT) ? 0 : -1);
    }
    put(fprintf(f, "%s.volume = %d\n", prefix, sound->GetElementVolume(slot, false)));
    if (hihat_like) put(fprintf(f, "%s.volume2 = %d\n", prefix, sound->GetElementVolume(slot, true)));
    put(fprintf(f, "%s.volume_curve = %d\n", prefix, sound->GetElementCurve(slot, false)));
    if (hihat_like) {
      put(fprintf(f, "%s.volume_curve2 = %d\n", prefix, sound->GetElementCurve(slot, true)));
      put(fprintf(f, "%s.hihat_splash_sensitivity = %f\n", prefix, d.hihat_splash_sensitivity));
      put(fprintf(f, "%s.hihat_clutch_openness = %f\n", prefix, d.hihat_clutch_openness));
    }
    if (hand) put(fprintf(f, "%s.midi_hand_filter_threshold = %f\n", prefix, d.midi_hand_filter_threshold));
    if (foot) put(fprintf(f, "%s.midi_foot_filter_threshold = %f\n", prefix, d.midi_foot_filter_threshold));
    if (d.type == Sound::SNARE) put(fprintf(f, "%s.midi_rimshot_threshold = %f\n", prefix, d.midi_rimshot_threshold));
    if (d.type == Sound::HIHAT) put(fprintf(f, "%s.midi_bow_edge_threshold = %f\n", prefix, d.midi_bow_edge_threshold));
    put(fprintf(f, "\n"));
  }
  put(fprintf(f, "\n\n"));
  if (fflush(f) != 0) ok = false;
  if (fclose(f) != 0) ok = false;
  if (!ok) printf("Warning: could not save calibration information to %s\n", path.c_str());
  return ok;
}
