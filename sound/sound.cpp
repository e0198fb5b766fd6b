// The sound manager: settings, volumes, the element table and playing a hit.
#include "sound/sound.h"

#include <fastlz.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "frame/ini_file.h"
#include "frame/paths.h"
#include "sound/element_file.h"
#include "sound/embedded_sounds.h"
#include "sound/midi.h"
#include "sound/wait_notice.h"

namespace {

// The most a velocity layer is raised towards its velocity's loudness. Neighbouring layers of
// real kits lie at most a few times apart (a gain of about 2); only a damaged level needs more.
constexpr float kMaxLayerGain = 8.0f;

const float kCurvePoints[Sound::NUM_CURVES][21] = {
    {0.000f, 0.011f, 0.028f, 0.051f, 0.094f, 0.160f, 0.229f, 0.295f, 0.358f, 0.421f, 0.478f,
     0.535f, 0.590f, 0.644f, 0.699f, 0.750f, 0.802f, 0.851f, 0.902f, 0.951f, 1.000f},
    {0.000f, 0.008f, 0.020f, 0.040f, 0.065f, 0.106f, 0.154f, 0.223f, 0.300f, 0.398f, 0.501f,
     0.607f, 0.702f, 0.785f, 0.848f, 0.899f, 0.936f, 0.962f, 0.982f, 0.994f, 1.000f},
    {0.000f, 0.005f, 0.014f, 0.028f, 0.048f, 0.074f, 0.114f, 0.169f, 0.243f, 0.355f, 0.501f,
     0.647f, 0.759f, 0.833f, 0.885f, 0.925f, 0.951f, 0.971f, 0.985f, 0.994f, 1.000f},
    {0.000f, 0.014f, 0.048f, 0.114f, 0.226f, 0.335f, 0.406f, 0.458f, 0.495f, 0.518f, 0.541f,
     0.564f, 0.587f, 0.615f, 0.638f, 0.671f, 0.707f, 0.744f, 0.791f, 0.859f, 1.000f},
};
const char* const kCurveNames[Sound::NUM_CURVES] = {"Linear", "S-curve 1", "S-curve 2",
                                                     "Constant"};

// Category of each element type 0-20.
const Sound::ElementCategory kTypeCategories[Sound::NUM_ELEMENT_TYPES] = {
    1, 0, 0, 0, 0, 0, 0, 0, 0, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2};

// Velocity outside 0..1 (or NaN) is clamped.
float ClampUnit(float v) {
  if (!(v > 0.0f)) return 0.0f;
  return v > 1.0f ? 1.0f : v;
}

// Type and category (the first 12 bytes of an element file), after checking the magic.
bool OpenElementFile(const char* path, std::ifstream& file, uint32_t& type, uint32_t& category) {
  if (!path) return false;
  file.open(path, std::ios::binary);
  if (!file) return false;
  char magic[4];
  if (!file.read(magic, 4) || memcmp(magic, element_file::kMagic, 4) != 0) return false;
  return element_file::ReadU32(file, type) && element_file::ReadU32(file, category);
}

void FreeSamples(Audio& audio, Sound::ElementSamples& data) {
  for (auto& set : data.sets)
    for (auto& sample : set) audio.SafeFreeSound(sample.sound);
  data.sets.clear();
}

}  // namespace

Sound::Sound() = default;

Sound::~Sound() { CleanUp(); }

// --- Settings ---

