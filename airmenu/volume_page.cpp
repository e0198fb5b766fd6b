// The volume and sensitivity page (22): the reverb amount, the mixer's four levels, or one
// drum's sensitivity, volume and response curve, with the drums playable to hear each change.
#include "airmenu/page_frame.h"
#include "airmenu/pages.h"
#include "drumming/drumkit.h"
#include "drumming/drumming_globals.h"
#include "drumming/interface_state.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/texts.h"
#include "render/airwidget_drawing.h"
#include "sound/midi.h"
#include "sound/sound.h"

namespace {

constexpr float kHandMaxMaxSpeed = 2000.0f;
constexpr float kFootMaxMaxSpeed = 200.0f;

struct VolumePage {
  int which_volume = kSongLevel;
  int hand_or_foot = MOCAP_MARKER_HAND;
  InterfaceState next_stage = kPlay;
  bool have_changes_to_save = false;
  float volume = 0.0f;
  float max_speed = 0.0f;
  float max_max_speed = kHandMaxMaxSpeed;
};

// One mixer level: its name, the cycling button shown while it is edited, its reader and writer.
struct MixerLevel {
  int code;
  TextId name_text;
  int button_id;
  TextId button_text;
  std::atomic<int> Sound::*level;
  void (Sound::*set)(int);
};
const MixerLevel kMixerLevels[] = {
    {kMasterLevel, kTextMaster, kDrumsLevel, kTextMasterVolume, &Sound::master_volume, &Sound::SetMasterVolume},
    {kDrumsLevel, kTextDrums, kSongLevel, kTextDrumsVolume, &Sound::drums_volume, &Sound::SetDrumsVolume},
    {kSongLevel, kTextSong, kMetronomeLevel, kTextSongVolume, &Sound::song_volume, &Sound::SetSongVolume},
    {kMetronomeLevel, kTextMetronome, kMasterLevel, kTextMetroNomeVolume, &Sound::metronome_volume,
     &Sound::SetMetronomeVolume},
};

const MixerLevel* FindLevel(int code) {
  for (const MixerLevel& l : kMixerLevels)
    if (l.code == code) return &l;
  return nullptr;
}

int EditedDrum(int which_volume) {
  const int drum = which_volume - kFirstDrumLevel;
  return which_volume >= kFirstDrumLevel && IsKitDrum(drum) ? drum : -1;
}

// The hand-and-foot drums keep the pedal's own volume, curve and map.
bool EditsPedal(int drum, int hand_or_foot) {
  return drumkit.drums[drum].category == Sound::CATEGORY_HAND_AND_FOOT && hand_or_foot != MOCAP_MARKER_HAND;
}

void Enter(VolumePage& page) {
  page.which_volume = state_param;
  page.hand_or_foot = state_param2;
  page.next_stage = state_param3 != 0 ? InterfaceState(state_param3) : kPlay;
  page.have_changes_to_save = false;
  // A first drum without a map of the edited side still shows a sane slider.
  page.max_speed = 0.0f;
  page.max_max_speed = kHandMaxMaxSpeed;
  GetSliderInfo(page.which_volume, page.volume, page.max_speed, page.max_max_speed, MocapMarkerType(page.hand_or_foot));
}

void Messages(const VolumePage& page, int drum) {
  if (drum >= 0) {
    const Drumkit::Drum& d = drumkit.drums[drum];
    ShowLine(0, GetUtf8(kTextAdjustingSensitivityVolume));
    if (EditsPedal(drum, page.hand_or_foot)) {
      ShowNameLine(1, kTextOfThePedal, d.name);
      ShowLine(2, GetUtf8(kTextWhenHitFoot));
    } else {
      ShowNameLine(1, kTextOfTheElement, d.name);
    }
    ShowLine(4, GetUtf8(kTextHitDrumPedal));
  } else if (page.which_volume == kReverbLevel) {
    ShowLine(0, GetUtf8(kTextAdjustingAmountReverb));
  } else if (const MixerLevel* level = FindLevel(page.which_volume)) {
    ShowLine(0, GetUtf8(kTextVolumeMixing));
    ShowLine(1, GetUtf8(level->name_text));
  }
}

DistanceMenu::Slider MakeSlider(int id, TextId text, float x, float value, int min) {
  return {id, GetUtf8(text), 1, int(x), int(DistanceMenu::m_with_drums_slider_y),
          int(DistanceMenu::m_with_drums_slider_width), 2 * int(DistanceMenu::m_menu_radius), value, 100, min, true};
}

void AddWithDrumsButton(DistanceMenu& menu, int id, const char* label) {
  menu.buttons.push_back({id, label, DistanceMenu::m_with_drums_x, DistanceMenu::m_with_drums_y, 22.0f, true, false});
}

void MixerForm(DistanceMenu& menu, const VolumePage& page) {
  const bool reverb = page.which_volume == kReverbLevel;
  const int min = page.which_volume == kSongLevel ? 1 : 0;
  const TextId label = reverb ? kTextReverb : kTextVolume;
  menu.sliders.push_back(MakeSlider(kVolumeSlider, label, DistanceMenu::m_with_drums_slider_x, page.volume, min));
  if (const MixerLevel* level = FindLevel(page.which_volume))
    AddWithDrumsButton(menu, level->button_id, GetUtf8(level->button_text));
}

void DrumForm(DistanceMenu& menu, const VolumePage& page, int drum) {
  const bool pedal = EditsPedal(drum, page.hand_or_foot);
  if (midi_mode != kMidiOnlyMode || !midi_ignore_response_curves)
    AddWithDrumsButton(menu, kResponseCurveButton, Sound::GetCurveName(drumkit.GetVolumeCurve(drum, pedal)));
  float p = page.max_speed / page.max_max_speed;
  if (p < 0.0f) p = 0.0f;
  const float shown = p < 1.0f ? p * 100.0f : 100.0f;
  menu.sliders.push_back(
      MakeSlider(kSensitivitySlider, kTextSensitivity, DistanceMenu::m_with_drums_slider_x, 100.0f - shown, 10));
  if (midi_mode != kMidiOnlyMode)
    menu.sliders.push_back(
        MakeSlider(kVolumeSlider, kTextVolume, DistanceMenu::m_with_drums_slider2_x, page.volume, 0));
}

void SetSensitivity(VolumePage& page, int drum, float v) {
  page.max_speed = (v * -0.01f + 1.0f) * page.max_max_speed;
  page.have_changes_to_save = true;
  if (drum < 0) return;
  Drumkit::Drum& d = drumkit.drums[drum];
  const bool foot = page.hand_or_foot == MOCAP_MARKER_FOOT;
  if (d.category == Sound::CATEGORY_HAND || (d.category == Sound::CATEGORY_HAND_AND_FOOT && !foot))
    d.hand_map.MakeOnePointMap(page.max_speed);
  else if (foot && d.category != Sound::CATEGORY_HAND)
    d.foot_map.MakeOnePointMap(page.max_speed);
}

void SetVolume(VolumePage& page, int drum, float v) {
  page.volume = v;
  if (drum >= 0) {
    const int element = drumkit.GetDrumkitElementToSoundElement(drum);
    if (element < 0) return;
    sound.SetElementVolume(element, int(page.volume), EditsPedal(drum, page.hand_or_foot));
    page.have_changes_to_save = true;
  } else if (page.which_volume == kReverbLevel) {
    sound.audio.SetReverbAmount(v * 0.01f);
    page.have_changes_to_save = true;
  } else if (const MixerLevel* level = FindLevel(page.which_volume)) {
    (sound.*level->set)(int(v + 0.5f));
    page.have_changes_to_save = true;
  }
}

// The buttons; true when the page was left.
bool TestButtons(VolumePage& page, const DistanceMenu& menu, int drum) {
  if (menu.WasHit(kDoneButton)) {
    drumkit.shown_drum = -1;
    drumkit.shown_marker_type = MOCAP_MARKER_HAND;
    if (page.which_volume < kFirstDrumLevel) OpenSoundPage(page.have_changes_to_save);
    else ReturnToAdjustPage(page.next_stage, page.have_changes_to_save);
    Click();
    return true;
  }
  for (const MixerLevel& l : kMixerLevels) {
    if (drum >= 0 || !menu.WasHit(l.code)) continue;
    page.which_volume = l.code;
    page.volume = float((sound.*l.level).load());
    Click();
    return false;
  }
  if (drum >= 0 && menu.WasHit(kResponseCurveButton)) {
    const bool pedal = EditsPedal(drum, page.hand_or_foot);
    const int c = drumkit.GetVolumeCurve(drum, pedal);
    drumkit.SetVolumeCurve(drum, Sound::VolumeResponseCurve(c == Sound::CURVE_CONSTANT ? 0 : c + 1), pedal);
    page.have_changes_to_save = true;
    Click();
  }
  return false;
}

// Two firm hits in a row on another drum, or another side of one, switch to it.
void FollowFirmHits(VolumePage& page) {
  int d = -1;
  MocapMarkerType t = MOCAP_MARKER_HAND;
  if (page.which_volume < kFirstDrumLevel || !drumkit.GetFirmlyHitTwiceDrum(d, t) || !IsKitDrum(d)) return;
  if (kFirstDrumLevel + d == page.which_volume && int(t) == page.hand_or_foot) return;
  page.hand_or_foot = t;
  page.which_volume = kFirstDrumLevel + d;
  GetSliderInfo(page.which_volume, page.volume, page.max_speed, page.max_max_speed, t);
  drumkit.shown_drum = d;
  drumkit.shown_marker_type = t;
}

}  // namespace

