// Per-frame drumming: labelling, sticks and feet, hits, menu presses and picks.
#include "drumming/drummer.h"

#include <cmath>
#include <cstdio>

#include "drumming/distance_menu.h"
#include "drumming/drumkit.h"
#include "drumming/drumming_globals.h"
#include "drumming/menu_ids.h"
#include "drumming/viewer_calls.h"
#include "frame/texts.h"
#include "sound/midi.h"

Drummer drummer;

namespace {

constexpr int kDepthMessageDelay = 2625;          // stick steps, two a frame: 10.5 s after the kit's first firm hit
constexpr float kCameraBottomRow = 239.0f;        // last row of the QVGA picture; choke zones count rows up from it
constexpr float kDepthMessageTimeout = 18000.0f;  // how long the depth message stays, in milliseconds
constexpr int kDepthMessageLine = 15;             // the first of its six message lines
constexpr int kDepthMessageStyle = 1;             // black text

int depth_message_delay_counter = kDepthMessageDelay;
bool depth_message_shown = false;

bool HasNaN(const MocapMarker::Position& p) { return std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.radius); }

// A marker position the drumming can use: present and made of numbers.
bool UsablePosition(const MocapMarker& m) {
  if (!m.WasPresent()) return false;
  const MocapMarker::Position& p = *m.GetLastPosition();
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.radius);
}

void RecordLimb(Logger::Frame* frame, int limb, const MocapMarker& m, bool stroke, float speed, int found,
                float velocity, float hit_y) {
  if (!frame || limb < 0 || limb > 3) return;
  Logger::Frame::Limb& e = frame->limbs[limb];
  e.present = m.WasPresent() != 0;
  if (e.present) {
    e.x = m.GetLastPosition()->x;
    e.y = m.GetLastPosition()->y;
  }
  e.stroke = stroke;
  e.speed = speed;
  e.found = found;
  e.velocity = velocity;
  e.hit_y = hit_y;
  e.marker[0] = float(m.m_down_count);
  e.marker[1] = float(m.m_up_count);
  e.marker[2] = float(m.m_ascending);
  e.marker[3] = float(m.m_last_drum_hit);
}

// The depth hint: shown once a run, when a firm stroke on a preset kit played a drum while
// another lay right behind it in the picture, some time after the kit was first played firmly.
void CountDownDepthHint(const Drumkit& kit) {
  if (kit.firm_drum < 0)
    depth_message_delay_counter = kDepthMessageDelay;
  else if (depth_message_delay_counter > 0)
    --depth_message_delay_counter;
}

bool DepthHintDue(const Drumkit& kit, const MocapMarker& marker, int nearby) {
  return nearby >= 0 && !kit.is_user_kit && marker.WasPresent() && nearby < int(kit.drums.size()) &&
         kit.drums[nearby].type >= 0 && kit.drums[nearby].type < int(element_type_names.size()) &&
         depth_message_delay_counter == 0 && !depth_message_shown && webcam.GetStatus() == 0;
}

// Two blank lines, then the drum meant, which way to move the stick, and how to move the drum.
void ShowDepthHint(const Drumkit& kit, const MocapMarker& marker, int nearby) {
  auto show = [](const char* text, int line) {
    DistanceMenu::AddMessage(text, line, kDepthMessageStyle, kDepthMessageTimeout, false, true);
  };
  const char* type_name = element_type_names[kit.drums[nearby].type].c_str();
  char line[256];
  show("   ", kDepthMessageLine);
  show("    ", kDepthMessageLine + 1);
  snprintf(line, sizeof(line), GetUtf8(kTextWantedHitInstead), type_name);
  show(line, kDepthMessageLine + 2);
  bool closer = marker.GetLastPosition()->radius > kit.drums[nearby].size;
  snprintf(line, sizeof(line), GetUtf8(kTextMoveStick), GetUtf8(closer ? kTextCloser : kTextFurther));
  show(line, kDepthMessageLine + 3);
  snprintf(line, sizeof(line), GetUtf8(kTextAlsoReposition), type_name);
  show(line, kDepthMessageLine + 4);
  snprintf(line, sizeof(line), "%s ", GetUtf8(kTextEnterMenuThen));
  show(line, kDepthMessageLine + 5);
  depth_message_shown = true;
}

}  // namespace

