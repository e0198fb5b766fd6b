// Playing a drum: the element through the sound manager, the hit for a connected viewer and the
// MIDI note; hi-hat pedal events, cymbal choke zones, panning and the per-drum MIDI mapping.
#include <algorithm>
#include <cmath>

#include "drumming/drumkit.h"
#include "drumming/drumming_globals.h"
#include "drumming/viewer_calls.h"
#include "sound/midi.h"

float ApplyVolumeCurve(float velocity, Sound::VolumeResponseCurve curve) {
  if (!(velocity > 0)) return 0.0f;
  return Sound::CurveGain(curve, velocity);
}

void Drumkit::PlayDrum(int drum, float volume, Sound::Limb limb, float openness, bool left_handed,
                       bool second_foot) const {
  if (drum < 0 || drum >= int(drums.size())) return;
  const Drum& d = drums[drum];
  if (d.category == Sound::CATEGORY_HAND_AND_FOOT) openness = d.openness;
  int slot = GetDrumkitElementToSoundElement(drum);
  if (slot < 0 || !sound) {
    printf("The samples for this drum were not loaded\n");
    return;
  }
  if (!std::isfinite(volume)) return;  // never hand a non-number to the mixer
  volume = std::clamp(volume, 0.0f, 1.0f);
  sound->PlayElement(slot, volume, limb, openness, 0.0f);

  unsigned char code;
  if (limb == Sound::LIMB_FOOT)
    code = (unsigned char)(2 + (second_foot ? 1 : 0));
  else if (limb == Sound::LIMB_HAND_1)
    code = (unsigned char)(left_handed ? 0 : 1);
  else
    code = (unsigned char)(left_handed ? 1 : 0);
  viewer_calls.hit_drum(drum, volume, code);

  if (midi_mode == kNoMidiMode) return;
  Sound::ElementType type = sound->GetElementType(slot);
  bool pedal = limb == Sound::LIMB_FOOT && d.category == Sound::CATEGORY_HAND_AND_FOOT;
  Sound::VolumeResponseCurve curve = sound->GetElementCurve(slot, pedal);
  float t = limb == Sound::LIMB_FOOT ? d.midi_foot_filter_threshold : d.midi_hand_filter_threshold;
  float v;
  if (t <= 0)
    v = volume;
  else if (volume < t)
    v = 0;
  else if (t >= 1)
    v = 1.0f;  // only a full-volume stroke passes a filter at 1
  else
    v = std::clamp((volume - t) / (1.0f - t), 0.0f, 1.0f);
  float g = midi_ignore_response_curves ? v : ApplyVolumeCurve(v, curve);
  float third = 1.0f;
  if (type == Sound::HIHAT && limb != Sound::LIMB_FOOT)
    third = d.midi_bow_edge_threshold;
  else if (type == Sound::SNARE)
    third = d.midi_rimshot_threshold;
  if (g <= 0) return;
  if (drum >= int(midi_notes.size())) return;
  if (d.category == Sound::CATEGORY_HAND_AND_FOOT && midi_send_cc_only_before_note) SendMIDIHihatCC(openness, midi_notes[drum]);
  PlayMIDINote(midi_notes[drum], type, limb, g, openness, third);
}

void Drumkit::TestChokeZones(bool& left, bool& right, float x, float y) const {
  left = right = false;
  const double pi = 3.14159265359;
  float d = choke_zone_direction;
  auto inside = [&](float cx, float cy, float w, float h, float a) {
    float dx = x - cx, dy = y - cy;
    float ca = std::cos(a), sa = std::sin(a);
    float u = ca * dx - sa * dy;
    float v = ca * dy + sa * dx;
    return -0.5f * w <= u && u <= 0.5f * w && -0.5f * h <= v && v <= 0.5f * h;
  };
  if (left_choke_scale != 0) {
    float cx = 160.0f - std::cos(d) * left_choke_distance, cy = 120.0f + std::sin(d) * left_choke_distance;
    float a = float(double(choke_zone_angle) * pi / -180.0);
    left = inside(cx, cy, choke_zone_width * left_choke_scale, choke_zone_height * left_choke_scale, a);
  }
  if (right_choke_scale != 0) {
    float cx = 160.0f + std::cos(d) * right_choke_distance, cy = 120.0f + std::sin(d) * right_choke_distance;
    float a = float(double(choke_zone_angle) * pi / 180.0 + pi);
    right = inside(cx, cy, choke_zone_width * right_choke_scale, choke_zone_height * right_choke_scale, a);
  }
}