bool Sound::Init(const IniFile& settings) {
  int device_type = Audio::kLowLatencyStream, frames = 16, device_index = -1;
  int master = 50, drums = 80, song_vol = 20, metronome = 90;
  float reverb = 0.0f;
  bool panning = true;
  settings.GetInt("Sound", "Device_Type", device_type);
  settings.GetInt("Sound", "Frames_Per_Buffer", frames);
  settings.GetInt("Sound", "Device_Index", device_index);
  settings.GetInt("Sound", "Master_Volume", master);
  settings.GetInt("Sound", "Drums_Volume", drums);
  settings.GetInt("Sound", "Song_Volume", song_vol);
  settings.GetInt("Sound", "Metronome_Volume", metronome);
  settings.GetFloat("Sound", "Reverb_Amount", reverb);
  settings.GetBool("Sound", "Panning_Enabled", panning);
  // A mode other than 0, 1 or 2 reads as audio output (the last session's reader says so).
  int mode = midi_mode;
  if (settings.GetInt("Session", "Midi_Mode", mode))
    midi_mode = mode >= kNoMidiMode && mode <= kMidiAndSoundsMode ? mode : kNoMidiMode;
  if (!std::isfinite(reverb)) reverb = 0.0f;
  reverb = reverb < 0.0f ? 0.0f : (reverb > 1.0f ? 1.0f : reverb);
  panning_enabled = panning;

  if (midi_mode == kMidiOnlyMode) {
    if (device_type == Audio::kLowLatencyStream)
      device_type = Audio::kPlainStream;
    else if (device_type == Audio::kStoredOnlyType)
      device_type = device_index != 0 ? Audio::kFirstFallbackStream : Audio::kLastFallbackStream;
  }
  bool opened = ReinitDevice(device_type, frames, device_index);

  SetMetronomeVolume(metronome);
  SetMasterVolume(master);
  SetDrumsVolume(drums);
  SetSongVolume(song_vol);
  beat_period = 0.5f;
  audio.SetReverbAmount(reverb);

  LoadEmbeddedSample(click, click_wav_data, 2);
  LoadEmbeddedSample(editbox_error_sound, editbox_error_wav_data, 1);
  LoadEmbeddedSample(latency_test_sound, latency_test_wav_data, 5);
  LoadEmbeddedSample(distance_menu_button_sound, distance_menu_button_wav_data, 2);
  audio.StartRawThreads(4);
  return opened;
}

void Sound::CleanUp() {
  StopRecording();
  UnloadPerformance();
  {
    const WaitNotice notice("closing the audio device");
    audio.CleanUp(true);
  }
  for (size_t slot = 0; slot < elements.size(); ++slot)
    if (!elements[slot].free) UnloadElement(static_cast<int>(slot));
  audio.WaitForLoadMp3Async(false);
  audio.WaitForLoadOggAsync(false);
  audio.SafeFreeSound(song);
  song_path.clear();
  audio.SafeFreeSound(click);
  audio.SafeFreeSound(editbox_error_sound);
  audio.SafeFreeSound(latency_test_sound);
  audio.SafeFreeSound(distance_menu_button_sound);
}

bool SaveSoundSettings(SoundDeviceLines device_lines) {
  std::string path = MakePath(kPathConf, "skytapper.cfg");
  int type = sound.audio.GetDeviceType();
  int frames = sound.audio.GetFramesPerBuffer();
  int index = sound.IsAudioDeviceChoiceManual() ? sound.GetAudioDeviceIndex() : -1;
  if (device_lines == SoundDeviceLines::kKeepStored) {
    type = Audio::kLastFallbackStream, frames = 300, index = -1;
    IniFile file;
    if (file.Init(path)) {
      file.GetInt("Sound", "Device_Type", type);
      file.GetInt("Sound", "Frames_Per_Buffer", frames);
      file.GetInt("Sound", "Device_Index", index);
    }
  }
  char reverb[64];
  snprintf(reverb, sizeof reverb, "%g", static_cast<double>(sound.audio.GetReverbAmount()));
  std::vector<std::string> lines = {
      "[Sound]",
      "Device_Type = " + std::to_string(type),
      "Frames_Per_Buffer = " + std::to_string(frames),
      "Device_Index = " + std::to_string(index),
      "Master_Volume = " + std::to_string(sound.master_volume.load()),
      "Drums_Volume = " + std::to_string(sound.drums_volume.load()),
      "Song_Volume = " + std::to_string(sound.song_volume.load()),
      "Metronome_Volume = " + std::to_string(sound.metronome_volume.load()),
      std::string("Reverb_Amount = ") + reverb,
      std::string("Panning_Enabled = ") + (sound.panning_enabled ? "yes" : "no"),
  };
  return IniFile::ReplaceSection(path, "Sound", lines);
}