void Drummer::Label(Webcam::Blob* blobs, int count) {
  labeler.Label(blobs, count, Is_Left_Handed, Dominant_Hand_Reach, right_hand, left_hand, right_foot, left_foot);
}

void Drummer::Drum(Webcam::Blob* blobs, int count, Logger::Frame* frame, DistanceMenu* menu, bool silent) {
  picked = false;
  Label(blobs, count);
  if (menu) menu->DoSliders(DominantHand(), OtherHand());
  UpdatePedals();
  Drum(left_hand, frame, menu, silent);
  Drum(right_hand, frame, menu, silent);
  DrumFoot(right_foot, frame, silent);
  DrumFoot(left_foot, frame, silent);
  if (left_foot_hold > 0) --left_foot_hold;
  if (right_foot_hold > 0) --right_foot_hold;

  float values[11];
  auto put = [&](const MocapMarker& m, float* out, int n) {
    bool ok = m.WasPresent() && !HasNaN(*m.GetLastPosition());
    const MocapMarker::Position* p = ok ? m.GetLastPosition() : nullptr;
    float v[3] = {ok ? p->x : -1000.0f, ok ? p->y : -1000.0f, ok ? p->radius : -1000.0f};
    for (int i = 0; i < n; ++i) out[i] = v[i];
  };
  put(left_hand, values, 3);
  put(right_hand, values + 3, 3);
  put(left_foot, values + 6, 2);
  put(right_foot, values + 8, 2);
  values[10] = 0.0f;
  if (kit)
    for (const Drumkit::Drum& d : kit->drums)
      if (d.type == Sound::HIHAT) {
        values[10] = d.openness;
        break;
      }
  viewer_calls.markers(values[0], values[1], values[2], values[3], values[4], values[5], values[6], values[7],
                      values[8], values[9], values[10]);
}

// What a stick points at in this frame, found before its stroke is known: the drum or in-air
// button (kNoButton when the marker's position is no use), the drum right behind it in the
// picture (-1 none) and whether the stick is in a cymbal choke zone.
struct Drummer::StickAim {
  bool usable = false;
  int found = kNoButton;
  int nearby = -1;
  bool choke = false;
};

// The step of one stick in one frame. A stroke is the stick moving down for a few frames and
// braking (MocapMarker::DetectHit); it plays what the stick pointed at on its braking frame.
void Drummer::Drum(MocapMarker& marker, Logger::Frame* frame, DistanceMenu* menu, bool silent) {
  if (!kit) return;
  CountDownDepthHint(*kit);
  const Limb limb = &marker == &left_hand ? LEFT_HAND : RIGHT_HAND;
  const bool dominant = IsDominant(marker);

  // 1. Aim: the menu's highlight follows the stick whether it strikes or not.
  const StickAim aim = AimStick(marker, dominant, menu);

  // 2. Detect: no stroke from a position or a speed that is not a number.
  float speed = 0, hit_y = 0;
  bool stroke = marker.DetectHit(Speed_Threshold_Play, speed, hit_y, false, 1.0f, false);
  if (stroke && !(std::isfinite(speed) && aim.usable)) stroke = false;

  // 3. Gates: a stroke that chokes the cymbals or moves a slider plays nothing.
  stroke = stroke && PassesGates(aim, dominant, menu);

  // 4. Strike: the button pressed, or the drum played with the volume its speed gives.
  float volume = 0;
  if (stroke) StrikeStick(marker, limb, aim, speed, menu, silent, volume);

  // 5. Record: the frame's log of this limb, stroke or not.
  RecordLimb(frame, limb, marker, stroke, speed, aim.found, volume, hit_y);
}

Drummer::StickAim Drummer::AimStick(const MocapMarker& marker, bool dominant, DistanceMenu* menu) {
  StickAim aim;
  aim.usable = UsablePosition(marker);
  if (aim.usable) {
    const MocapMarker::Position& p = *marker.GetLastPosition();
    if (menu)
      aim.found = kit->FindDrumOrMenu(p.x, p.y, p.radius, dominant, menu, aim.nearby);
    else
      aim.found = kit->FindDrum(Sound::CATEGORY_HAND, p.x, p.y, p.radius);
    bool choke_left = false, choke_right = false;
    kit->TestChokeZones(choke_left, choke_right, p.x, kCameraBottomRow - p.y);
    aim.choke = choke_left || choke_right;
  } else if (marker.WasPresent() && menu) {
    menu->SetActiveButton(-1, dominant);  // a marker without a usable position points at nothing
  }
  return aim;
}