void GetSliderInfo(int which, float& volume, float& max_speed, float& max_max_speed, MocapMarkerType type) {
  if (which == kReverbLevel) {
    volume = sound.audio.GetReverbAmount() * 100.0f;
    return;
  }
  if (const MixerLevel* level = FindLevel(which)) {
    volume = float((sound.*level->level).load());
    return;
  }
  const int drum = EditedDrum(which);
  if (drum < 0) return;
  const int element = drumkit.GetDrumkitElementToSoundElement(drum);
  if (element < 0) return;
  const Drumkit::Drum& d = drumkit.drums[drum];
  volume = float(sound.GetElementVolume(element, EditsPedal(drum, type)));
  const bool hand_side = d.category == Sound::CATEGORY_HAND || (d.category == Sound::CATEGORY_HAND_AND_FOOT && type == MOCAP_MARKER_HAND);
  const bool foot_side = d.category == Sound::CATEGORY_FOOT || d.category == Sound::CATEGORY_HAND_AND_FOOT;
  if (hand_side) {
    max_speed = d.hand_map.GetMaxSpeed();
    max_max_speed = kHandMaxMaxSpeed;
  } else if (foot_side && type == MOCAP_MARKER_FOOT) {
    max_speed = d.foot_map.GetMaxSpeed();
    max_max_speed = kFootMaxMaxSpeed;
  }
}

