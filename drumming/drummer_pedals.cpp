// Pedals: hi-hat openness from the foot's height, the closing event, pending splashes, the
// hi-hat MIDI controller and re-learning a pedal's closed position.
#include <algorithm>
#include <cmath>

#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/drumming_globals.h"
#include "sound/midi.h"

namespace {

// The pedals' tuned numbers (rows are camera pixels, y downwards; a travel is the foot's
// distance from closed to open).
constexpr float kClosedSlack = 0.6f;       // rows above the closed row that still read closed: blob jitter
constexpr float kBelowPedal = 2.0f;        // rows below the closed row, and
constexpr float kFarAbove = 3.0f;          // travels above it, beyond which the foot is off the pedal: fully
                                           // closed or open, without dividing by a travel that may be damaged
constexpr float kHiHatTravelShare = 0.5f;  // a hi-hat opens fully at half the foot's travel, a foot drum at all
constexpr float kClosedBelow = 0.1f;       // openness under which a hi-hat closes (its closing event)
constexpr float kOpenAbove = 0.2f;         // and over which it is open again: a trembling foot closes it once
constexpr float kSplashLift = 4.8f;        // rows the foot must rise by the splash deadline at sensitivity 0
constexpr float kRestSlack = 0.5f;         // rows a resting foot may waver
constexpr int kRestFrames = 30;            // about a quarter second of rest after a firm stroke

bool was_right_pedal_open = false;
bool was_left_pedal_open = false;

bool FiniteY(const MocapMarker& m) {
  if (!m.WasPresent()) return false;
  const MocapMarker::Position& p = *m.GetLastPosition();
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.radius);
}

// One foot and the pedal state the drummer keeps for it.
struct PedalFoot {
  const MocapMarker& marker;
  bool right;
  bool& closed;  // latched at the closing event, released once the hi-hat opens again
  bool& splash_pending;
  float& splash_y;
  float& pending_volume;
  int& firm_frame;
  float& rest_y;
  bool present = false;  // a foot whose position is not a number is treated as absent
  float y = 0;
  int drum = -1;  // the pedal under it
};

void FindPedal(PedalFoot& f, Drumkit& kit) {
  f.present = FiniteY(f.marker);
  if (!f.present) return;
  const MocapMarker::Position& p = *f.marker.GetLastPosition();
  f.y = p.y;
  f.drum = kit.FindDrum(Sound::CATEGORY_FOOT, p.x, p.y, p.radius);
}

// The pedal's openness from the foot's row, 0 closed to 1 open; raw is the foot's height over
// the closed row in travels (pedal_foot_range holds the travel negated).
float FootOpenness(Drumkit::Drum& d, float y) {
  const float share = d.category == Sound::CATEGORY_FOOT ? 1.0f : kHiHatTravelShare;
  float dy = y - d.pedal_lowest_foot_y;
  float raw = d.pedal_foot_range != 0 ? (dy + kClosedSlack) / d.pedal_foot_range : (dy > 0 ? 0.0f : 1.0f);
  d.raw_openness = raw;
  float openness;
  if (dy > kBelowPedal || raw > kFarAbove)
    openness = raw > 0 ? 1.0f : 0.0f;
  else
    openness = std::clamp(raw / share, 0.0f, 1.0f);
  if (std::isnan(openness)) openness = 0.0f;
  return openness;
}

// Descending: the openness follows the foot down and the hi-hat closes once; ascending past
// kOpenAbove releases it for the next close.
void FollowFoot(Drumkit& kit, int drum, PedalFoot& f) {
  Drumkit::Drum& d = kit.drums[drum];
  d.openness = FootOpenness(d, f.y);
  if (!f.closed && d.openness < kClosedBelow) {
    f.closed = true;
    kit.PedalCloses(drum);
  } else if (f.closed && d.openness > kOpenAbove) {
    f.closed = false;
  }
}

// At the deadline of a firm stroke on an open hi-hat: a foot that rose off the pedal by more
// than the sensitivity allows splashes it, otherwise the held stroke plays as an ordinary one.
void SettleSplash(Drumkit& kit, int drum, PedalFoot& f) {
  const Drumkit::Drum& d = kit.drums[drum];
  float lift = kSplashLift * std::pow((100.0f - d.hihat_splash_sensitivity) * 0.01f, 3.0f);
  if (f.splash_y - f.y > lift)
    kit.PedalSplash(drum, f.pending_volume, d.openness, f.right);
  else if (!drums_muted)
    kit.PlayDrum(drum, f.pending_volume, Sound::LIMB_FOOT, -1.0f, false, f.right);
  f.splash_pending = false;
}