// --- Volumes ---

namespace {

// Volumes are percentages; a settings or recording file may hold anything.
int ClampPercent(int volume) { return volume < 0 ? 0 : (volume > 100 ? 100 : volume); }

}  // namespace

void Sound::SetMasterVolume(int volume) {
  volume = ClampPercent(volume);
  master_volume = volume;
  audio.SetMasterGain(static_cast<float>(volume) * 0.01f * 2.5f);
  RecordVolumeEvent(0, volume);
}

void Sound::SetDrumsVolume(int volume) {
  volume = ClampPercent(volume);
  drums_volume = volume;
  RecordVolumeEvent(1, volume);
}

void Sound::SetSongVolume(int volume) {
  volume = ClampPercent(volume);
  song_volume = volume;
  if (!song_path.empty()) audio.SetPlayingSoundVolume(song, static_cast<float>(volume) * 0.01f);
  RecordVolumeEvent(2, volume);
}

void Sound::SetMetronomeVolume(int volume) { metronome_volume = ClampPercent(volume); }

// --- Static tables ---

Sound::ElementCategory Sound::GetElementCategory(ElementType type) {
  // Types outside the table (CHOKE is only a MIDI-map key) count as hand elements.
  if (type < KICK || type >= NUM_ELEMENT_TYPES) return CATEGORY_HAND;
  return kTypeCategories[type];
}

const char* Sound::GetCurveName(VolumeResponseCurve curve) {
  if (curve < 0 || curve >= NUM_CURVES) return "";
  return kCurveNames[curve];
}

const float* Sound::GetCurvePoints(VolumeResponseCurve curve) {
  if (curve < 0 || curve >= NUM_CURVES) curve = CURVE_LINEAR;
  return kCurvePoints[curve];
}

float Sound::CurveGain(VolumeResponseCurve curve, float velocity) {
  velocity = ClampUnit(velocity);
  const float* points = GetCurvePoints(curve);
  const int i = std::min(static_cast<int>(velocity * 20.0f), 20);
  const float f = velocity * 20.0f - static_cast<float>(i);
  return (1.0f - f) * points[i] + f * points[std::min(i + 1, 20)];
}

// --- Element table ---

Sound::VolumeResponseCurve Sound::GetElementCurve(int slot, bool pedal) const {
  return pedal ? elements[slot].foot_curve : elements[slot].hand_curve;
}

void Sound::SetElementCurve(int slot, VolumeResponseCurve curve, bool pedal) {
  (pedal ? elements[slot].foot_curve : elements[slot].hand_curve) = curve;
}

int Sound::GetElementVolume(int slot, bool pedal) const {
  return pedal ? elements[slot].foot_volume : elements[slot].hand_volume;
}

void Sound::SetElementVolume(int slot, int volume, bool pedal) {
  (pedal ? elements[slot].foot_volume : elements[slot].hand_volume) = volume;
}