void OpenVolumePage(WhichVolume which, MocapMarkerType side, InterfaceState back_to) {
  ChangeInterfaceState(kAdjustAnyVolume, which, side, back_to);
}

void AdjustAnyVolume() {
  static VolumePage page;
  DistanceMenu menu;
  if (EnteringPage()) Enter(page);
  // Checked every frame: the viewer may reload or edit the kit under the page.
  const int drum = EditedDrum(page.which_volume);
  Messages(page, drum);
  AddButton(menu, kDoneButton, kTextDone, DistanceMenu::m_with_drums2_x, DistanceMenu::m_with_drums2_y, false, true);
  if (drum >= 0) DrumForm(menu, page, drum);
  else MixerForm(menu, page);
  Boilerplate(menu, true, kAdjustAnyVolume);
  if (const MixerLevel* level = FindLevel(page.which_volume))
    DrawVolumeMixer(WindowWidth() - 325.0f, WindowHeight() - 20.0f, 250.0f, 150.0f, sound.drums_volume,
                    sound.master_volume, sound.metronome_volume, sound.song_volume, level->code - kDrumsLevel,
                    DistanceMenu::m_message_windowed_font);
  int id = 0;
  float value = 0.0f;
  if (HeldSlider(menu, id, value)) {
    if (id == kSensitivitySlider) SetSensitivity(page, drum, value);
    else if (id == kVolumeSlider) SetVolume(page, drum, value);
  } else if (TestButtons(page, menu, drum)) {
    return;
  }
  FollowFirmHits(page);
}