// A pedal without a foot: a hi-hat as its clutch holds it (a percentage), a foot drum open.
void LeavePedal(Drumkit::Drum& d) {
  d.openness = d.category == Sound::CATEGORY_HAND_AND_FOOT ? std::clamp(d.hihat_clutch_openness * 0.01f, 0.0f, 1.0f) : 1.0f;
  d.raw_openness = 0.0f;
}

// A foot that rests kRestFrames after a firm stroke where the stroke left it teaches the hi-hat
// its closed row; one that moves first teaches nothing.
void LearnClosedRow(PedalFoot& f, int pedal_frame, Drumkit::Drum& d) {
  if (std::fabs(f.rest_y - f.y) < kRestSlack) {
    if (pedal_frame - f.firm_frame == kRestFrames) {
      d.pedal_lowest_foot_y = f.rest_y;
      f.rest_y = -1.0f;
    }
  } else {
    f.rest_y = -1.0f;
  }
}

}  // namespace

// A pedal stroke is a foot moving down onto a pedal and braking, played by DrumFoot; between
// strokes the row of the foot on a pedal is the pedal's position, which this follows each frame.
void Drummer::UpdatePedals() {
  if (!kit) return;
  PedalFoot feet[2] = {
      {right_foot, true, was_right_pedal_open, right_splash_pending, right_splash_y, right_pending_splash_volume,
       right_firm_frame, right_rest_y},
      {left_foot, false, was_left_pedal_open, left_splash_pending, left_splash_y, left_pending_splash_volume,
       left_firm_frame, left_rest_y},
  };
  // 1. The pedal under each foot.
  for (PedalFoot& f : feet) FindPedal(f, *kit);

  // 2. Every pedal: its openness and closing from the foot on it (the right foot first), a
  // pending splash at its deadline; without a foot, its resting openness. The hi-hats'
  // controller goes out every frame unless it only goes before a note.
  int hihats_sent = 0;
  for (size_t n = 0; n < kit->drums.size(); ++n) {
    const int i = int(n);
    Drumkit::Drum& d = kit->drums[n];
    if (d.category != Sound::CATEGORY_FOOT && d.category != Sound::CATEGORY_HAND_AND_FOOT) continue;
    PedalFoot* f = feet[0].drum == i ? &feet[0] : feet[1].drum == i ? &feet[1] : nullptr;
    if (f) {
      FollowFoot(*kit, i, *f);
      if (f->splash_pending && pedal_frame - f->firm_frame == splash_delay) SettleSplash(*kit, i, *f);
    } else {
      LeavePedal(d);
    }
    if (!midi_send_cc_only_before_note && d.category == Sound::CATEGORY_HAND_AND_FOOT) {
      if (MidiNotes* notes = kit->GetMIDINotes(i)) ControlMIDIHihat(d.openness, *notes, hihats_sent);
      ++hihats_sent;
    }
  }

  // 3. A pending splash is decided at its deadline or never: when the foot was lost or left the
  // pedal, it lapses, so that a later stroke of the same foot cannot set it off.
  for (PedalFoot& f : feet)
    if (f.splash_pending && pedal_frame - f.firm_frame >= splash_delay) f.splash_pending = false;

  // 4. A foot resting where its firm stroke on a hi-hat left it: the closed row relearned.
  for (PedalFoot& f : feet) {
    if (!f.present || f.drum < 0 || f.drum >= int(kit->drums.size())) continue;
    Drumkit::Drum& d = kit->drums[f.drum];
    if (d.category != Sound::CATEGORY_HAND_AND_FOOT || !(f.rest_y >= 0)) continue;
    LearnClosedRow(f, pedal_frame, d);
  }
  ++pedal_frame;
}

bool Drummer::BothHandsBelowFootLine() const {
  bool any = false;
  for (const MocapMarker* m : {&left_hand, &right_hand}) {
    if (!m->WasPresent()) continue;
    any = true;
    if (!(m->GetLastPosition()->y > labeler.FootLine())) return false;
  }
  return any;
}

void Drummer::GetFeetPositions(MocapMarker::Position& right, MocapMarker::Position& left) const {
  right = right_foot.WasPresent() ? *right_foot.GetLastPosition() : MocapMarker::Position();
  left = left_foot.WasPresent() ? *left_foot.GetLastPosition() : MocapMarker::Position();
}

void Drummer::SetPedalParams(int drum, float, bool right) {
  if (!kit || drum < 0 || drum >= int(kit->drums.size())) return;
  const MocapMarker& foot = right ? right_foot : left_foot;
  if (!foot.WasPresent() || !std::isfinite(foot.GetLastPosition()->y)) return;
  kit->drums[drum].pedal_lowest_foot_y = foot.GetLastPosition()->y;
  kit->drums[drum].pedal_foot_range = -m_default_pedal_range_foot;
}