namespace {

// Reads the sets of an element file (stream after the category) into `data`; the samples'
// heads are read at once and their rests queued for the loader threads. False, with nothing
// left queued, when the file is damaged.
bool ReadElementSets(Audio& audio, std::ifstream& file, uint64_t file_size, const char* path,
                     Sound::ElementCategory category, Sound::ElementSamples& data) {
  uint32_t set_count;
  if (!element_file::ReadU32(file, set_count) || set_count > element_file::kMaxSets) return false;
  // Playback reads sets in pairs: keep at least one pair, and whole pairs for hi-hats.
  size_t sets = set_count < 2 ? 2 : set_count;
  if (category == Sound::CATEGORY_HAND_AND_FOOT && sets % 2) ++sets;
  data.sets.resize(sets);
  for (uint32_t s = 0; s < set_count; ++s) {
    uint32_t count;
    if (!element_file::ReadU32(file, count)) return false;
    // Every sample header takes at least kMinSampleHeader bytes of what is left.
    uint64_t pos = static_cast<uint64_t>(file.tellg());
    if (count > element_file::kMaxSamplesPerSet ||
        static_cast<uint64_t>(count) * element_file::kMinSampleHeader > file_size - pos)
      return false;
    std::vector<Sound::Sample>& set = data.sets[s];
    set.resize(count);  // never resized again: the loader queues hold pointers to the sounds
    for (uint32_t i = 0; i < count; ++i) {
      float level;
      if (!element_file::ReadF32(file, level) ||
          !(level >= element_file::kMinLevel && level <= element_file::kMaxLevel))  // NaN too
        return false;
      set[i].level = level;
      audio.LoadRaw(set[i].sound, path, file, 8);
      if (!file) return false;
    }
  }
  return true;
}

// Both loaders: the element file at `path` in the first free slot (or a new one), its samples
// shared with any slot already loaded from the same path; a path not loaded yet has its sample
// sets read only when read_samples is set. Returns the slot, or -1 for a missing or bad file.
int LoadElementSlot(Sound& s, const char* path, bool read_samples, float pan,
                    Sound::VolumeResponseCurve hand_curve, int hand_volume,
                    Sound::VolumeResponseCurve foot_curve, int foot_volume) {
  std::ifstream file;
  uint32_t type, category;
  if (!OpenElementFile(path, file, type, category)) return -1;

  Sound::ElementSamples* data = nullptr;
  for (const Sound::Element& e : s.elements)
    if (!e.free && e.samples && strcasecmp(e.samples->path.c_str(), path) == 0) data = e.samples;
  if (!data) {
    data = new Sound::ElementSamples;
    data->path = path;
    if (read_samples) {
      file.seekg(0, std::ios::end);
      uint64_t file_size = static_cast<uint64_t>(file.tellg());
      file.seekg(12);
      if (!ReadElementSets(s.audio, file, file_size, path, static_cast<int>(category), *data)) {
        printf("Audio error: damaged element file \"%s\"\n", path);
        FreeSamples(s.audio, *data);
        delete data;
        return -1;
      }
    }
  }
  return s.PlaceElement(data, static_cast<Sound::ElementType>(type), static_cast<Sound::ElementCategory>(category),
                        pan, hand_curve, hand_volume, foot_curve, foot_volume);
}

}  // namespace

int Sound::PlaceElement(ElementSamples* samples, ElementType type, ElementCategory category, float pan,
                        VolumeResponseCurve hand_curve, int hand_volume, VolumeResponseCurve foot_curve,
                        int foot_volume) {
  ++samples->reference_count;
  int slot = -1;
  for (size_t i = 0; i < elements.size() && slot < 0; ++i)
    if (elements[i].free) slot = static_cast<int>(i);
  if (slot < 0) {
    elements.emplace_back();
    slot = static_cast<int>(elements.size()) - 1;
  }
  Element& e = elements[slot];
  e.samples = samples;
  e.type = type;
  e.category = category;
  e.hand_curve = hand_curve;
  e.hand_volume = hand_volume;
  e.foot_curve = foot_curve;
  e.foot_volume = foot_volume;
  e.pan = pan;
  e.alternation = 0;
  e.free = 0;
  if (type == HIHAT_SPLASH) splash_elements.push_back(slot);
  return slot;
}

int Sound::LoadElement(const char* path, float pan, VolumeResponseCurve hand_curve,
                       int hand_volume, VolumeResponseCurve foot_curve, int foot_volume) {
  return LoadElementSlot(*this, path, true, pan, hand_curve, hand_volume, foot_curve, foot_volume);
}