// A stroke in a choke zone chokes the cymbals instead; one by a hand holding a slider is part of
// the drag.
bool Drummer::PassesGates(const StickAim& aim, bool dominant, DistanceMenu* menu) {
  if (aim.choke) {
    if (!drums_muted) {
      sound.ChokeCymbals();
      if (midi_mode == kMidiOnlyMode || midi_mode == kMidiAndSoundsMode) SendMIDIChoke();
    }
    return false;
  }
  return !(menu && (dominant ? menu->dominant_slider_held : menu->non_dominant_slider_held) && menu->slider_active);
}

// A stroke at nothing only tells the viewer; a stroke at a button presses it when firm; a stroke
// at a drum plays it, and a firm one may show the depth hint.
void Drummer::StrikeStick(MocapMarker& marker, Limb limb, const StickAim& aim, float speed, DistanceMenu* menu,
                          bool silent, float& volume) {
  const int found = aim.found;
  if (found < 0) {
    viewer_calls.hit_drum(found, speed, (unsigned char)limb);
    return;
  }
  if (found >= kFirstMenuId && found <= kLastMenuId && menu) {
    if (speed > Speed_Threshold_Place) menu->HitButton(found, IsDominant(marker));
    return;
  }
  if (found >= int(kit->drums.size())) return;
  const bool firm = speed > Speed_Threshold_Place;
  kit->RememberHit(found, MOCAP_MARKER_HAND, speed, firm);
  TriggerHit(marker, speed, limb, found, volume, silent);
  if (firm && DepthHintDue(*kit, marker, aim.nearby)) ShowDepthHint(*kit, marker, aim.nearby);
}

void Drummer::DrumFoot(MocapMarker& marker, Logger::Frame* frame, bool silent) {
  if (!kit) return;
  bool right = &marker == &right_foot;
  int drum = -1;
  bool usable = UsablePosition(marker);
  if (usable) {
    const MocapMarker::Position& p = *marker.GetLastPosition();
    drum = kit->FindDrum(Sound::CATEGORY_FOOT, p.x, p.y, p.radius);
  }
  float speed = 0, hit_y = 0;
  bool stroke = marker.DetectHit(Speed_Threshold_Foot_Play, speed, hit_y, true, 1.0f, false);
  if (stroke && !(std::isfinite(speed) && usable)) stroke = false;
  int& hold = right ? right_foot_hold : left_foot_hold;
  float volume = 0;
  if (hold == 0 && stroke && drum >= 0) {
    kit->RememberHit(drum, MOCAP_MARKER_FOOT, speed, speed > Speed_Threshold_Foot_Place);
    TriggerHit(marker, speed, right ? RIGHT_FOOT : LEFT_FOOT, drum, volume, silent);
    hold = 4;
  }
  RecordLimb(frame, right ? RIGHT_FOOT : LEFT_FOOT, marker, stroke, speed, drum, volume, hit_y);
}

