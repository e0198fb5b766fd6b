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

void Drummer::Drum(MocapMarker& marker, Logger::Frame* frame, DistanceMenu* menu, bool silent) {
  if (!kit) return;
  if (kit->firm_drum < 0)
    depth_message_delay_counter = kDepthMessageDelay;
  else if (depth_message_delay_counter > 0)
    --depth_message_delay_counter;

  const Limb limb = &marker == &left_hand ? LEFT_HAND : RIGHT_HAND;
  const bool dominant = IsDominant(marker);

  int found = kNoButton;
  int nearby = -1;
  bool choke_left = false, choke_right = false;
  bool usable = UsablePosition(marker);
  if (usable) {
    const MocapMarker::Position& p = *marker.GetLastPosition();
    if (menu)
      found = kit->FindDrumOrMenu(p.x, p.y, p.radius, dominant, menu, nearby);
    else
      found = kit->FindDrum(Sound::CATEGORY_HAND, p.x, p.y, p.radius);
    kit->TestChokeZones(choke_left, choke_right, p.x, kCameraBottomRow - p.y);
  } else if (marker.WasPresent() && menu) {
    menu->SetActiveButton(-1, dominant);  // a marker without a usable position points at nothing
  }

  float speed = 0, hit_y = 0;
  bool stroke = marker.DetectHit(Speed_Threshold_Play, speed, hit_y, false, 1.0f, false);
  if (stroke && !(std::isfinite(speed) && usable)) stroke = false;  // no hit from a position that is not a number

  if (stroke && (choke_left || choke_right)) {
    stroke = false;
    if (!drums_muted) {
      sound.ChokeCymbals();
      if (midi_mode == 1 || midi_mode == 2) SendMIDIChoke();
    }
  }
  if (stroke && menu && (dominant ? menu->dominant_slider_held : menu->non_dominant_slider_held) &&
      menu->slider_active)
    stroke = false;

  float volume = 0;
  if (stroke) {
    if (found < 0) {
      viewer_calls.hit_drum(found, speed, (unsigned char)limb);
    } else if (found >= kFirstMenuId && found <= kLastMenuId && menu) {
      if (speed > Speed_Threshold_Place) menu->HitButton(found, dominant);
    } else if (found < int(kit->drums.size())) {
      const bool firm = speed > Speed_Threshold_Place;
      kit->RememberHit(found, MOCAP_MARKER_HAND, speed, firm);
      TriggerHit(marker, speed, limb, found, volume, silent);

      if (nearby >= 0 && !kit->is_user_kit && firm && marker.WasPresent() && nearby < int(kit->drums.size()) &&
          kit->drums[nearby].type >= 0 && kit->drums[nearby].type < int(element_type_names.size()) &&
          depth_message_delay_counter == 0 && !depth_message_shown && webcam.GetStatus() == 0) {
        const char* type_name = element_type_names[kit->drums[nearby].type].c_str();
        char line[256];
        DistanceMenu::AddMessage("   ", 15, 1, kDepthMessageTimeout, false, true);
        DistanceMenu::AddMessage("    ", 16, 1, kDepthMessageTimeout, false, true);
        snprintf(line, sizeof(line), GetUtf8(kTextWantedHitInstead), type_name);
        DistanceMenu::AddMessage(line, 17, 1, kDepthMessageTimeout, false, true);
        bool closer = marker.GetLastPosition()->radius > kit->drums[nearby].size;
        snprintf(line, sizeof(line), GetUtf8(kTextMoveStick), GetUtf8(closer ? kTextCloser : kTextFurther));
        DistanceMenu::AddMessage(line, 18, 1, kDepthMessageTimeout, false, true);
        snprintf(line, sizeof(line), GetUtf8(kTextAlsoReposition), type_name);
        DistanceMenu::AddMessage(line, 19, 1, kDepthMessageTimeout, false, true);
        snprintf(line, sizeof(line), "%s ", GetUtf8(kTextEnterMenuThen));
        DistanceMenu::AddMessage(line, 20, 1, kDepthMessageTimeout, false, true);
        depth_message_shown = true;
      }
    }
  }
  RecordLimb(frame, limb, marker, stroke, speed, found, volume, hit_y);
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