int Sound::LoadElementWithoutDataForMIDI(const char* path, float pan,
                                         VolumeResponseCurve hand_curve, int hand_volume,
                                         VolumeResponseCurve foot_curve, int foot_volume) {
  return LoadElementSlot(*this, path, false, pan, hand_curve, hand_volume, foot_curve,
                         foot_volume);
}

void Sound::UnloadElement(int slot) {
  if (slot < 0 || slot >= static_cast<int>(elements.size()) || elements[slot].free) return;
  Element& e = elements[slot];
  if (e.type == HIHAT_SPLASH) {
    for (size_t i = 0; i < splash_elements.size(); ++i)
      if (splash_elements[i] == slot) {
        splash_elements.erase(splash_elements.begin() + static_cast<long>(i));
        break;
      }
  }
  ElementSamples* data = e.samples;
  e.samples = nullptr;
  e.free = 1;
  if (data && --data->reference_count <= 0) {
    FreeSamples(audio, *data);
    delete data;
  }
}

void Sound::FreeElementDataForMIDI(int slot) {
  if (slot < 0 || slot >= static_cast<int>(elements.size()) || !elements[slot].samples) return;
  FreeSamples(audio, *elements[slot].samples);
}

void Sound::EraseElementsForMIDI() {
  // Callers have freed the sample data; the records themselves go with the table.
  std::vector<ElementSamples*> records;
  for (const Element& e : elements)
    if (e.samples) {
      bool seen = false;
      for (ElementSamples* r : records) seen = seen || r == e.samples;
      if (!seen) records.push_back(e.samples);
    }
  for (ElementSamples* r : records) {
    FreeSamples(audio, *r);
    delete r;
  }
  elements.clear();
  splash_elements.clear();
}

// --- Playing ---

void Sound::PlayElement(int slot, float velocity, Limb limb, float openness,
                        float start_offset) const {
  if (slot < 0 || slot >= static_cast<int>(elements.size())) return;
  const Element& e = elements[slot];
  if (e.free || !e.samples) return;
  velocity = ClampUnit(velocity);
  if (midi_mode != kMidiOnlyMode) {
    const std::vector<Sample>* sets = e.samples->sets.data();
    size_t set_count = e.samples->sets.size();
    if (set_count >= 2) {
      switch (e.category) {
        case CATEGORY_HAND:
          PlaySample(sets, velocity, limb == LIMB_HAND_1 ? 1 : 0, e.hand_curve, e.hand_volume,
                     e.pan, start_offset);
          break;
        case CATEGORY_FOOT:
          e.alternation = e.alternation == 0 ? 1 : 0;
          PlaySample(sets, velocity, e.alternation, e.hand_curve, e.hand_volume, e.pan,
                     start_offset);
          break;
        case CATEGORY_HAND_AND_FOOT:
          if (limb == LIMB_FOOT) {
            e.alternation = e.alternation == 0 ? 1 : 0;
            PlaySample(sets, velocity, e.alternation, e.foot_curve, e.foot_volume, e.pan,
                       start_offset);
          } else {
            int steps = static_cast<int>(set_count / 2) - 1;
            if (steps >= 1) {
              float o = ClampUnit(openness);
              int k = static_cast<int>(static_cast<float>(steps) * o);
              if (k > steps - 1) k = steps - 1;
              PlaySample(sets + 2 + 2 * k, velocity, limb == LIMB_HAND_1 ? 1 : 0, e.hand_curve,
                         e.hand_volume, e.pan, start_offset);
            }
          }
          break;
        default:
          break;
      }
    }
  }
  RecordHitEvent(slot, velocity, limb, openness);
}