void Drummer::TriggerHit(MocapMarker& marker, float speed, Limb limb, int drum, float& volume, bool silent) {
  volume = 0;
  if (!kit || drum < 0 || drum >= int(kit->drums.size()) || !marker.WasPresent()) return;
  Drumkit::Drum& d = kit->drums[drum];
  const MocapMarker::Position& p = *marker.GetLastPosition();
  Sound::Limb sound_limb;
  Sound::ElementCategory category;
  float dir_x = 0, dir_y = 0;
  bool foot = limb == LEFT_FOOT || limb == RIGHT_FOOT;
  if (foot) {
    bool right = limb == RIGHT_FOOT;
    if (speed > Speed_Threshold_Foot_Place) {
      (right ? right_rest_y : left_rest_y) = p.y;
      (right ? right_firm_frame : left_firm_frame) = pedal_frame;
    }
    if (d.category == Sound::CATEGORY_HAND_AND_FOOT && speed > 50.0f && d.openness > 0.1f) {
      (right ? right_splash_y : left_splash_y) = p.y;
      (right ? right_pending_splash_volume : left_pending_splash_volume) = d.foot_map.GetVolume(speed);
      (right ? right_splash_pending : left_splash_pending) = true;
      return;
    }
    if (speed <= Speed_Threshold_Foot_Place && d.openness > 0.1f) return;
    volume = d.foot_map.GetVolume(speed);
    sound_limb = Sound::LIMB_FOOT;
    category = Sound::CATEGORY_FOOT;
  } else {
    bool right = limb == RIGHT_HAND;
    sound_limb = (right != Is_Left_Handed) ? Sound::LIMB_HAND_1 : Sound::LIMB_HAND_0;
    float dx = p.x - d.x, dy = p.y - d.y;
    float len2 = dx * dx + dy * dy;
    if (len2 < 1e-8f || !std::isfinite(len2)) {
      dir_x = 0;
      dir_y = 1;
    } else {
      float len = std::sqrt(len2);
      dir_x = dx / len;
      dir_y = dy / len;
    }
    volume = d.hand_map.GetVolume(speed);
    category = Sound::CATEGORY_HAND;
  }
  marker.SetLastDrumHit(speed >= 7.0f * Speed_Threshold_Play ? drum : -1);
  kit->last_hit_drum = drum;
  if (!drums_muted && !silent) {
    d.Animate(volume, category, dir_y, dir_x);
    kit->PlayDrum(drum, volume, sound_limb, -1.0f, Is_Left_Handed, limb == RIGHT_FOOT);
  }
  PickDrum(drum, limb, speed);
}

void Drummer::PickDrum(int drum, Limb limb, float speed) {
  bool hand = limb == LEFT_HAND || limb == RIGHT_HAND;
  if (!picked && speed > (hand ? Speed_Threshold_Place : Speed_Threshold_Foot_Place)) {
    picked = true;
    picked_drum = drum;
    picked_limb = limb;
  }
}

bool Drummer::HavePick(int& drum, Limb& limb) const {
  if (!picked) return false;
  drum = picked_drum;
  limb = picked_limb;
  return true;
}

bool Drummer::TestDistanceMenu(DistanceMenu& menu, bool flag) {
  MocapMarker& dom = DominantHand();
  MocapMarker& other = OtherHand();
  menu.DoSliders(dom, other);
  menu.DoButtonsAlone(dom, other, flag);
  float speed = 0, hit_y = 0;
  if (!menu.dominant_slider_held && dom.DetectHit(Speed_Threshold_Place, speed, hit_y, false, 1.0f, true) &&
      menu.TestAndSetButtonHit(true, speed, Speed_Threshold_Place))
    return true;
  if (menu.non_dominant_slider_held) return false;
  if (other.DetectHit(Speed_Threshold_Place, speed, hit_y, false, 1.0f, true))
    return menu.TestAndSetButtonHit(false, speed, Speed_Threshold_Place);
  return false;
}

bool Drummer::DetectHitToPlaceDrumOrMenu(DistanceMenu& menu, MocapMarker::Position& position,
                                         MocapMarker::Position& stroke_position, float& speed, Limb& limb) {
  MocapMarker& dom = DominantHand();
  MocapMarker& other = OtherHand();
  menu.DoButtonsAlone(dom, other, true);
  float hit_y = 0;
  struct Hand {
    MocapMarker* marker;
    bool dominant;
  };
  for (Hand h : {Hand{&dom, true}, Hand{&other, false}}) {
    if (!h.marker->DetectHit(Speed_Threshold_Place, speed, hit_y, false, 1.0f, true)) continue;
    if (menu.TestAndSetButtonHit(h.dominant, speed, Speed_Threshold_Place)) return true;
    if (speed > Speed_Threshold_Place && UsablePosition(*h.marker)) {
      stroke_position = *h.marker->GetLastPosition();
      stroke_position.y = hit_y;
      limb = h.marker == &left_hand ? LEFT_HAND : RIGHT_HAND;
      position = *h.marker->GetLastPosition();
      return true;
    }
  }
  float threshold = 1.4f * Speed_Threshold_Foot_Place;
  for (MocapMarker* f : {&right_foot, &left_foot}) {
    if (f->DetectHit(threshold, speed, hit_y, true, 1.0f, true) && speed > threshold && UsablePosition(*f)) {
      stroke_position = *f->GetLastPosition();
      stroke_position.y = hit_y;
      limb = f == &right_foot ? RIGHT_FOOT : LEFT_FOOT;
      position = *f->GetLastPosition();
      return true;
    }
  }
  return false;
}