void Drumkit::PedalCloses(int drum) {
  if (drum < 0 || drum >= int(drums.size())) return;
  int slot = GetDrumkitElementToSoundElement(drum);
  if (drums[drum].category == Sound::CATEGORY_HAND_AND_FOOT && slot >= 0 && sound) sound->FadeHihats(slot);
}

void Drumkit::PedalSplash(int drum, float volume, float openness, bool second_foot) {
  if (drums_muted || drum < 0 || drum >= int(drums.size())) return;
  if (drums[drum].category != Sound::CATEGORY_HAND_AND_FOOT) return;
  if (!std::isfinite(volume)) return;
  volume = std::clamp(volume, 0.0f, 1.0f);
  int slot = GetDrumkitElementToSoundElement(drum);
  if (slot >= 0 && sound) sound->FadeHihats(slot);
  if (splash_element >= 0 && sound) {
    sound->PlayElement(splash_element, volume, Sound::LIMB_FOOT, openness, 0.0f);
    viewer_calls.hit_drum(drum, volume, (unsigned char)(2 + (second_foot ? 1 : 0)));
  }
  if (volume > 0) {
    MidiMapKey key(Sound::HIHAT_SPLASH, 1);
    auto it = midi_map.find(key);
    if (it == midi_map.end()) it = midi_map.insert({key, MidiNotes()}).first;
    PlayMIDINote(it->second, Sound::HIHAT_SPLASH, Sound::LIMB_FOOT, volume, openness, 1.0f);
  }
}

bool Drumkit::PedalPlacedTooClose(int drum, float x) const {
  for (size_t i = 0; i < drums.size(); ++i) {
    if (int(i) == drum) continue;
    const Drum& d = drums[i];
    if ((d.category == Sound::CATEGORY_FOOT || d.category == Sound::CATEGORY_HAND_AND_FOOT) &&
        std::fabs(d.foot_x - x) < 2.0f)
      return true;
  }
  return false;
}

void Drumkit::SetPan(bool right_handed, int drum) {
  if (!sound || !sound->panning_enabled) return;
  float c = right_handed ? 146.0f : 178.0f;
  for (size_t i = 0; i < drums.size(); ++i) {
    if (drum >= 0 && int(i) != drum) continue;
    int slot = GetDrumkitElementToSoundElement(int(i));
    if (slot < 0) continue;
    const Drum& d = drums[i];
    float pan = 0.0f;
    if (d.IsCalibrated()) {
      float p = d.category == Sound::CATEGORY_FOOT ? d.foot_x : d.x;
      pan = std::clamp((p - c) / 178.0f * pan_width, -1.0f, 1.0f);
      if (std::isnan(pan)) pan = 0.0f;
    }
    sound->SetElementPan(slot, pan);
  }
}

void Drumkit::SetPanCenter() {
  if (!sound) return;
  for (const auto& [drum, slot] : drum_to_element)
    if (slot >= 0) sound->SetElementPan(slot, 0.0f);
}

void Drumkit::RecreateMIDIMap() {
  midi_notes.assign(drums.size(), MidiNotes());
  std::map<Sound::ElementType, int> seen;
  for (size_t i = 0; i < drums.size(); ++i) {
    const Drum& d = drums[i];
    int number = ++seen[d.type];
    auto a = per_element_midi_map.find({std::string(d.name), number});
    if (a != per_element_midi_map.end()) {
      midi_notes[i] = a->second;
      continue;
    }
    auto b = element_type_midi_map.find({d.type, number});
    if (b != element_type_midi_map.end()) {
      midi_notes[i] = b->second;
      continue;
    }
    auto c = midi_map.find({d.type, number});
    if (c == midi_map.end()) c = midi_map.find({d.type, 1});
    if (c != midi_map.end()) {
      midi_notes[i] = c->second;
      continue;
    }
    printf("Can't find a default MIDI configuration for element: %s\n", d.name);
  }
}

MidiNotes* Drumkit::GetMIDINotes(int drum) {
  if (drum < 0 || drum >= int(midi_notes.size())) return nullptr;
  return &midi_notes[drum];
}
