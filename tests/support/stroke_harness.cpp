#include "tests/support/stroke_harness.h"

#include <cmath>
#include <fstream>
#include <sstream>

#include "drumming/distance_menu.h"
#include "frame/paths.h"
#include "tests/support/test_elements.h"

#include <sys/stat.h>

namespace skyt_test {

namespace {

const int kToneFrames = 4096;
const int16_t kToneLevel = 16384;  // 0.5 of full scale

struct Registered {
  int slot, set, layer;
  Audio::Sound* sound;
};
std::vector<Registered>& Registry() {
  static std::vector<Registered> registry;
  return registry;
}

}  // namespace

void ResetSound() {
  sound.audio.StopAllSounds(false);
  for (size_t i = 0; i < sound.elements.size(); ++i)
    if (!sound.elements[i].free) sound.UnloadElement(int(i));
  sound.elements.clear();
  sound.splash_elements.clear();
  Registry().clear();
  sound.audio.EndOffline();
  sound.audio.SetReverbAmount(0.0f);
  sound.audio.BeginOffline(256);
  sound.SetMasterVolume(40);
  sound.SetDrumsVolume(100);
  sound.panning_enabled = true;
  float scratch[2 * 256];
  sound.audio.RenderOffline(scratch, 256);
}

int AddElement(Sound::ElementType type, Sound::ElementCategory category, int layers, int volume,
               Sound::VolumeResponseCurve curve) {
  auto* samples = new Sound::ElementSamples();
  samples->path = "test-element";
  // Hand and foot elements have two sets; hand-and-foot ones two pedal sets and two per
  // openness step (three steps here).
  int sets = category == Sound::CATEGORY_HAND_AND_FOOT ? 8 : 2;
  samples->sets.resize(sets);
  for (auto& set : samples->sets) {
    set.resize(layers);
    for (int l = 0; l < layers; ++l)
      FillToneSample(set[l], kToneFrames, kToneLevel, float(l + 1) / float(layers), 4);
  }
  int slot = sound.PlaceElement(samples, type, category, 0.0f, curve, volume, curve, volume);
  for (int s = 0; s < sets; ++s)
    for (int l = 0; l < layers; ++l) Registry().push_back({slot, s, l, &samples->sets[s][l].sound});
  return slot;
}

bool LoadKit(Drumkit& kit, const std::vector<KitDrum>& drums, const std::string& calibration, const std::string& file,
             bool preset) {
  mkdir("conf", 0755);
  mkdir("conf/drumkits", 0755);
  std::string path = MakePath(kPathDrumkits, file);
  {
    std::ofstream out(path);
    out << "[Drumkit]\nName = Test\nIs_Preset = " << (preset ? "yes" : "no") << "\n\n";
    for (size_t i = 0; i < drums.size(); ++i) out << "Drum" << i << ".element = " << drums[i].name << "\n";
    out << "\n[Drumkit calibration]\n\n" << calibration << "\n";
  }
  std::vector<std::string> names;
  std::vector<Sound::ElementType> types;
  std::vector<Sound::ElementCategory> categories;
  std::map<int, int> drum_to_element;
  int splash = -1;
  for (size_t i = 0; i < drums.size(); ++i) {
    names.push_back(drums[i].name);
    types.push_back(drums[i].type);
    categories.push_back(drums[i].category);
    drum_to_element[int(i)] = drums[i].slot;
    if (drums[i].type == Sound::HIHAT_SPLASH && drums[i].slot >= 0) splash = drums[i].slot;
  }
  return kit.InitFromChooser(sound, path, names, types, categories, drum_to_element, splash, preset, true, false);
}

bool LoadGridKit(Drumkit& kit, int n) {
  static const Sound::ElementType kHandTypes[] = {Sound::SNARE, Sound::HIGH_TOM, Sound::MID_TOM, Sound::FLOOR_TOM,
                                                  Sound::CRASH, Sound::RIDE,     Sound::CHINA,   Sound::SPLASH};
  ResetSound();
  kit.Init();
  std::vector<KitDrum> drums;
  std::ostringstream cal;
  drums.push_back({"Hat", Sound::HIHAT, Sound::CATEGORY_HAND_AND_FOOT,
                   AddElement(Sound::HIHAT, Sound::CATEGORY_HAND_AND_FOOT)});
  cal << "Drum0.x = 60\nDrum0.y = 120\nDrum0.size = 4\nDrum0.foot_x = 90\nDrum0.foot_y = 225\nDrum0.foot_size = 5\n";
  drums.push_back({"Kick", Sound::KICK, Sound::CATEGORY_FOOT, AddElement(Sound::KICK, Sound::CATEGORY_FOOT)});
  cal << "Drum1.foot_x = 200\nDrum1.foot_y = 225\nDrum1.foot_size = 5\n";
  for (int i = 2; i < n; ++i) {
    Sound::ElementType t = kHandTypes[i % 8];
    drums.push_back({"Drum" + std::to_string(i), t, Sound::CATEGORY_HAND, AddElement(t, Sound::CATEGORY_HAND)});
    cal << "Drum" << i << ".x = " << 40 + (i * 37) % 250 << "\nDrum" << i << ".y = " << 50 + (i * 23) % 120
        << "\nDrum" << i << ".size = " << 3 + (i % 3) << "\n";
  }
  if (!LoadKit(kit, drums, cal.str())) return false;
  kit.SetPan(true, -1);
  return true;
}

std::vector<Voice> PlayingVoices() {
  std::vector<Voice> voices;
  for (const Registered& r : Registry())
    if (sound.audio.GetPlayingTime(*r.sound) >= 0) voices.push_back(Voice{r.slot, r.set, r.layer, 0, 0});
  if (voices.size() == 1) {
    float out[2 * 16];
    sound.audio.RenderOffline(out, 16);
    float l = out[0], r = out[1];
    float level = float(kToneLevel) / 32768.0f * sound.audio.GetMasterGain();
    voices[0].volume = std::sqrt(l * l + r * r) / level;
    voices[0].pan = float(std::atan2(r, l) * 4.0 / 3.14159 - 1.0);
  }
  return voices;
}

void SilenceAll() {
  sound.audio.StopAllSounds(false);
  float scratch[2 * 256];
  sound.audio.RenderOffline(scratch, 256);
}

std::vector<float> StrokeTrack(float y0, float step, int down, int rest, int still) {
  std::vector<float> ys;
  for (int i = 0; i < still; ++i) ys.push_back(y0);
  float y = y0;
  for (int i = 0; i < down; ++i) ys.push_back(y += step);
  for (int i = 0; i < rest; ++i) ys.push_back(y);
  return ys;
}

std::vector<Voice> StrokeHarness::Frame(std::vector<Webcam::Blob> blobs) {
  log_ = Logger::Frame();
  drummer_.Drum(blobs.data(), int(blobs.size()), &log_, menu_, false);
  std::vector<Voice> started = PlayingVoices();
  SilenceAll();
  history_.push_back(started);
  return started;
}

std::vector<Voice> StrokeHarness::CameraFrame(const std::vector<SceneMarker>& markers, Webcam& camera) {
  MarkerScene scene;
  for (const SceneMarker& m : markers) scene.AddMarker(m.x, m.y, m.radius, m.peak);
  scene.Render(camera.GetQVGAFrame());
  Webcam::Blob blobs[4];
  const int n = camera.FindBlobs(blobs, 4);
  camera.BadLightingSuspected(n);
  return Frame(std::vector<Webcam::Blob>(blobs, blobs + n));
}

int StrokeHarness::TotalVoices() const {
  int n = 0;
  for (const auto& f : history_) n += int(f.size());
  return n;
}

void ResetDrummer(Drummer& drummer, Drumkit& kit) {
  drummer.kit = &kit;
  drummer.left_hand = MocapMarker();
  drummer.right_hand = MocapMarker();
  drummer.left_foot = MocapMarker();
  drummer.right_foot = MocapMarker();
  drummer.labeler = Labeler();
  drummer.left_foot_hold = drummer.right_foot_hold = 0;
  drummer.picked = false;
  drummer.left_rest_y = drummer.right_rest_y = -1.0f;
  drummer.left_splash_pending = drummer.right_splash_pending = false;
  drummer.left_splash_y = drummer.right_splash_y = -1.0f;
  drummer.Is_Left_Handed = false;
}

}  // namespace skyt_test