void Sound::PlaySample(const std::vector<Sample>* sets, float velocity, Limb set,
                       VolumeResponseCurve curve, int volume, float pan,
                       float start_offset) const {
  // `sets` points at a pair of sets; only 0 and 1 address it.
  if (!sets || set < 0 || set > 1) return;
  const std::vector<Sample>* chosen = &sets[set];
  if (chosen->empty()) chosen = set > 0 ? &sets[set - 1] : &sets[1];
  if (chosen->empty()) return;

  velocity = ClampUnit(velocity);
  const float c = CurveGain(curve, velocity);

  const std::vector<Sample>& layers = *chosen;
  size_t n = layers.size();
  size_t layer = 0;
  if (n > 1) {
    auto mid = [&](size_t j) { return (layers[j].level + layers[j + 1].level) * 0.5f; };
    if (c <= mid(0)) {
      layer = 0;
    } else if (c >= mid(n - 2)) {
      layer = n - 1;
    } else {
      for (size_t j = 1; j + 1 < n; ++j)
        if (mid(j - 1) <= c && c <= mid(j)) {
          layer = j;
          break;
        }
    }
  }
  const Sample& sample = layers[layer];
  // A layer is raised towards its velocity's loudness by at most kMaxLayerGain; a layer without
  // a usable level (damaged or silent) plays nothing rather than an endless gain.
  float gain = c / sample.level;
  if (!std::isfinite(gain)) return;
  gain = std::min(gain, kMaxLayerGain);
  float voice_volume = static_cast<float>(volume * drums_volume.load()) * 0.0001f * gain;
  if (!std::isfinite(voice_volume) || voice_volume < 0.0001f) return;
  if (!sample.sound.Data()) return;
  // The mixer's voices point at the sound; the sample data stays put while the slot is used.
  audio.StartSound(const_cast<Audio::Sound&>(sample.sound), voice_volume, pan, true,
                   start_offset, midi_mode != kMidiOnlyMode);
}

void Sound::FadeHihats(int slot) const {
  if (slot < 0 || slot >= static_cast<int>(elements.size())) return;
  if (midi_mode != kMidiOnlyMode) {
    auto fade = [this](const Element& e) {
      if (e.free || !e.samples) return;
      for (const auto& set : e.samples->sets)
        for (const Sample& s : set) audio.FadeSound(const_cast<Audio::Sound&>(s.sound), 0.08f);
    };
    fade(elements[slot]);
    for (int splash : splash_elements)
      if (splash >= 0 && splash < static_cast<int>(elements.size())) fade(elements[splash]);
  }
  RecordHihatFadeEvent(slot);
}

void Sound::ChokeCymbals() const {
  if (midi_mode == kMidiOnlyMode) return;
  for (const Element& e : elements) {
    if (e.free || !e.samples || e.type < CRASH || e.type > CHINA) continue;
    for (const auto& set : e.samples->sets)
      for (const Sample& s : set) audio.FadeSound(const_cast<Audio::Sound&>(s.sound), 0.12f);
  }
}

void Sound::PlayDistanceMenuButtonSound() {
  audio.StartSound(distance_menu_button_sound, 0.5f, 0.0f, true, 0.0f, false);
  if (midi_send_menu_sound) PlayMIDIMenuSound(0.5f);
}

void Sound::LoadEmbeddedSample(Audio::Sound& target, const unsigned char* blob, int max_voices) {
  uint32_t compressed = element_file::GetU32(blob);
  uint32_t raw = element_file::GetU32(blob + 4);
  if (raw == 0 || raw > element_file::kMaxEmbeddedBytes) {
    printf("Audio error: embedded wav sample is empty\n");
    return;
  }
  std::vector<unsigned char> buffer(raw);
  int got = fastlz_decompress(blob + 8, static_cast<int>(compressed), buffer.data(),
                              static_cast<int>(raw));
  if (got != static_cast<int>(raw) ||
      !audio.LoadWavFromMemory(target, buffer.data(), static_cast<int>(raw), max_voices))
    printf("Audio error: can't load embedded wav sample\n");
}
